#include "image/transform.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// A 24-bit picture whose pixel (x, y) holds the grey value of `values[y * width + x]`, or
// when `distinct`, the colour (x, y, 7) so every pixel tells where it came from.
DibPtr Picture(int width, int height, std::vector<uint8_t> values = {}) {
    DibPtr dib(DibCreate(24, width, height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = DibPixelAddress(dib.get(), x, height - 1 - y);
            if (values.empty()) {
                p[0] = uint8_t(x);
                p[1] = uint8_t(y);
                p[2] = 7;
            } else {
                p[0] = p[1] = p[2] = values[size_t(y * width + x)];
            }
        }
    return dib;
}

// Blue byte of pixel (x, y) from the top.
int Blue(const PackedDib* dib, int x, int y) {
    return DibPixelAddress(dib, x, DibHeight(dib) - 1 - y)[0];
}
// (x, y) a distinct picture's pixel says it came from.
std::pair<int, int> Origin(const PackedDib* dib, int x, int y) {
    const uint8_t* p = DibPixelAddress(dib, x, DibHeight(dib) - 1 - y);
    return {p[0], p[1]};
}

std::vector<int> Row(const PackedDib* dib, int y) {
    std::vector<int> row;
    for (int x = 0; x < DibWidth(dib); ++x)
        row.push_back(Blue(dib, x, y));
    return row;
}

TEST(ReadPixelClamped, CoordinatesAreForcedIntoThePicture) {
    DibPtr dib = Picture(3, 2);
    uint8_t s[3];
    DibReadPixelClamped(dib.get(), -5, -1, s);
    EXPECT_EQ(std::make_pair(int(s[0]), int(s[1])), std::make_pair(0, 0));
    DibReadPixelClamped(dib.get(), 9, 9, s);
    EXPECT_EQ(std::make_pair(int(s[0]), int(s[1])), std::make_pair(2, 1));
    DibReadPixelClamped(dib.get(), 1, 0, s);
    EXPECT_EQ(std::make_pair(int(s[0]), int(s[1])), std::make_pair(1, 0));
}

TEST(ResampleImage, EnlargingAndShrinkingFollowThePhaseOffsets) {
    // 1 x 1 to 4 x 4: every pixel is the source pixel.
    DibPtr one = Picture(1, 1, {77});
    DibPtr big(DibCreate(24, 4, 4));
    ASSERT_EQ(ResampleImage(big.get(), 0, 0, -1, -1, one.get(), 0, 0, -1, -1), 1);
    for (int y = 0; y < 4; ++y)
        EXPECT_EQ(Row(big.get(), y), (std::vector<int>{77, 77, 77, 77}));

    // 2 x 1 black, white to 4 x 1: positions -0.5, 0, 0.5, 1.0.
    DibPtr pair = Picture(2, 1, {0, 255});
    DibPtr wide(DibCreate(24, 4, 1));
    ASSERT_EQ(ResampleImage(wide.get(), 0, 0, -1, -1, pair.get(), 0, 0, -1, -1), 1);
    EXPECT_EQ(Row(wide.get(), 0), (std::vector<int>{0, 0, 128, 255}));

    // 4 x 1 to 2 x 1 samples positions 0 and 2, no averaging.
    DibPtr ramp = Picture(4, 1, {0, 100, 200, 250});
    DibPtr narrow(DibCreate(24, 2, 1));
    ASSERT_EQ(ResampleImage(narrow.get(), 0, 0, -1, -1, ramp.get(), 0, 0, -1, -1), 1);
    EXPECT_EQ(Row(narrow.get(), 0), (std::vector<int>{0, 200}));

    // Three to two: position 1.5 rounds 150 + 0.5 up; 3 x 1 (0, 100, 201) gives 0, 151.
    DibPtr three = Picture(3, 1, {0, 100, 201});
    ASSERT_EQ(ResampleImage(narrow.get(), 0, 0, -1, -1, three.get(), 0, 0, -1, -1), 1);
    EXPECT_EQ(Row(narrow.get(), 0), (std::vector<int>{0, 151}));
}

TEST(ResampleImage, RectanglesAreResolvedAndRefusedSafely) {
    DibPtr source = Picture(4, 4, std::vector<uint8_t>(16, 50));
    DibPtr dest(DibCreate(24, 4, 2));
    // A reversed destination rectangle is normalised; only its pixels change.
    ASSERT_EQ(ResampleImage(dest.get(), 3, 2, 1, 0, source.get(), 0, 0, 4, 4), 1);
    EXPECT_EQ(Row(dest.get(), 0), (std::vector<int>{0, 50, 50, 0}));
    EXPECT_EQ(Row(dest.get(), 1), (std::vector<int>{0, 50, 50, 0}));
    // A destination rectangle beyond the picture writes its clamped edge pixels only.
    ASSERT_EQ(ResampleImage(dest.get(), 3, 0, 8, 2, source.get(), 0, 0, 4, 4), 1);
    EXPECT_EQ(Row(dest.get(), 0), (std::vector<int>{0, 50, 50, 50}));

    EXPECT_EQ(ResampleImage(nullptr, 0, 0, -1, -1, source.get(), 0, 0, -1, -1), 0);
    EXPECT_EQ(ResampleImage(dest.get(), 0, 0, -1, -1, nullptr, 0, 0, -1, -1), 0);
    // An empty source rectangle is refused instead of dividing by zero.
    DibPtr untouched(DibDuplicate(dest.get(), nullptr));
    EXPECT_EQ(ResampleImage(dest.get(), 0, 0, -1, -1, source.get(), 2, 0, 2, 4), 0);
    EXPECT_EQ(0, std::memcmp(dest.get(), untouched.get(), DibBlockSize(dest.get())));

    // Palette sources are read through their colours.
    DibPtr palette(DibCreate(8, 1, 1));
    DibBits(palette.get())[0] = 9; // standard red
    ASSERT_EQ(ResampleImage(dest.get(), 0, 0, -1, -1, palette.get(), 0, 0, -1, -1), 1);
    EXPECT_EQ(DibPixelAddress(dest.get(), 0, 0)[2], 255);
    EXPECT_EQ(DibPixelAddress(dest.get(), 0, 0)[0], 0);
}

TEST(SampleBilinear, InterpolatesInRealArithmetic) {
    DibPtr square = Picture(2, 2, {0, 100, 200, 255});
    uint8_t s[3];
    EXPECT_EQ(SampleBilinear(square.get(), 0.5, 0.5, s), 1);
    // top 50, bottom 227.5, value 138.75 -> 139
    EXPECT_EQ(s[0], 139);
    SampleBilinear(square.get(), 1e12, -3.0, s);
    EXPECT_EQ(s[0], 100);
}

TEST(RightAngleTransforms, EveryCodeMovesPixelsByItsRule) {
    const int w = 3, h = 2;
    DibPtr src = Picture(w, h);
    struct Expect {
        RightAngle transform;
        int width, height;
        // Where source (x, y) lands.
        std::pair<int, int> (*to)(int x, int y);
    };
    const Expect cases[] = {
        {RightAngle::Clockwise, h, w, [](int x, int y) { return std::make_pair(h - 1 - y, x); }},
        {RightAngle::HalfTurn, w, h, [](int x, int y) { return std::make_pair(w - 1 - x, h - 1 - y); }},
        {RightAngle::CounterClockwise, h, w, [](int x, int y) { return std::make_pair(y, w - 1 - x); }},
        {RightAngle::UpsideDown, w, h, [](int x, int y) { return std::make_pair(x, h - 1 - y); }},
        {RightAngle::Mirror, w, h, [](int x, int y) { return std::make_pair(w - 1 - x, y); }},
    };
    for (const Expect& e : cases) {
        SCOPED_TRACE(int(e.transform));
        DibPtr dst(TransformRightAngle(e.transform, src.get()));
        ASSERT_TRUE(dst);
        ASSERT_EQ(DibWidth(dst.get()), e.width);
        ASSERT_EQ(DibHeight(dst.get()), e.height);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const auto [tx, ty] = e.to(x, y);
                EXPECT_EQ(Origin(dst.get(), tx, ty), std::make_pair(x, y));
            }
    }
    DibPtr black(TransformRightAngle(RightAngle(9), src.get()));
    ASSERT_TRUE(black);
    EXPECT_EQ(DibWidth(black.get()), w);
    EXPECT_EQ(Blue(black.get(), 2, 1), 0);
}

TEST(RightAngleTransforms, LargePicturesCrossTileEdges) {
    // Sides that are not multiples of the tiles, with rows that need padding.
    DibPtr src(DibCreate(24, 131, 70));
    for (size_t i = 0; i < DibPixelBytes(src.get()); ++i)
        DibBits(src.get())[i] = uint8_t(i * 31 + 7);
    DibPtr once(TransformRightAngle(RightAngle::Clockwise, src.get()));
    DibPtr back(TransformRightAngle(RightAngle::CounterClockwise, once.get()));
    ASSERT_TRUE(back);
    for (int y = 0; y < 70; ++y)
        ASSERT_EQ(0, std::memcmp(DibPixelAddress(back.get(), 0, y),
                                 DibPixelAddress(src.get(), 0, y), 3 * 131))
            << y;
    DibPtr half(TransformRightAngle(RightAngle::HalfTurn, src.get()));
    DibPtr twice(TransformRightAngle(RightAngle::Clockwise, once.get()));
    EXPECT_EQ(0, std::memcmp(DibBits(half.get()), DibBits(twice.get()), DibPixelBytes(half.get())));
}

TEST(RotateImage, AnglesPickTheRightOperation) {
    DibPtr src = Picture(3, 2);
    DibPtr same(RotateImage(0, src.get()));
    ASSERT_TRUE(same);
    EXPECT_EQ(0, std::memcmp(same.get(), src.get(), DibBlockSize(src.get())));

    DibPtr quarter(RotateImage(90, src.get()));
    ASSERT_TRUE(quarter);
    EXPECT_EQ(DibWidth(quarter.get()), 2);
    EXPECT_EQ(DibHeight(quarter.get()), 3);
    EXPECT_EQ(Origin(quarter.get(), 0, 0), std::make_pair(0, 1)); // former bottom-left

    DibPtr upsideDown(RotateImage(360, src.get()));
    EXPECT_EQ(Origin(upsideDown.get(), 0, 0), std::make_pair(0, 1));
    EXPECT_EQ(Origin(upsideDown.get(), 2, 0), std::make_pair(2, 1));
    DibPtr mirrored(RotateImage(450, src.get()));
    EXPECT_EQ(Origin(mirrored.get(), 0, 0), std::make_pair(2, 0));
    EXPECT_EQ(RotateImage(45, nullptr), nullptr);
}

TEST(RotateImage, FreeAnglesUseFixedPointNearestNeighbour) {
    DibPtr src(DibCreate(24, 100, 100));
    std::memset(DibBits(src.get()), 200, DibPixelBytes(src.get()));
    DibPtr turned(RotateImage(45, src.get()));
    ASSERT_TRUE(turned);
    EXPECT_EQ(DibWidth(turned.get()), 141);
    EXPECT_EQ(DibHeight(turned.get()), 141);
    EXPECT_EQ(Blue(turned.get(), 0, 0), 0);
    EXPECT_EQ(Blue(turned.get(), 140, 140), 0);
    EXPECT_EQ(Blue(turned.get(), 70, 70), 200);

    // Exact positions: 30 degrees of a distinct 5 x 3 picture, computed by hand with
    // S = 32767, C = 56755, W' = 5, H' = 5.
    DibPtr small = Picture(5, 3);
    DibPtr r30(RotateImage(30, small.get()));
    ASSERT_TRUE(r30);
    ASSERT_EQ(DibWidth(r30.get()), 5);
    ASSERT_EQ(DibHeight(r30.get()), 5);
    // Row 2, column 1: X = 2*65536 + 0 + (1+1-2)*C = 131072 -> 2; Y = 65536 -> 1.
    EXPECT_EQ(Origin(r30.get(), 1, 2), std::make_pair(2, 1));
    // Row 2, column 2: X = 131072 + 56755 -> 2; Y = 65536 - 32767 -> 0.
    EXPECT_EQ(Origin(r30.get(), 2, 2), std::make_pair(2, 0));
    // Row 0, column 0: X = 131072 - 2*32767 - 56755 = 8783 -> 0;
    // Y = 65536 - 2*56755 + 32767 = -15207 -> outside, black.
    EXPECT_EQ(DibPixelAddress(r30.get(), 0, 4)[2], 0);
    // Row 4, column 4: X = 131072 + 65534 + 3*56755 -> 5, outside the width.
    EXPECT_EQ(DibPixelAddress(r30.get(), 4, 0)[2], 0);
    // Row 4, column 0: X = 131072 + 65534 - 56755 = 139851 -> 2; Y = 65536 + 113510 + 32767
    // = 211813 -> 3, outside the height.
    EXPECT_EQ(DibPixelAddress(r30.get(), 0, 0)[2], 0);
    // Row 3, column 0: X = 131072 + 32767 - 56755 = 107084 -> 1; Y = 65536 + 56755 + 32767
    // = 155058 -> 2.
    EXPECT_EQ(Origin(r30.get(), 0, 3), std::make_pair(1, 2));
}

} // namespace
