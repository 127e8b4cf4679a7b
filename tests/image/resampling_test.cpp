// Area averaging and Lanczos against references computed here in real arithmetic, by
// integrating pixel areas and by evaluating the kernel at every pixel centre.
#include "image/resampling.h"
#include "image/transform.h"

#include "common/photo_like_picture.h"
#include "common/test_pictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

using testsupport::PhotoLikePicture;
using testsupport::PixelAt;
using testsupport::SetPixel;
using testsupport::SolidPicture;

namespace {

// One channel of a picture as reals, top row first.
std::vector<double> Channel(const PackedDib* dib, const ImageRect& r, int c) {
    std::vector<double> v;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            v.push_back(PixelAt(dib, x, y)[size_t(c)]);
    return v;
}

// Resamples rows of `n` values to `d` values with weights w(target, source), normalised.
template <class Weight>
std::vector<double> Rows(const std::vector<double>& in, int n, int d, Weight w) {
    std::vector<double> out;
    for (size_t row = 0; row < in.size() / size_t(n); ++row)
        for (int j = 0; j < d; ++j) {
            double sum = 0, total = 0;
            for (int k = 0; k < n; ++k) {
                sum += w(j, k) * in[row * size_t(n) + size_t(k)];
                total += w(j, k);
            }
            out.push_back(sum / total);
        }
    return out;
}

std::vector<double> Transposed(const std::vector<double>& in, int width) {
    const int height = int(in.size()) / width;
    std::vector<double> out(in.size());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            out[size_t(x * height + y)] = in[size_t(y * width + x)];
    return out;
}

// Separable reference: along x, then along y; result rows of d.width values.
template <class Weight>
std::vector<double> Reference(const std::vector<double>& in, ImageRect from, int dw, int dh,
                              Weight w) {
    const int sw = from.Width(), sh = from.Height();
    const auto across = Rows(in, sw, dw, [&](int j, int k) { return w(j, k, sw, dw); });
    const auto down =
        Rows(Transposed(across, dw), sh, dh, [&](int j, int k) { return w(j, k, sh, dh); });
    return Transposed(down, dh);
}

// Overlap of target pixel j (stretched over the source) with source pixel k.
double AreaWeight(int j, int k, int n, int d) {
    const double lo = double(j) * n / d, hi = double(j + 1) * n / d;
    return std::max(0.0, std::min(hi, k + 1.0) - std::max(lo, double(k)));
}

double LanczosWeight(int j, int k, int n, int d) {
    const double scale = std::max(1.0, double(n) / d);
    const double x = (k + 0.5 - (j + 0.5) * n / d) / scale;
    if (std::fabs(x) < 1e-12)
        return 1.0;
    if (std::fabs(x) >= 3)
        return 0.0;
    const double px = std::numbers::pi * x;
    return 3 * std::sin(px) * std::sin(px / 3) / (px * px);
}

// Largest difference between a resampled picture and a reference held to 0..255, over all
// channels.
template <class Weight>
double WorstError(const PackedDib* source, ImageRect from, const PackedDib* got, Weight w) {
    double worst = 0;
    for (int c = 0; c < 3; ++c) {
        const auto ref = Reference(Channel(source, from, c), from, got->width, got->height, w);
        const auto out = Channel(got, {0, 0, got->width, got->height}, c);
        for (size_t i = 0; i < ref.size(); ++i)
            worst = std::max(worst, std::fabs(out[i] - std::clamp(ref[i], 0.0, 255.0)));
    }
    return worst;
}

TEST(AreaResampling, EveryTargetPixelIsTheRoundedMeanOfItsArea) {
    // Ratios that share no factor with the sizes, a shrink along one side only, and a
    // selection that does not start at the corner.
    const DibPtr photo = PhotoLikePicture(150, 120);
    const struct {
        ImageRect from;
        int w, h;
    } cases[] = {
        {{0, 0, 150, 120}, 7, 11},  {{13, 9, 50, 46}, 5, 3},      {{3, 4, 146, 117}, 120, 40},
        {{20, 30, 21, 100}, 1, 69}, {{0, 0, 150, 120}, 149, 119},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(std::to_string(t.w) + "x" + std::to_string(t.h));
        DibPtr out(DibCreate(24, t.w, t.h));
        ASSERT_TRUE(ResampleRect(out.get(), photo.get(), t.from, Resampling::Area));
        // Rounded half up: never more than half a level from the exact mean.
        EXPECT_LE(WorstError(photo.get(), t.from, out.get(), AreaWeight), 0.5 + 1e-9);
    }

    // By hand: 0, 90, 180 to two pixels is (2 * 0 + 90) / 3 and (90 + 2 * 180) / 3; a
    // mean of 0.5 rounds up; growing interpolates about the centres, edges held.
    auto row = [](std::vector<uint8_t> values, int d) {
        DibPtr in(DibCreate(24, int(values.size()), 1));
        for (size_t x = 0; x < values.size(); ++x)
            SetPixel(in.get(), int(x), 0, {values[x], values[x], values[x]});
        DibPtr out(DibCreate(24, d, 1));
        EXPECT_TRUE(
            ResampleRect(out.get(), in.get(), {0, 0, int(values.size()), 1}, Resampling::Area));
        std::vector<int> got;
        for (int x = 0; x < d; ++x)
            got.push_back(PixelAt(out.get(), x, 0)[0]);
        return got;
    };
    EXPECT_EQ(row({0, 90, 180}, 2), (std::vector<int>{30, 150}));
    EXPECT_EQ(row({0, 1}, 1), (std::vector<int>{1}));
    EXPECT_EQ(row({0, 200}, 4), (std::vector<int>{0, 50, 150, 200}));
}

TEST(LanczosResampling, MatchesTheKernelAboutPixelCentres) {
    const DibPtr photo = PhotoLikePicture(150, 120);
    // Shrinks up to three are filtered directly: within rounding of the reference.
    for (const auto& [from, w, h] :
         {std::tuple{ImageRect{0, 0, 150, 120}, 60, 41}, {ImageRect{10, 5, 70, 65}, 90, 30}}) {
        DibPtr out(DibCreate(24, w, h));
        ASSERT_TRUE(ResampleRect(out.get(), photo.get(), from, Resampling::Lanczos));
        EXPECT_LE(WorstError(photo.get(), from, out.get(),
                             [](int j, int k, int n, int d) {
                                 // Taps beyond the edge read the edge pixel.
                                 double sum = LanczosWeight(j, k, n, d);
                                 for (int e = 1; e < 10; ++e)
                                     sum += k == 0       ? LanczosWeight(j, -e, n, d)
                                            : k == n - 1 ? LanczosWeight(j, k + e, n, d)
                                                         : 0.0;
                                 return sum;
                             }),
                  0.5 + 1e-3);
    }
}

// The selection alone counts: white around a dark selection never bleeds in, a flat
// selection stays flat (the kernel's lobes add up to one at the edges too), and a mirrored
// selection gives the mirrored picture (centred sampling).
TEST(SmoothResampling, SelectionEdgesAndSymmetry) {
    for (Resampling how : {Resampling::Area, Resampling::Lanczos}) {
        SCOPED_TRACE(how == Resampling::Area ? "area" : "lanczos");
        DibPtr picture = SolidPicture(300, 200, {255, 255, 255});
        for (int y = 50; y < 150; ++y)
            for (int x = 40; x < 260; ++x)
                SetPixel(picture.get(), x, y, {10, 20, 30});
        for (const auto& [w, h] : {std::pair{7, 5}, std::pair{100, 90}, std::pair{500, 300}}) {
            DibPtr out(DibCreate(24, w, h));
            ASSERT_TRUE(ResampleRect(out.get(), picture.get(), {40, 50, 260, 150}, how));
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    ASSERT_EQ(PixelAt(out.get(), x, y), (testsupport::Rgb{10, 20, 30}));
        }

        const DibPtr photo = PhotoLikePicture(160, 130);
        const DibPtr mirrored = TransformRightAngle(RightAngle::Mirror, photo.get());
        DibPtr a(DibCreate(24, 37, 29)), b(DibCreate(24, 37, 29));
        ASSERT_TRUE(ResampleRect(a.get(), photo.get(), {0, 0, 160, 130}, how));
        ASSERT_TRUE(ResampleRect(b.get(), mirrored.get(), {0, 0, 160, 130}, how));
        for (int y = 0; y < 29; ++y)
            for (int x = 0; x < 37; ++x)
                ASSERT_EQ(PixelAt(a.get(), x, y), PixelAt(b.get(), 36 - x, y));

        // Nothing is written for a selection it cannot read.
        EXPECT_FALSE(ResampleRect(a.get(), photo.get(), {-1, 0, 10, 10}, how));
        EXPECT_FALSE(ResampleRect(a.get(), photo.get(), {0, 0, 161, 10}, how));
        EXPECT_FALSE(ResampleRect(a.get(), photo.get(), {5, 5, 5, 10}, how));
    }
}

// A picture reduced to a quarter, as a JPEG's scaled decode gives it: where every 4 x 4
// square of the picture is one colour, the reduced picture holds the same information, and
// area means from it give exactly the bytes of the whole picture for any selection edges.
TEST(ReducedResampling, ExactWhereTheReducedPixelsAreExact) {
    constexpr int r = 4;
    const DibPtr small = PhotoLikePicture(60, 45);
    DibPtr whole(DibCreate(24, 60 * r - 2, 45 * r - 3)); // a last part-square each way
    for (int y = 0; y < whole->height; ++y)
        for (int x = 0; x < whole->width; ++x)
            SetPixel(whole.get(), x, y, PixelAt(small.get(), x / r, y / r));
    for (const auto& [from, w, h] : {std::tuple{ImageRect{0, 0, 238, 177}, 59, 44},
                                     {ImageRect{5, 7, 230, 170}, 17, 23},
                                     {ImageRect{3, 1, 238, 177}, 13, 9},
                                     {ImageRect{9, 6, 30, 175}, 5, 42}}) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        DibPtr a(DibCreate(24, w, h)), b(DibCreate(24, w, h));
        ASSERT_TRUE(ResampleRect(a.get(), whole.get(), from, Resampling::Area));
        ASSERT_TRUE(ResampleReducedRect(b.get(), small.get(), r, from, Resampling::Area));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(PixelAt(a.get(), x, y), PixelAt(b.get(), x, y)) << x << "," << y;
        ASSERT_TRUE(ResampleReducedRect(b.get(), small.get(), r, from, Resampling::Lanczos));
    }
    // Not for a shrink smaller than the reduction, nor outside the picture.
    DibPtr out(DibCreate(24, 100, 40));
    EXPECT_FALSE(
        ResampleReducedRect(out.get(), small.get(), r, {0, 0, 238, 177}, Resampling::Area));
    out = DibCreate(24, 10, 10);
    EXPECT_FALSE(
        ResampleReducedRect(out.get(), small.get(), r, {0, 0, 241, 177}, Resampling::Area));
    EXPECT_FALSE(
        ResampleReducedRect(out.get(), small.get(), r, {0, 0, 238, 177}, Resampling::Classic));
}

} // namespace
