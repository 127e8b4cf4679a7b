// Reads the header facts of a PNG file straight from its chunks, independently of the
// program's own reader.
#pragma once

#include <cstdint>
#include <string>

namespace testsupport {

struct PngInfo {
    bool valid = false; // signature, IHDR first, IEND last
    uint32_t width = 0;
    uint32_t height = 0;
    int bitDepth = 0;
    int colorType = -1;
    int paletteEntries = 0; // 0 without a PLTE chunk
};

inline PngInfo ParsePng(const std::string& bytes) {
    PngInfo info;
    static const char kSignature[] = "\x89PNG\r\n\x1a\n";
    if (bytes.size() < 8 || bytes.compare(0, 8, kSignature, 8) != 0)
        return info;
    auto u32 = [&](size_t at) {
        return uint32_t(uint8_t(bytes[at])) << 24 | uint32_t(uint8_t(bytes[at + 1])) << 16 |
               uint32_t(uint8_t(bytes[at + 2])) << 8 | uint32_t(uint8_t(bytes[at + 3]));
    };
    size_t at = 8;
    bool first = true;
    while (at + 12 <= bytes.size()) {
        const uint32_t length = u32(at);
        const std::string type = bytes.substr(at + 4, 4);
        if (at + 12 + length > bytes.size())
            return info;
        if (first && type != "IHDR")
            return info;
        first = false;
        if (type == "IHDR") {
            info.width = u32(at + 8);
            info.height = u32(at + 12);
            info.bitDepth = uint8_t(bytes[at + 16]);
            info.colorType = uint8_t(bytes[at + 17]);
        } else if (type == "PLTE") {
            info.paletteEntries = int(length / 3);
        } else if (type == "IEND") {
            info.valid = at + 12 == bytes.size();
            return info;
        }
        at += 12 + length;
    }
    return info;
}

} // namespace testsupport
