#include "phone/formats.h"

#include <cstring>

namespace {

constexpr uint32_t Code(uint32_t low, uint32_t high) {
    return low | high << 16;
}

const OutputFormat kFormats[] = {
    {"PNG グレースケール 16色", Code(0x11, 16)},
    {"PNG グレースケール 256色", Code(0x11, 256)},
    {"PNG 最適化 8色", Code(0x01, 8)},
    {"PNG 最適化 12色", Code(0x01, 12)},
    {"PNG 最適化 16色", Code(0x01, 16)},
    {"PNG 最適化 32色", Code(0x01, 32)},
    {"PNG 最適化 64色", Code(0x01, 64)},
    {"PNG 最適化 128色", Code(0x01, 128)},
    {"PNG 最適化 256色", Code(0x01, 256)},
    {"PNG WebSafe Color 256色", Code(0x21, 256)},
    {"PNG FullColor", Code(0x01, 0)},
    // The labels are the user's names; the encoder qualities differ for three of them.
    {"JPEG 60%", Code(0x02, 50)},
    {"JPEG 70%", Code(0x02, 65)},
    {"JPEG 80%", Code(0x02, 75)},
    {"JPEG 90%", Code(0x02, 90)},
};

} // namespace

std::span<const OutputFormat> OutputFormats() {
    return kFormats;
}

int FindFormatByText(const char* text) {
    for (size_t i = 0; i < std::size(kFormats); ++i)
        if (std::strcmp(kFormats[i].text, text) == 0)
            return int(i);
    return -1;
}
