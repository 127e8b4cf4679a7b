// Helpers shared by the fuzz targets: a scratch file for readers that take a path, and the
// road a freshly loaded picture takes in the desktop program.
#pragma once

#include "image/dib.h"
#include "image/loaders.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace fuzzsupport {

// One file in a private scratch folder (in memory when /dev/shm is there), rewritten with
// every input. The folder goes when the process ends normally.
class ScratchFile {
public:
    // name: the file name, with the extension the reader looks at.
    explicit ScratchFile(const std::string& name);
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    // Replaces the contents; the path of the file.
    const std::string& Write(const uint8_t* data, size_t size);
    const std::string& path() const { return path_; }

private:
    std::string folder_;
    std::string path_;
};

// Checks a reader's result against its reason, and (paletteWidened) that no picture of 8
// bits or fewer came out of a road that widens them.
void CheckLoaded(const PackedDib* picture, LoadError why, bool paletteWidened);

// Runs `load` and aborts when the heap it held at its peak is more than reading a file of
// `fileBytes` may cost: 64 MB plus 64 KB a byte. Measured where AddressSanitizer's allocator
// hooks are there (the engine builds and the sanitizer build); elsewhere it only runs `load`.
void CheckLoadCost(size_t fileBytes, const std::function<void()>& load);

// What the source view does with a picture it is given: widen it to 24 bits, select the
// whole of it and make the phone-sized base image. Aborts when a step breaks a rule that
// the rest of the program relies on.
void UseAsSourcePicture(const PackedDib* picture);

// What reading only some rows and columns of the file gives (the converter's way), and what
// its header alone tells (--info), must agree with the whole picture loaded from it: the
// same size, the same reason, and a base image of the same bytes.
void CheckSampledLoad(const std::string& path, size_t fileBytes, const PackedDib* picture,
                      LoadError why);

// Prints why and aborts, so that the engine records the input.
[[noreturn]] void Fail(const char* why);

} // namespace fuzzsupport

// The entry points every target defines (the engine's names).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
