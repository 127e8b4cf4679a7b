#include "image/rgb_view.h"
#include "image/transform.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

void DibReadPixelClamped(const PackedDib* dib, int x, int y, uint8_t sample[3]) {
    const int width = DibWidth(dib);
    const int height = DibHeight(dib);
    x = std::min(std::max(x, 0), width - 1);
    y = std::min(std::max(y, 0), height - 1);
    const int bits = DibBitCount(dib);
    if (bits == 24 || bits == 32) {
        std::memcpy(sample, DibPixelAddress(dib, x, height - 1 - y), 3);
    } else {
        // Three bytes would not be one pixel here.
        sample[0] = sample[1] = sample[2] = 0;
    }
}

int SampleBilinear(const PackedDib* dib, double x, double y, uint8_t sample[3]) {
    // Negative (and NaN) positions read the first column or row. Positions beyond the last
    // pixel read the same as the last pixel, so bounding them only keeps the conversion to
    // an integer defined.
    if (!(x >= 0.0))
        x = 0.0;
    if (!(y >= 0.0))
        y = 0.0;
    x = std::min(x, double(DibWidth(dib)));
    y = std::min(y, double(DibHeight(dib)));
    const int x0 = int(x);
    const int y0 = int(y);
    const double fx = x - x0;
    const double fy = y - y0;
    uint8_t p00[3], p01[3], p10[3], p11[3];
    DibReadPixelClamped(dib, x0, y0, p00);
    DibReadPixelClamped(dib, x0, y0 + 1, p01);
    DibReadPixelClamped(dib, x0 + 1, y0, p10);
    DibReadPixelClamped(dib, x0 + 1, y0 + 1, p11);
    for (int c = 0; c < 3; ++c) {
        const double top = fx * (p10[c] - p00[c]) + p00[c];
        const double bottom = fx * (p11[c] - p01[c]) + p01[c];
        const double value = top + (bottom - top) * fy;
        sample[c] = uint8_t(int(value + 0.5));
    }
    return 1;
}

int ResampleImage(PackedDib* dest, int dx0, int dy0, int dx1, int dy1, const PackedDib* source,
                  int sx0, int sy0, int sx1, int sy1) {
    if (!dest || !source || DibBitCount(dest) != 24)
        return 0;
    const int destWidth = DibWidth(dest);
    const int destHeight = DibHeight(dest);
    if (dx1 == -1)
        dx1 = destWidth;
    if (dy1 == -1)
        dy1 = destHeight;
    if (sx1 == -1)
        sx1 = DibWidth(source);
    if (sy1 == -1)
        sy1 = DibHeight(source);
    if (dx0 > dx1)
        std::swap(dx0, dx1);
    if (dy0 > dy1)
        std::swap(dy0, dy1);
    const int64_t dw = int64_t(dx1) - dx0;
    const int64_t dh = int64_t(dy1) - dy0;
    const int64_t sw = int64_t(sx1) - sx0;
    const int64_t sh = int64_t(sy1) - sy0;
    // An empty source rectangle has nothing to sample (and would divide by zero).
    if (sw == 0 || sh == 0)
        return 0;
    const RgbView rgb(source);
    if (!rgb.get())
        return 0;

    // Phase offsets in whole destination pixels: about half a source pixel when enlarging.
    const int64_t hx = dw / (2 * sw);
    const int64_t hy = dh / (2 * sh);
    for (int64_t i = dy0; i < dy1; ++i) {
        const double sy = sy0 + double(sh * (i - dy0 - hy)) / double(dh);
        const int row = int(std::clamp<int64_t>(i, 0, destHeight - 1));
        uint8_t* out = DibPixelAddress(dest, 0, destHeight - 1 - row);
        for (int64_t j = dx0; j < dx1; ++j) {
            const double sx = sx0 + double(sw * (j - dx0 - hx)) / double(dw);
            const int64_t column = std::clamp<int64_t>(j, 0, destWidth - 1);
            SampleBilinear(rgb.get(), sx, sy, out + 3 * column);
        }
    }
    return 1;
}
