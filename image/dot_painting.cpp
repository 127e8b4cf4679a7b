#include "image/dot_painting.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

bool Paintable(const PackedDib* image) {
    return image && image->bitCount == 24 && image->width > 0 && image->height > 0;
}

inline uint8_t* Pixel(PackedDib* image, int x, int y) {
    return DibPixelAddress(image, x, image->height - 1 - y);
}

inline void Put(uint8_t* p, uint32_t color) {
    p[0] = uint8_t(color >> 16); // blue
    p[1] = uint8_t(color >> 8);  // green
    p[2] = uint8_t(color);       // red
}

} // namespace

int StampPen(PackedDib* image, int x, int y, int r, uint32_t color) {
    if (!Paintable(image) || r < 0)
        return 0;
    const int left = std::max(0, x - r), right = std::min(image->width - 1, x + r);
    const int top = std::max(0, y - r), bottom = std::min(image->height - 1, y + r);
    int painted = 0;
    for (int py = top; py <= bottom; ++py)
        for (int px = left; px <= right; ++px, ++painted)
            Put(Pixel(image, px, py), color);
    return painted;
}

int FillRegion(PackedDib* image, int x, int y, uint32_t color, int tolerance, FillTrace trace,
               void* traceContext) {
    if (!Paintable(image) || x < 0 || y < 0 || x >= image->width || y >= image->height)
        return 0;
    const int w = image->width, h = image->height;
    const uint8_t* start = Pixel(image, x, y);
    const int sb = start[0], sg = start[1], sr = start[2];
    const int bound = tolerance * tolerance;

    // Examined pixels, accepted or not. A pixel is examined before anything is painted on
    // it, so its colour is still the one it had before the fill.
    std::vector<uint8_t> examined(size_t(w) * size_t(h), 0);
    std::vector<int32_t> pending;
    auto examine = [&](int px, int py) {
        const size_t index = size_t(py) * size_t(w) + size_t(px);
        if (examined[index])
            return;
        examined[index] = 1;
        const uint8_t* p = Pixel(image, px, py);
        const int db = p[0] - sb, dg = p[1] - sg, dr = p[2] - sr;
        const int d2 = dr * dr + dg * dg + db * db;
        if (trace)
            trace(traceContext, int(std::sqrt(double(d2))));
        if (d2 <= bound)
            pending.push_back(int32_t(index));
    };

    int filled = 0;
    examine(x, y);
    while (!pending.empty()) {
        const int32_t index = pending.back();
        pending.pop_back();
        const int px = index % w, py = index / w;
        Put(Pixel(image, px, py), color);
        ++filled;
        // Pushed in reverse so that the right neighbour is taken first.
        if (py + 1 < h)
            examine(px, py + 1);
        if (py > 0)
            examine(px, py - 1);
        if (px > 0)
            examine(px - 1, py);
        if (px + 1 < w)
            examine(px + 1, py);
    }
    return filled;
}
