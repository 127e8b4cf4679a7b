#include "phone/formats.h"

#include <cstdio>
#include <cstring>

namespace {

const FormatListEntry kFormats[] = {
    {"PNG グレースケール 16色", OutputFormat::GreyPng(16)},
    {"PNG グレースケール 256色", OutputFormat::GreyPng(256)},
    {"PNG 最適化 8色", OutputFormat::Png(8)},
    {"PNG 最適化 12色", OutputFormat::Png(12)},
    {"PNG 最適化 16色", OutputFormat::Png(16)},
    {"PNG 最適化 32色", OutputFormat::Png(32)},
    {"PNG 最適化 64色", OutputFormat::Png(64)},
    {"PNG 最適化 128色", OutputFormat::Png(128)},
    {"PNG 最適化 256色", OutputFormat::Png(256)},
    {"PNG WebSafe Color 256色", OutputFormat::WebSafePng()},
    {"PNG FullColor", OutputFormat::Png(0)},
    // The labels are the user's names; the encoder qualities differ for three of them.
    {"JPEG 60%", OutputFormat::Jpeg(50)},
    {"JPEG 70%", OutputFormat::Jpeg(65)},
    {"JPEG 80%", OutputFormat::Jpeg(75)},
    {"JPEG 90%", OutputFormat::Jpeg(90)},
    // Added after the classic list, so that stored indices 0-14 keep their meaning.
    {"PNG 高画質 8色", OutputFormat::HighQualityPng(8, kListedDitherPercent)},
    {"PNG 高画質 12色", OutputFormat::HighQualityPng(12, kListedDitherPercent)},
    {"PNG 高画質 16色", OutputFormat::HighQualityPng(16, kListedDitherPercent)},
    {"PNG 高画質 32色", OutputFormat::HighQualityPng(32, kListedDitherPercent)},
    {"PNG 高画質 64色", OutputFormat::HighQualityPng(64, kListedDitherPercent)},
    {"PNG 高画質 128色", OutputFormat::HighQualityPng(128, kListedDitherPercent)},
    {"PNG 高画質 256色", OutputFormat::HighQualityPng(256, kListedDitherPercent)},
};

} // namespace

std::span<const FormatListEntry> OutputFormats() {
    return kFormats;
}

int FindFormatByText(const char* text) {
    for (size_t i = 0; i < std::size(kFormats); ++i)
        if (std::strcmp(kFormats[i].text, text) == 0)
            return int(i);
    return -1;
}

std::string FittedFormatText(const OutputFormat& format, int colors, int64_t size) {
    char text[96];
    if (format.IsJpeg())
        std::snprintf(text, sizeof text, "JPEG 高画質 品質%d%s%s %lldバイト", format.jpeg.quality,
                      format.jpeg.flatTables ? " 平坦" : "", format.jpeg.fullChroma ? " 4:4:4" : "",
                      static_cast<long long>(size));
    else if (format.UsesRunBias())
        std::snprintf(text, sizeof text, "PNG 高画質 %d色 平滑%d %lldバイト", colors,
                      format.runBias, static_cast<long long>(size));
    else
        std::snprintf(text, sizeof text, "PNG 高画質 %d色 ディザ%d%% %lldバイト", colors,
                      format.dither, static_cast<long long>(size));
    return text;
}
