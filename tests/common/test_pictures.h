// Small 24-bit pictures for tests, addressed in picture coordinates (y = 0 at the top).
#pragma once

#include "image/dib.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace testsupport {

using Rgb = std::array<uint8_t, 3>; // red, green, blue

inline Rgb PixelAt(const PackedDib* dib, int x, int y) {
    const uint8_t* p = DibPixelAddress(dib, x, dib->height - 1 - y);
    return {p[2], p[1], p[0]};
}

inline void SetPixel(PackedDib* dib, int x, int y, Rgb c) {
    uint8_t* p = DibPixelAddress(dib, x, dib->height - 1 - y);
    p[0] = c[2];
    p[1] = c[1];
    p[2] = c[0];
}

inline DibPtr SolidPicture(int width, int height, Rgb c) {
    DibPtr dib(DibCreate(24, width, height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            SetPixel(dib.get(), x, y, c);
    return dib;
}

// A smooth colourful picture with many distinct colours.
inline DibPtr GradientPicture(int width, int height) {
    DibPtr dib(DibCreate(24, width, height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            SetPixel(dib.get(), x, y,
                     {uint8_t(x * 255 / width), uint8_t(y * 255 / height),
                      uint8_t((x + y) * 127 / (width + height) + 64)});
    return dib;
}

// Same size, depth and pixel bytes (headers and tables aside).
inline bool SamePixels(const PackedDib* a, const PackedDib* b) {
    return a && b && DibWidth(a) == DibWidth(b) && DibHeight(a) == DibHeight(b) &&
           DibBitCount(a) == DibBitCount(b) && DibPixelBytes(a) == DibPixelBytes(b) &&
           std::memcmp(DibBits(a), DibBits(b), DibPixelBytes(a)) == 0;
}

// Palette index of pixel (x, y) of a 4- or 8-bit image.
inline unsigned IndexAt(const PackedDib* dib, int x, int y) {
    const uint8_t* row = DibBits(dib) + size_t(dib->height - 1 - y) * DibRowBytes(dib);
    if (dib->bitCount == 8)
        return row[x];
    return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
}

// Red, green, blue of colour-table entry i.
inline Rgb TableColor(const PackedDib* dib, unsigned i) {
    const uint8_t* e = DibColorTable(dib) + 4 * i;
    return {e[2], e[1], e[0]};
}

} // namespace testsupport
