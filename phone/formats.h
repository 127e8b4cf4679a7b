// The output formats offered for phone pictures and the format code of each.
#pragma once

#include <cstdint>
#include <span>

// Format code: bits 0-3 kind, 0x10 greyscale, 0x20 web palette; the high 16 bits hold the
// colour count (PNG, 0 for full colour) or the JPEG quality.
enum FormatKind : uint32_t { kFormatPng = 1, kFormatJpeg = 2 };
constexpr uint32_t kFormatGreyscale = 0x10;
constexpr uint32_t kFormatWebSafe = 0x20;

constexpr uint32_t FormatCodeKind(uint32_t code) {
    return code & 0x0F;
}
constexpr int FormatCodeValue(uint32_t code) {
    return int(code >> 16);
}

struct OutputFormat {
    const char* text; // UTF-8, as the list shows it
    uint32_t code;
};

// The 15 entries in list order (the index is what the settings remember).
std::span<const OutputFormat> OutputFormats();
constexpr int kDefaultFormatIndex = 3;

// Index of the entry whose text is exactly `text`, or -1.
int FindFormatByText(const char* text);
