#include "image/classic_sampling.h"
#include "image/rgb_view.h"
#include "image/transform.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

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
    const classic::Cell cx = classic::CellAt(x, DibWidth(dib));
    const classic::Cell cy = classic::CellAt(y, DibHeight(dib));
    uint8_t p00[3], p01[3], p10[3], p11[3];
    DibReadPixelClamped(dib, cx.first, cy.first, p00);
    DibReadPixelClamped(dib, cx.first, cy.second, p01);
    DibReadPixelClamped(dib, cx.second, cy.first, p10);
    DibReadPixelClamped(dib, cx.second, cy.second, p11);
    classic::Blend(p00, p01, p10, p11, cx.fraction, cy.fraction, sample);
    return 1;
}

int ResampleImage(PackedDib* dest, int dx0, int dy0, int dx1, int dy1, const PackedDib* source,
                  int sx0, int sy0, int sx1, int sy1) {
    if (!dest || !source || DibBitCount(dest) != 24)
        return 0;
    if (sx1 == -1)
        sx1 = DibWidth(source);
    if (sy1 == -1)
        sy1 = DibHeight(source);
    // An empty source rectangle has nothing to sample (and would divide by zero).
    if (sx1 == sx0 || sy1 == sy0)
        return 0;
    const RgbView rgb(source);
    if (!rgb.get())
        return 0;
    const PackedDib* picture = rgb.get();
    const int height = DibHeight(picture);
    const uint8_t* bits = DibBits(picture);
    const size_t stride = DibRowBytes(picture);
    ClassicResample(
        dest, dx0, dy0, dx1, dy1, sx0, sy0, sx1, sy1, DibWidth(picture), height,
        [&](int x, int y) { return bits + size_t(height - 1 - y) * stride + 3 * size_t(x); });
    return 1;
}
