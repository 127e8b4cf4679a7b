// The PNG writer of the high-quality formats: a palette holding exactly the colours the
// pixels use (no padding, duplicates merged), the smallest bit depth that holds them, and
// the smallest of several zlib and filter settings, whose rows zopfli then deflates once
// more (the smaller file is kept). Writing an image read back from such a file gives the
// same bytes again.
#pragma once

#include "image/dib.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// The encoded file in memory; false when the image cannot be written (none, or a depth
// other than 1, 2, 4, 8 or 24). 24-bit images become RGB files.
[[nodiscard]] bool EncodeCompactPng(const PackedDib* image, std::vector<uint8_t>* bytes);

// The file made with the first zlib setting alone: far quicker, and never smaller than
// the file above, so a picture that fits a limit this way fits it written for real.
[[nodiscard]] bool EncodeCompactPngQuick(const PackedDib* image, std::vector<uint8_t>* bytes);

// The same onto a stream (1 when written, else 0) or into a file that replaces the target
// only when complete.
[[nodiscard]] int WriteCompactPngStream(const PackedDib* image, FILE* stream);
[[nodiscard]] int WriteCompactPngFile(const PackedDib* image, const std::string& path);
