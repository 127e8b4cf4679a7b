// The output formats offered for phone pictures: what each one does to the base image
// and how its file is written.
#pragma once

#include "image/encoders.h"

#include <compare>
#include <cstdint>
#include <span>
#include <string>

enum class FormatKind : uint8_t { Png = 1, Jpeg = 2 };

// One way of making the phone picture's file. Two formats are equal when they make the
// same file.
struct OutputFormat {
    FormatKind kind = FormatKind::Png;
    bool grey = false;       // PNG: greyscale before the colour reduction
    bool webPalette = false; // PNG: the WebSafe palette instead of an optimised one
    // PNG: a libimagequant palette holding only the colours used, written compactly.
    // JPEG: the base image coded with `jpeg` (optimised tables), not the classic coding.
    bool highQuality = false;
    int colors = 0;  // PNG palette colours; 0 for full colour and for JPEG
    int dither = 0;  // high-quality PNG: dithering level 0-100
    int runBias = 0; // high-quality PNG: remapped without dithering, biased towards runs
    JpegSettings jpeg{};

    constexpr bool IsPng() const { return kind == FormatKind::Png; }
    constexpr bool IsJpeg() const { return kind == FormatKind::Jpeg; }
    // A high-quality PNG reduced with a run bias rather than dithering.
    constexpr bool UsesRunBias() const { return runBias > 0; }

    friend auto operator<=>(const OutputFormat&, const OutputFormat&) = default;

    // The classic formats.
    static constexpr OutputFormat Png(int colors) {
        return {FormatKind::Png, false, false, false, colors};
    }
    static constexpr OutputFormat GreyPng(int colors) {
        return {FormatKind::Png, true, false, false, colors};
    }
    static constexpr OutputFormat WebSafePng() {
        return {FormatKind::Png, false, true, false, 256};
    }
    static constexpr OutputFormat Jpeg(int quality) {
        OutputFormat f{FormatKind::Jpeg};
        f.jpeg.quality = quality;
        return f;
    }
    // The high-quality formats.
    static constexpr OutputFormat HighQualityPng(int colors, int ditherPercent) {
        OutputFormat f = Png(colors);
        f.highQuality = true;
        f.dither = ditherPercent;
        return f;
    }
    static constexpr OutputFormat RunBiasPng(int colors, int runBias) {
        OutputFormat f = HighQualityPng(colors, 0);
        f.runBias = runBias;
        return f;
    }
    static constexpr OutputFormat HighQualityJpeg(int quality, bool fullChroma, bool flatTables) {
        OutputFormat f = Jpeg(quality);
        f.highQuality = true;
        f.jpeg.optimizeCoding = true;
        f.jpeg.fullChroma = fullChroma;
        f.jpeg.flatTables = flatTables;
        return f;
    }
};

struct FormatListEntry {
    const char* text; // UTF-8, as the list shows it
    OutputFormat format;
};

// The list in order (the index is what the settings remember): the 15 classic entries,
// then the high-quality palettes.
std::span<const FormatListEntry> OutputFormats();
constexpr int kClassicFormatCount = 15;
constexpr int kDefaultFormatIndex = 3;
// Dithering of the listed high-quality palettes: the library's full level.
constexpr int kListedDitherPercent = 100;

// Index of the entry whose text is exactly `text`, or -1.
int FindFormatByText(const char* text);

// How the list shows a format found by fitting a carrier's limit, with the palette entries
// (PNG; unused for JPEG) and bytes of its saved file: "PNG 高画質 37色 ディザ25% 5972バイト",
// "PNG 高画質 105色 平滑15 6989バイト", "JPEG 高画質 品質80 平坦 4:4:4 5890バイト". The file
// may hold fewer colours than the format asks for, and the user is told what it holds.
std::string FittedFormatText(const OutputFormat& format, int colors, int64_t size);
