// Opening a picture file for a reader, and what reading a file of a given size may cost.
#pragma once

#include "image/loaders.h"

#include <cstdint>
#include <cstdio>
#include <string>

// Whatever a file claims, reading it may take this much memory, plus kLoadBytesPerFileByte
// for every byte it holds: a real picture compresses far less than that, so a file that
// claims more is refused before anything big is allocated, while a cut photo still opens.
constexpr uint64_t kLoadBaseBytes = uint64_t(64) << 20;
constexpr uint64_t kLoadBytesPerFileByte = uint64_t(64) << 10;

// True when `bytes` of buffers are within what a file of `fileBytes` may cost.
bool LoadCostAllowed(uint64_t bytes, uint64_t fileBytes);

// The bytes a picture of this shape takes once loaded: the image at its depth and, for 8
// bits or fewer, the 24-bit copy it is widened to (both live for a moment).
uint64_t LoadedPictureBytes(int bitCount, int64_t width, int64_t height);

// Opens a regular file for reading without ever blocking on a pipe or a device; none (and
// the reason) otherwise. `size` receives the file's length.
FILE* OpenPictureFile(const std::string& path, uint64_t* size, LoadError* error);

// NotAFile when the path names something other than a regular file, NotFound when it
// names nothing readable, else None.
LoadError CheckPictureFile(const std::string& path);
