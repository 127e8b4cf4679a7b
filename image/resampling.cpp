#include "image/resampling.h"

#include "image/rgb_view.h"
#include "image/transform.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <new>
#include <numbers>
#include <vector>

namespace {

// One side of a separable filter: target pixel j takes the consecutive source pixels from
// first[j] (counted from the rectangle's edge) with the weights weight[start[j]] up to
// weight[start[j + 1]].
template <class W> struct Axis {
    std::vector<int> first;
    std::vector<uint32_t> start;
    std::vector<W> weight;

    void Begin(int sourceFirst) {
        first.push_back(sourceFirst);
        start.push_back(uint32_t(weight.size()));
    }
    void Close() { start.push_back(uint32_t(weight.size())); }
};

// Whole-number weights that add up to `*total` for every target pixel.
Axis<uint32_t> AreaAxis(int s, int d, uint32_t* total) {
    Axis<uint32_t> a;
    if (d <= s) {
        // In units of 1/d source pixel, target pixel j spans [j s, (j + 1) s) and source
        // pixel k spans [k d, (k + 1) d): the overlaps are whole and add up to s.
        *total = uint32_t(s);
        for (int j = 0; j < d; ++j) {
            const int64_t lo = int64_t(j) * s, hi = lo + s;
            const int k0 = int(lo / d), k1 = int((hi - 1) / d);
            a.Begin(k0);
            for (int k = k0; k <= k1; ++k)
                a.weight.push_back(
                    uint32_t(std::min(hi, int64_t(k + 1) * d) - std::max(lo, int64_t(k) * d)));
        }
    } else {
        // Growing: the centre of target pixel j lies ((2j + 1) s - d) / 2d source pixels
        // after the centre of the first source pixel; bilinear between the two around it.
        *total = uint32_t(2 * d);
        for (int j = 0; j < d; ++j) {
            const int64_t at = int64_t(2 * j + 1) * s - d;
            const int k = at <= 0 ? 0 : int(at / (2 * int64_t(d)));
            if (at <= 0 || k >= s - 1) {
                a.Begin(at <= 0 ? 0 : s - 1);
                a.weight.push_back(*total);
                continue;
            }
            const uint32_t f = uint32_t(at % (2 * int64_t(d)));
            a.Begin(k);
            a.weight.push_back(*total - f);
            a.weight.push_back(f);
        }
    }
    a.Close();
    return a;
}

// Area means from a picture reduced by `r`: target pixel j spans [offset + j s / d, ...)
// pixels of the whole picture and reduced pixel k (counted from the first one read) the
// pixels [k r, (k + 1) r). In units of 1/d pixel all overlaps are whole and add up to s.
Axis<uint32_t> ReducedAreaAxis(int offset, int s, int d, int r, uint32_t* total) {
    Axis<uint32_t> a;
    *total = uint32_t(s);
    const int64_t cell = int64_t(r) * d;
    for (int j = 0; j < d; ++j) {
        const int64_t lo = int64_t(offset) * d + int64_t(j) * s, hi = lo + s;
        const int k0 = int(lo / cell), k1 = int((hi - 1) / cell);
        a.Begin(k0);
        for (int k = k0; k <= k1; ++k)
            a.weight.push_back(
                uint32_t(std::min(hi, int64_t(k + 1) * cell) - std::max(lo, int64_t(k) * cell)));
    }
    a.Close();
    return a;
}

double Lanczos3(double x) {
    x = std::fabs(x);
    if (x >= 3.0)
        return 0.0;
    if (x < 1e-9)
        return 1.0;
    const double px = std::numbers::pi * x;
    return 3.0 * std::sin(px) * std::sin(px / 3.0) / (px * px);
}

// Real weights adding up to 1; taps beyond the edges read the edge pixel.
Axis<float> LanczosAxis(int s, int d) {
    Axis<float> a;
    const double ratio = double(s) / d;
    const double scale = std::max(1.0, ratio); // a shrink widens the kernel
    const double reach = 3.0 * scale;
    std::vector<double> w;
    for (int j = 0; j < d; ++j) {
        const double centre = (j + 0.5) * ratio;
        const int lo = int(std::floor(centre - reach)), hi = int(std::ceil(centre + reach));
        const int k0 = std::clamp(lo, 0, s - 1), k1 = std::clamp(hi, 0, s - 1);
        w.assign(size_t(k1 - k0 + 1), 0.0);
        double sum = 0.0;
        for (int k = lo; k <= hi; ++k) {
            const double v = Lanczos3((k + 0.5 - centre) / scale);
            w[size_t(std::clamp(k, k0, k1) - k0)] += v;
            sum += v;
        }
        a.Begin(k0);
        for (double v : w)
            a.weight.push_back(float(v / sum));
    }
    a.Close();
    return a;
}

// Each target row first adds up its source rows with their weights (V per sample, a run
// the compiler can vectorise), then filters that sum along x (S per sample); `finish` turns
// a target sum into a byte. Source rows shared by two target rows are read twice.
template <class W, class V, class S, class Finish>
void Filter(PackedDib* dest, const PackedDib* source, const ImageRect& from, const Axis<W>& ax,
            const Axis<W>& ay, Finish finish) {
    const int dw = dest->width, dh = dest->height;
    const size_t samples = 3 * size_t(from.Width());
    std::vector<V> column(samples);
    std::vector<uint16_t> plain(samples);
    const uint32_t stride = DibRowBytes(source);
    auto line = [&](int k) {
        return DibBits(source) + size_t(source->height - 1 - (from.top + k)) * stride +
               3 * size_t(from.left);
    };
    for (int i = 0; i < dh; ++i) {
        std::fill(column.begin(), column.end(), V(0));
        const uint32_t end = ay.start[size_t(i) + 1];
        int k = ay.first[size_t(i)];
        for (uint32_t t = ay.start[size_t(i)]; t < end;) {
            // A run of rows of one weight (the inner rows of an area) is added up plainly
            // and weighted once; 257 bytes always fit 16 bits.
            uint32_t run = 1;
            while (t + run < end && run < 257 && ay.weight[t + run] == ay.weight[t])
                ++run;
            const V w = V(ay.weight[t]);
            V* sum = column.data();
            if (run == 1) {
                const uint8_t* p = line(k);
                for (size_t x = 0; x < samples; ++x)
                    sum[x] += w * V(p[x]);
            } else {
                std::fill(plain.begin(), plain.end(), uint16_t(0));
                for (uint32_t r = 0; r < run; ++r) {
                    const uint8_t* p = line(k + int(r));
                    for (size_t x = 0; x < samples; ++x)
                        plain[x] = uint16_t(plain[x] + p[x]);
                }
                for (size_t x = 0; x < samples; ++x)
                    sum[x] += w * V(plain[x]);
            }
            t += run;
            k += int(run);
        }
        uint8_t* out = DibPixelAddress(dest, 0, dh - 1 - i);
        for (int j = 0; j < dw; ++j) {
            const V* p = &column[3 * size_t(ax.first[size_t(j)])];
            S b = 0, g = 0, r = 0;
            for (uint32_t t = ax.start[size_t(j)]; t < ax.start[size_t(j) + 1]; ++t, p += 3) {
                const S w = S(ax.weight[t]);
                b += w * S(p[0]);
                g += w * S(p[1]);
                r += w * S(p[2]);
            }
            out[3 * size_t(j)] = finish(b);
            out[3 * size_t(j) + 1] = finish(g);
            out[3 * size_t(j) + 2] = finish(r);
        }
    }
}

void AreaFilter(PackedDib* dest, const PackedDib* source, const ImageRect& from,
                const Axis<uint32_t>& ax, uint32_t totalX, const Axis<uint32_t>& ay,
                uint32_t totalY) {
    const uint64_t total = uint64_t(totalX) * totalY;
    // The mean rounded half up, (2 sum + total) / (2 total) truncated, without a division
    // per sample: the quotient lies at least 1 / (2 total) (over 2^-34) from the next
    // whole number, far beyond the product's rounding error (a few 2^-53 of 256).
    const double inverse = 0.5 / double(total);
    Filter<uint32_t, uint32_t, uint64_t>(dest, source, from, ax, ay, [=](uint64_t sum) {
        return uint8_t(double(2 * sum + total) * inverse);
    });
}

void AreaFilter(PackedDib* dest, const PackedDib* source, const ImageRect& from) {
    uint32_t totalX = 0, totalY = 0;
    const Axis<uint32_t> ax = AreaAxis(from.Width(), dest->width, &totalX);
    const Axis<uint32_t> ay = AreaAxis(from.Height(), dest->height, &totalY);
    AreaFilter(dest, source, from, ax, totalX, ay, totalY);
}

// `from` in pixels of the whole picture; `reduced` holds its reduction-squares.
void ReducedAreaFilter(PackedDib* dest, const PackedDib* reduced, int reduction,
                       const ImageRect& from) {
    const ImageRect cells{from.left / reduction, from.top / reduction,
                          std::min(reduced->width, (from.right + reduction - 1) / reduction),
                          std::min(reduced->height, (from.bottom + reduction - 1) / reduction)};
    uint32_t totalX = 0, totalY = 0;
    const Axis<uint32_t> ax = ReducedAreaAxis(from.left - cells.left * reduction, from.Width(),
                                              dest->width, reduction, &totalX);
    const Axis<uint32_t> ay = ReducedAreaAxis(from.top - cells.top * reduction, from.Height(),
                                              dest->height, reduction, &totalY);
    AreaFilter(dest, reduced, cells, ax, totalX, ay, totalY);
}

void LanczosFilter(PackedDib* dest, const PackedDib* source, const ImageRect& from) {
    const Axis<float> ax = LanczosAxis(from.Width(), dest->width);
    const Axis<float> ay = LanczosAxis(from.Height(), dest->height);
    Filter<float, float, float>(dest, source, from, ax, ay, [](float v) {
        return uint8_t(std::clamp(v, 0.0f, 255.0f) + 0.5f);
    });
}

// Beyond this shrink, Lanczos first averages areas: every source pixel is then read once
// instead of by six target pixels, which keeps large photos quick.
constexpr int kLanczosDirectShrink = 3;

bool Resample(PackedDib* dest, const PackedDib* source, const ImageRect& from, Resampling how) {
    if (how == Resampling::Area) {
        AreaFilter(dest, source, from);
        return true;
    }
    const int w = std::min(from.Width(), kLanczosDirectShrink * dest->width);
    const int h = std::min(from.Height(), kLanczosDirectShrink * dest->height);
    if (w == from.Width() && h == from.Height()) {
        LanczosFilter(dest, source, from);
        return true;
    }
    const DibPtr reduced(DibCreate(24, w, h));
    if (!reduced)
        return false;
    AreaFilter(reduced.get(), source, from);
    LanczosFilter(dest, reduced.get(), ImageRect{0, 0, w, h});
    return true;
}

} // namespace

bool ResampleReducedRect(PackedDib* dest, const PackedDib* reduced, int reduction,
                         const ImageRect& from, Resampling how) {
    if (!dest || !reduced || dest->bitCount != 24 || reduced->bitCount != 24 || dest->width <= 0 ||
        dest->height <= 0 || reduction <= 0 || how == Resampling::Classic || from.Empty() ||
        from.left < 0 || from.top < 0 ||
        int64_t(from.right) > int64_t(reduced->width) * reduction ||
        int64_t(from.bottom) > int64_t(reduced->height) * reduction ||
        int64_t(from.Width()) < int64_t(dest->width) * reduction ||
        int64_t(from.Height()) < int64_t(dest->height) * reduction)
        return false;
    try {
        if (how == Resampling::Area) {
            ReducedAreaFilter(dest, reduced, reduction, from);
            return true;
        }
        // As Resample does for a big shrink: area means to three times the target first.
        const int w = std::min(from.Width() / reduction, kLanczosDirectShrink * dest->width);
        const int h = std::min(from.Height() / reduction, kLanczosDirectShrink * dest->height);
        const DibPtr means(DibCreate(24, w, h));
        if (!means)
            return false;
        ReducedAreaFilter(means.get(), reduced, reduction, from);
        LanczosFilter(dest, means.get(), ImageRect{0, 0, w, h});
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool ResampleRect(PackedDib* dest, const PackedDib* source, const ImageRect& from, Resampling how) {
    if (how == Resampling::Classic)
        return ResampleImage(dest, 0, 0, -1, -1, source, from.left, from.top, from.right,
                             from.bottom) != 0;
    if (!dest || !source || dest->bitCount != 24 || dest->width <= 0 || dest->height <= 0 ||
        from.Empty() || from.left < 0 || from.top < 0 || from.right > source->width ||
        from.bottom > source->height)
        return false;
    const RgbView rgb(source);
    if (!rgb.get())
        return false;
    try {
        return Resample(dest, rgb.get(), from, how);
    } catch (const std::bad_alloc&) {
        return false;
    }
}
