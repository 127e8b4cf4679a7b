// A 24-bit picture with the traits of a photo for the colour-reduction tests: smooth
// colour fields, a hard-edged disc and seeded noise, the same pixels on every run.
#pragma once

#include "image/dib.h"

#include <algorithm>
#include <cstdint>

namespace testsupport {

inline DibPtr PhotoLikePicture(int width, int height, uint32_t seed = 12345) {
    DibPtr dib(DibCreate(24, width, height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int noise = int(seed >> 28) - 8;
            const bool disc = (x - 70) * (x - 70) + (y - 60) * (y - 60) < 900;
            const int r = disc ? 230 : x * 2, g = disc ? 40 : y * 3 / 2, b = (x + y) % 256;
            uint8_t* p = DibPixelAddress(dib.get(), x, height - 1 - y);
            p[0] = uint8_t(std::clamp(b + noise, 0, 255));
            p[1] = uint8_t(std::clamp(g + noise, 0, 255));
            p[2] = uint8_t(std::clamp(r + noise, 0, 255));
        }
    return dib;
}

} // namespace testsupport
