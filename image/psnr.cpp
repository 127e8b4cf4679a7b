#include "image/psnr.h"

#include "image/rgb_view.h"

#include <cmath>
#include <cstdint>
#include <limits>

double PsnrDb(const PackedDib* picture, const PackedDib* reference) {
    const RgbView a(picture), b(reference);
    if (!a.get() || !b.get() || a.get()->width != b.get()->width ||
        a.get()->height != b.get()->height || a.get()->width <= 0 || a.get()->height <= 0)
        return std::numeric_limits<double>::quiet_NaN();
    const int width = a.get()->width, height = a.get()->height;
    uint64_t squares = 0;
    for (int y = 0; y < height; ++y) {
        const uint8_t* p = DibPixelAddress(a.get(), 0, y);
        const uint8_t* q = DibPixelAddress(b.get(), 0, y);
        for (int x = 0; x < 3 * width; ++x) {
            const int d = int(p[x]) - int(q[x]);
            squares += uint64_t(d * d);
        }
    }
    if (squares == 0)
        return std::numeric_limits<double>::infinity();
    const double mse = double(squares) / (3.0 * width * height);
    return 10.0 * std::log10(255.0 * 255.0 / mse);
}
