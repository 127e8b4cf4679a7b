#include "phone/formats.h"

#include <cstdio>
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
    // Added after the classic list, so that stored indices 0-14 keep their meaning.
    {"PNG 高画質 8色", HighQualityPngCode(8, kListedDitherPercent)},
    {"PNG 高画質 12色", HighQualityPngCode(12, kListedDitherPercent)},
    {"PNG 高画質 16色", HighQualityPngCode(16, kListedDitherPercent)},
    {"PNG 高画質 32色", HighQualityPngCode(32, kListedDitherPercent)},
    {"PNG 高画質 64色", HighQualityPngCode(64, kListedDitherPercent)},
    {"PNG 高画質 128色", HighQualityPngCode(128, kListedDitherPercent)},
    {"PNG 高画質 256色", HighQualityPngCode(256, kListedDitherPercent)},
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

std::string FittedFormatText(uint32_t code, int colors, int64_t size) {
    char text[96];
    if (FormatCodeKind(code) == kFormatJpeg)
        std::snprintf(text, sizeof text, "JPEG 高画質 品質%d%s%s %lldバイト", FormatCodeValue(code),
                      FormatCodeTables(code) == kJpegFlatTables ? " 平坦" : "",
                      code & kFormatFullChroma ? " 4:4:4" : "", static_cast<long long>(size));
    else if (code & kFormatRunBias)
        std::snprintf(text, sizeof text, "PNG 高画質 %d色 平滑%d %lldバイト", colors,
                      FormatCodeRunBias(code), static_cast<long long>(size));
    else
        std::snprintf(text, sizeof text, "PNG 高画質 %d色 ディザ%d%% %lldバイト", colors,
                      FormatCodeDither(code), static_cast<long long>(size));
    return text;
}
