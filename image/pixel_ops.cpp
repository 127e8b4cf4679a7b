#include "image/pixel_ops.h"

#include "image/transform.h"

#include <algorithm>
#include <thread>
#include <vector>

namespace {

inline uint8_t ClampByte(int v) {
    return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
}

} // namespace

DibPtr ApplyPixelOperation(const PackedDib* source, const ImageRect* rect, PixelOperation op,
                           intptr_t param) {
    if (!source || !op)
        return nullptr;
    DibPtr owned = DibDuplicate(source, nullptr);
    if (!owned)
        return nullptr;
    PackedDib* copy = owned.get();
    const ImageRect r = rect ? *rect : ImageRect{0, 0, copy->width, copy->height};
    const uint32_t stride = DibRowBytes(copy);
    auto run = [&](int top, int bottom) {
        for (int y = top; y < bottom; ++y) {
            // Picture row y is stored row height - 1 - y.
            uint8_t* p = DibBits(copy) + size_t(copy->height - 1 - y) * stride + 3 * size_t(r.left);
            for (int x = r.left; x < r.right; ++x, p += 3)
                op(source, x, y, p, param);
        }
    };
    // A full-size photo is split into bands of rows, one per core: every pixel depends only
    // on itself, so the bytes come out the same as from one pass.
    constexpr int64_t kPixelsPerBand = 1 << 18;
    const int64_t pixels = int64_t(std::max(0, r.Width())) * std::max(0, r.Height());
    const int bands =
        int(std::min<int64_t>({int64_t(std::max(1u, std::thread::hardware_concurrency())), 8,
                               std::max<int64_t>(1, pixels / kPixelsPerBand)}));
    if (bands <= 1) {
        run(r.top, r.bottom);
        return owned;
    }
    std::vector<std::thread> workers;
    const int rows = r.Height();
    for (int i = 1; i < bands; ++i)
        workers.emplace_back(run, r.top + rows * i / bands, r.top + rows * (i + 1) / bands);
    run(r.top, r.top + rows / bands);
    for (std::thread& worker : workers)
        worker.join();
    return owned;
}

int BrightnessContrastOp(const PackedDib*, int, int, uint8_t* pixel, intptr_t param) {
    const int brightness = int16_t(uint16_t(uint32_t(param) >> 16));
    const int contrast = int16_t(uint16_t(uint32_t(param)));
    for (int c = 2; c >= 0; --c) { // red, green, blue
        int v = pixel[c];
        if (brightness != 0)
            v = ClampByte(v + brightness);
        if (contrast != 0)
            v = ClampByte(v + ((v - 127) * contrast) / 100);
        pixel[c] = uint8_t(v);
    }
    return 1;
}

int RgbOffsetOp(const PackedDib*, int, int, uint8_t* pixel, intptr_t param) {
    const auto* o = reinterpret_cast<const ComponentOffsets*>(param);
    pixel[2] = ClampByte(pixel[2] + o->first);
    pixel[1] = ClampByte(pixel[1] + o->second);
    pixel[0] = ClampByte(pixel[0] + o->third);
    return 1;
}

int YCrCbOffsetOp(const PackedDib*, int, int, uint8_t* pixel, intptr_t param) {
    const auto* o = reinterpret_cast<const ComponentOffsets*>(param);
    const int r = pixel[2], g = pixel[1], b = pixel[0];
    const int y = (299 * r + 587 * g + 114 * b) / 1000 + o->first;
    const int cr = (500 * r - 419 * g - 81 * b) / 1000 + o->second;
    const int cb = (500 * b - 331 * g - 169 * r) / 1000 + o->third;
    pixel[2] = ClampByte(y + (1402 * cr) / 1000);
    pixel[1] = ClampByte(y - (344 * cb + 714 * cr) / 1000);
    pixel[0] = ClampByte(y + (1772 * cb) / 1000);
    return 1;
}

int GreyscaleOp(const PackedDib* source, int x, int y, uint8_t* pixel, intptr_t) {
    uint8_t bgr[3];
    DibReadPixelClamped(source, x, y, bgr);
    const uint8_t grey = ClampByte((2 * bgr[2] + 4 * bgr[1] + bgr[0]) / 7);
    pixel[0] = pixel[1] = pixel[2] = grey;
    return 1;
}
