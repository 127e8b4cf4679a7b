// Writes small PNG and JPEG files with exactly the layouts the reader tests need.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PngFixture {
    int width = 1;
    int height = 1;
    int colorType = 2; // PNG colour type: 0 grey, 2 RGB, 3 palette, 4 grey+alpha, 6 RGBA
    int bitDepth = 8;
    bool interlaced = false;
    // Samples per row as the file stores them, packed for depths under 8, big-endian for 16.
    std::vector<std::vector<uint8_t>> rows;
    std::vector<uint8_t> palette; // red, green, blue triples
    std::vector<uint8_t> paletteAlpha;
};

// False when libpng refused the description.
bool WritePng(const std::string& path, const PngFixture& png);

// JPEG of `components` samples per pixel (1 grey, 3 RGB, 4 CMYK) at the given quality. For
// colour pictures `lumaSampling` sets the luma's sampling factors (0x22 gives 4:2:0, 0x21
// 4:2:2, 0x11 4:4:4); 0 keeps the library's default.
bool WriteJpeg(const std::string& path, int width, int height, int components,
               const std::vector<uint8_t>& samples, int quality = 90, bool adobeCmyk = false,
               bool progressive = false, int lumaSampling = 0);
