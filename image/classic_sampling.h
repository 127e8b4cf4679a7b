// The arithmetic of the classic resampling, shared by ResampleImage and by the resampling
// of the rows and columns read from a file, so that both give the same bytes.
#pragma once

#include "image/dib.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace classic {

// One axis: destination pixels from destStart on, destLength of them, sample the source
// from sourceStart on, sourceLength pixels, with a phase offset in whole destination
// pixels (about half a source pixel when enlarging, 0 when shrinking).
struct Axis {
    int64_t destStart, destLength, sourceStart, sourceLength, phase;

    Axis(int64_t d0, int64_t d1, int64_t s0, int64_t s1)
        : destStart(d0), destLength(d1 - d0), sourceStart(s0), sourceLength(s1 - s0),
          phase(destLength / (2 * sourceLength)) {}

    // The source position of destination pixel i: products in integers, the division and
    // the addition in double precision.
    double At(int64_t i) const {
        return double(sourceStart) +
               double(sourceLength * (i - destStart - phase)) / double(destLength);
    }
};

// Where a position falls between two pixels of a side of `size` pixels: the two pixels
// read (forced into the picture) and the weight of the second.
struct Cell {
    int first;
    int second;
    double fraction;
};

inline Cell CellAt(double v, int size) {
    // Negative (and NaN) positions read the first pixel; positions beyond the last pixel
    // read the same as the last one, so bounding them only keeps the conversion defined.
    if (!(v >= 0.0))
        v = 0.0;
    v = std::min(v, double(size));
    const int v0 = int(v);
    return {std::min(v0, size - 1), std::min(v0 + 1, size - 1), v - v0};
}

// Bilinear blend of four blue, green, red samples, each channel rounded half up.
inline void Blend(const uint8_t* p00, const uint8_t* p01, const uint8_t* p10, const uint8_t* p11,
                  double fx, double fy, uint8_t* out) {
    for (int c = 0; c < 3; ++c) {
        const double top = fx * (p10[c] - p00[c]) + p00[c];
        const double bottom = fx * (p11[c] - p01[c]) + p01[c];
        const double value = top + (bottom - top) * fy;
        out[c] = uint8_t(int(value + 0.5));
    }
}

} // namespace classic

// ResampleImage's loop over a destination rectangle (a right or bottom of -1 meaning the
// whole image, reversed sides exchanged) from a source rectangle of a width x height
// picture. `pixel(x, y)` gives the blue, green, red bytes of a pixel inside the picture.
template <class Pixel>
void ClassicResample(PackedDib* dest, int dx0, int dy0, int dx1, int dy1, int sx0, int sy0, int sx1,
                     int sy1, int width, int height, Pixel pixel) {
    const int destWidth = DibWidth(dest);
    const int destHeight = DibHeight(dest);
    if (dx1 == -1)
        dx1 = destWidth;
    if (dy1 == -1)
        dy1 = destHeight;
    if (dx0 > dx1)
        std::swap(dx0, dx1);
    if (dy0 > dy1)
        std::swap(dy0, dy1);
    const classic::Axis across(dx0, dx1, sx0, sx1);
    const classic::Axis down(dy0, dy1, sy0, sy1);
    for (int64_t i = dy0; i < dy1; ++i) {
        const classic::Cell cy = classic::CellAt(down.At(i), height);
        const int row = int(std::clamp<int64_t>(i, 0, destHeight - 1));
        uint8_t* out = DibPixelAddress(dest, 0, destHeight - 1 - row);
        for (int64_t j = dx0; j < dx1; ++j) {
            const classic::Cell cx = classic::CellAt(across.At(j), width);
            const int64_t column = std::clamp<int64_t>(j, 0, destWidth - 1);
            classic::Blend(pixel(cx.first, cy.first), pixel(cx.first, cy.second),
                           pixel(cx.second, cy.first), pixel(cx.second, cy.second), cx.fraction,
                           cy.fraction, out + 3 * column);
        }
    }
}
