// The output formats offered for phone pictures and the format code of each.
#pragma once

#include <cstdint>
#include <span>
#include <string>

// Format code: bits 0-3 kind, 0x10 greyscale, 0x20 web palette; the high 16 bits hold the
// colour count (PNG, 0 for full colour) or the JPEG quality.
enum FormatKind : uint32_t { kFormatPng = 1, kFormatJpeg = 2 };
constexpr uint32_t kFormatGreyscale = 0x10;
constexpr uint32_t kFormatWebSafe = 0x20;
// The high-quality formats use the spare bits: 0x40 marks them (PNG: libimagequant palette
// with only the colours used; JPEG: optimised coding of the base image). For PNG, bits
// 8-15 hold the dithering level 0-100, or with 0x80 the run bias (image/
// quality_quantizer.h) of a picture remapped without dithering; for JPEG, 0x80 keeps
// colour at full resolution and bits 8-15 choose the quantisation tables.
constexpr uint32_t kFormatHighQuality = 0x40;
constexpr uint32_t kFormatRunBias = 0x80;    // PNG
constexpr uint32_t kFormatFullChroma = 0x80; // JPEG
enum JpegTables : int { kJpegStandardTables = 0, kJpegFlatTables = 1 };

constexpr uint32_t FormatCodeKind(uint32_t code) {
    return code & 0x0F;
}
constexpr int FormatCodeValue(uint32_t code) {
    return int(code >> 16);
}
constexpr bool IsHighQualityFormat(uint32_t code) {
    return (code & kFormatHighQuality) != 0;
}
constexpr int FormatCodeDither(uint32_t code) {
    return code & kFormatRunBias ? 0 : int((code >> 8) & 0xFF);
}
constexpr int FormatCodeRunBias(uint32_t code) {
    return code & kFormatRunBias ? int((code >> 8) & 0xFF) : 0;
}
constexpr int FormatCodeTables(uint32_t code) {
    return int((code >> 8) & 0xFF);
}
constexpr uint32_t HighQualityPngCode(int colors, int ditherPercent) {
    return kFormatPng | kFormatHighQuality | uint32_t(ditherPercent) << 8 | uint32_t(colors) << 16;
}
constexpr uint32_t RunBiasPngCode(int colors, int runBias) {
    return kFormatPng | kFormatHighQuality | kFormatRunBias | uint32_t(runBias) << 8 |
           uint32_t(colors) << 16;
}
constexpr uint32_t HighQualityJpegCode(int quality, bool fullChroma, int tables) {
    return kFormatJpeg | kFormatHighQuality | (fullChroma ? kFormatFullChroma : 0) |
           uint32_t(tables) << 8 | uint32_t(quality) << 16;
}

struct OutputFormat {
    const char* text; // UTF-8, as the list shows it
    uint32_t code;
};

// The list in order (the index is what the settings remember): the 15 classic entries,
// then the high-quality palettes.
std::span<const OutputFormat> OutputFormats();
constexpr int kClassicFormatCount = 15;
constexpr int kDefaultFormatIndex = 3;
// Dithering of the listed high-quality palettes: the library's full level.
constexpr int kListedDitherPercent = 100;

// Index of the entry whose text is exactly `text`, or -1.
int FindFormatByText(const char* text);

// How the list shows a format found by fitting a carrier's limit, with the palette entries
// (PNG; unused for JPEG) and bytes of its saved file: "PNG 高画質 37色 ディザ25% 5972バイト",
// "PNG 高画質 105色 平滑15 6989バイト", "JPEG 高画質 品質80 平坦 4:4:4 5890バイト". The file
// may hold fewer colours than the code asks for, and the user is told what it holds.
std::string FittedFormatText(uint32_t code, int colors, int64_t size);
