#include "image/rgb_view.h"
#include "image/transform.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

// Quarter turns walk the source in square tiles so that both pictures stay in the cache.
constexpr int kTile = 64;

// The two quarter turns, source pixel by source pixel. Base addresses and strides are taken
// once: byte stores may alias the headers, so the compiler would otherwise reread them.
void QuarterTurn(const PackedDib* src, PackedDib* dst, bool clockwise) {
    const int width = DibWidth(src);
    const int height = DibHeight(src);
    const uint8_t* srcBits = DibBits(src);
    uint8_t* dstBits = DibBits(dst);
    const size_t srcStride = DibRowBytes(src);
    const size_t dstStride = DibRowBytes(dst);
    for (int r0 = 0; r0 < height; r0 += kTile) {
        const int r1 = std::min(r0 + kTile, height);
        for (int x0 = 0; x0 < width; x0 += kTile) {
            const int x1 = std::min(x0 + kTile, width);
            for (int r = r0; r < r1; ++r) {
                const uint8_t* in = srcBits + size_t(r) * srcStride + 3 * size_t(x0);
                // Clockwise: picture (H-1-y, x) <- (x, y), i.e. stored row W-1-x, column r.
                // Counter-clockwise: picture (y, W-1-x) <- (x, y): stored row x, column H-1-r.
                const size_t column = 3 * size_t(clockwise ? r : height - 1 - r);
                for (int x = x0; x < x1; ++x, in += 3) {
                    const size_t row = size_t(clockwise ? width - 1 - x : x);
                    std::memcpy(dstBits + row * dstStride + column, in, 3);
                }
            }
        }
    }
}

} // namespace

DibPtr TransformRightAngle(RightAngle transform, const PackedDib* source) {
    const int code = int(transform);
    const RgbView rgb(source);
    const PackedDib* src = rgb.get();
    if (!src)
        return nullptr;
    const int width = DibWidth(src);
    const int height = DibHeight(src);
    const bool quarter = code == 1 || code == 3;
    DibPtr owned = DibCreate(24, quarter ? height : width, quarter ? width : height);
    if (!owned)
        return nullptr;
    PackedDib* dst = owned.get();
    const uint32_t stride = DibRowBytes(src);
    switch (code) {
    case 1:
    case 3:
        QuarterTurn(src, dst, code == 1);
        break;
    case 2: // half turn: stored row r becomes H-1-r, column x becomes W-1-x
        for (int r = 0; r < height; ++r) {
            const uint8_t* in = DibPixelAddress(src, 0, r);
            uint8_t* out = DibPixelAddress(dst, width - 1, height - 1 - r);
            for (int x = 0; x < width; ++x, in += 3, out -= 3)
                std::memcpy(out, in, 3);
        }
        break;
    case 4: // upside down: whole stored rows in reverse order
        for (int r = 0; r < height; ++r)
            std::memcpy(DibPixelAddress(dst, 0, height - 1 - r), DibPixelAddress(src, 0, r),
                        stride);
        break;
    case 5: // mirror: each row reversed in place of itself
        for (int r = 0; r < height; ++r) {
            const uint8_t* in = DibPixelAddress(src, 0, r);
            uint8_t* out = DibPixelAddress(dst, width - 1, r);
            for (int x = 0; x < width; ++x, in += 3, out -= 3)
                std::memcpy(out, in, 3);
        }
        break;
    default: // any other code: the new picture stays black
        break;
    }
    return owned;
}

DibPtr RotateImage(int angle, const PackedDib* source) {
    if (!source)
        return nullptr;
    if (angle == 0)
        return DibDuplicate(source, nullptr);
    if (angle % 90 == 0)
        return TransformRightAngle(RightAngle(angle / 90), source);

    const RgbView rgb(source);
    const PackedDib* src = rgb.get();
    if (!src)
        return nullptr;
    const int width = DibWidth(src);
    const int height = DibHeight(src);
    const double theta = angle * 0.017453292519444445;
    const double sinT = std::sin(theta);
    const double cosT = std::cos(theta);
    const double newWidth = width * std::fabs(cosT) + height * std::fabs(sinT);
    const double newHeight = width * std::fabs(sinT) + height * std::fabs(cosT);
    if (newWidth > kDibMaxSide || newHeight > kDibMaxSide)
        return nullptr;
    const int outWidth = int(newWidth);
    const int outHeight = int(newHeight);
    DibPtr owned = DibCreate(24, outWidth, outHeight);
    if (!owned)
        return nullptr;
    PackedDib* dst = owned.get();

    // 16.16 fixed-point steps; the sums are kept in 64 bits so that very large pictures do
    // not overflow (below about 16000 pixels they equal 32-bit sums).
    const int64_t s = int32_t(65536 * sinT);
    const int64_t c = int32_t(65536 * cosT);
    const int64_t halfW = width / 2, halfH = height / 2;
    const int64_t halfOutW = outWidth / 2, halfOutH = outHeight / 2;
    const uint8_t* srcBits = DibBits(src);
    const size_t srcStride = DibRowBytes(src);
    for (int yo = 0; yo < outHeight; ++yo) {
        int64_t sx = halfW * 65536 + (yo - halfOutH) * s + (1 - halfOutW) * c;
        int64_t sy = halfH * 65536 + (yo - halfOutH) * c - (1 - halfOutW) * s;
        uint8_t* out = DibPixelAddress(dst, 0, outHeight - 1 - yo);
        for (int xo = 0; xo < outWidth; ++xo, out += 3, sx += c, sy -= s) {
            const int64_t px = sx >> 16;
            const int64_t py = sy >> 16;
            if (px >= 0 && px < width && py >= 0 && py < height)
                std::memcpy(out, srcBits + size_t(height - 1 - py) * srcStride + 3 * size_t(px), 3);
        }
    }
    return owned;
}
