// Writing phone pictures as PNG and JPEG files. Neither writer leaves a half-made file in
// place of the target: a failed write keeps whatever file was there before.
#pragma once

#include "image/dib.h"

#include <compare>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// How a JPEG is coded. The defaults are those of the classic formats; the high-quality
// ones optimise the Huffman tables and may keep colour at full resolution. Every setting
// gives a baseline file.
struct JpegSettings {
    int quality = 75;
    bool optimizeCoding = false;
    bool fullChroma = false; // no subsampling of the colour planes
    bool flatTables = false; // one step size for every frequency instead of the usual tables

    friend auto operator<=>(const JpegSettings&, const JpegSettings&) = default;
};

// Palette PNG (colour type 3) for images of 8 bits or fewer, with one PLTE entry per
// colour-table entry in use; RGB PNG for 24-bit images. 1 when written completely, else 0.
[[nodiscard]] int WritePngFile(const PackedDib* image, const std::string& path);

// Baseline JPEG of a 24-bit image, or of a 4- or 8-bit image through its colour table.
// 1 when written completely, else 0.
[[nodiscard]] int WriteJpegFile(const PackedDib* image, const std::string& path, int quality);
[[nodiscard]] int WriteJpegFile(const PackedDib* image, const std::string& path,
                                const JpegSettings& settings);

// The same encodings onto an open stream, from its current position, for a scratch file
// the caller rewrites in place; 1 when the encoder finished, else 0. The caller flushes
// and checks the stream.
[[nodiscard]] int WritePngStream(const PackedDib* image, FILE* stream);
[[nodiscard]] int WriteJpegStream(const PackedDib* image, FILE* stream, int quality);
[[nodiscard]] int WriteJpegStream(const PackedDib* image, FILE* stream,
                                  const JpegSettings& settings);

// The JPEG file in memory; false when it cannot be made.
[[nodiscard]] bool EncodeJpegMemory(const PackedDib* image, const JpegSettings& settings,
                                    std::vector<uint8_t>* bytes);
