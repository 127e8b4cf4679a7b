// Per-pixel operations on a copy of a 24-bit picture: tone and colour adjustments for the
// source picture and the greyscale step of the output formats.
#pragma once

#include "image/dib.h"
#include "image/rect.h"

#include <cstdint>

// Called for every pixel (x, y) of the copy, counted from the top-left, with the source
// picture, the address of the copy's three bytes (blue, green, red) and the parameter
// word. The result is ignored.
using PixelOperation = int (*)(const PackedDib* source, int x, int y, uint8_t* pixel,
                               intptr_t param);

// A copy of the source with the operation run over the rectangle (none: the whole picture,
// otherwise it must lie inside the picture); none when the copy cannot be made.
[[nodiscard]] DibPtr ApplyPixelOperation(const PackedDib* source, const ImageRect* rect,
                                         PixelOperation op, intptr_t param);

// Parameter: brightness offset in the high 16 bits, contrast amount in the low 16 bits,
// both signed. Brightness first, then contrast pivoting on 127.
int BrightnessContrastOp(const PackedDib* source, int x, int y, uint8_t* pixel, intptr_t param);
inline intptr_t BrightnessContrastParam(int brightness, int contrast) {
    return intptr_t(uint32_t(uint16_t(int16_t(brightness))) << 16 | uint16_t(int16_t(contrast)));
}

// Offsets in this order: red, green, blue for RgbOffsetOp; Y, Cr, Cb for YCrCbOffsetOp.
struct ComponentOffsets {
    int16_t first = 0;
    int16_t second = 0;
    int16_t third = 0;
};
// Both take the address of a ComponentOffsets as parameter.
int RgbOffsetOp(const PackedDib* source, int x, int y, uint8_t* pixel, intptr_t param);
int YCrCbOffsetOp(const PackedDib* source, int x, int y, uint8_t* pixel, intptr_t param);
inline intptr_t OffsetsParam(const ComponentOffsets& offsets) {
    return reinterpret_cast<intptr_t>(&offsets);
}

// Grey (2 R + 4 G + B) / 7 of the source pixel into all three bytes; parameter 0.
int GreyscaleOp(const PackedDib* source, int x, int y, uint8_t* pixel, intptr_t param);
