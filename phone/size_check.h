// The carriers' byte limits and the message that tells the user whether a file fits.
#pragma once

#include <cstdint>
#include <string>

constexpr int64_t kJSkyLimit = 6000;  // PNG and JPEG
constexpr int64_t kEZwebLimit = 7000; // PNG only

struct SizeCheckResult {
    int64_t size;      // bytes, 0 or less when the file could not be written
    bool written;      // a file was written
    bool withinLimits; // fits every limit that applies (both carriers for PNG)
    std::string message;
};

// `png` is the format kind (PNG, else JPEG); `size` the written file's bytes.
SizeCheckResult CheckOutputSize(bool png, int64_t size);
