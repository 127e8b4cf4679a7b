#include "image/pixel_ops.h"

#include "common/test_pictures.h"

#include <gtest/gtest.h>

#include <cstring>

using testsupport::PixelAt;
using testsupport::Rgb;
using testsupport::SolidPicture;

namespace {

// One pixel through an operation.
Rgb Apply(Rgb in, PixelOperation op, intptr_t param) {
    DibPtr dib = SolidPicture(1, 1, in);
    DibPtr out(ApplyPixelOperation(dib.get(), nullptr, op, param));
    return PixelAt(out.get(), 0, 0);
}

Rgb Tone(Rgb in, int brightness, int contrast) {
    return Apply(in, BrightnessContrastOp, BrightnessContrastParam(brightness, contrast));
}

TEST(PixelOperations, BrightnessThenContrastWithTruncation) {
    const Rgb mixed{0, 100, 200};
    EXPECT_EQ(Tone(mixed, 0, 0), mixed);
    EXPECT_EQ(Tone(mixed, 0, -100), (Rgb{127, 127, 127}));
    EXPECT_EQ(Tone(mixed, 255, 0), (Rgb{255, 255, 255}));
    EXPECT_EQ(Tone(mixed, -255, 0), (Rgb{0, 0, 0}));
    // -27 * 50 / 100 truncates to -13, 73 * 50 / 100 to 36.
    EXPECT_EQ(Tone(mixed, 0, 50), (Rgb{0, 87, 236}));
    EXPECT_EQ(Tone({100, 127, 180}, 0, 100), (Rgb{73, 127, 233}));
    // Brightness first: 100 + 20 = 120, then 120 + (-7 * 50) / 100 = 117.
    EXPECT_EQ(Tone({100, 100, 100}, 20, 50), (Rgb{117, 117, 117}));
}

TEST(PixelOperations, ComponentOffsets) {
    const ComponentOffsets rgb{10, -20, 300};
    EXPECT_EQ(Apply({250, 10, 0}, RgbOffsetOp, OffsetsParam(rgb)), (Rgb{255, 0, 255}));

    const ComponentOffsets none{};
    EXPECT_EQ(Apply({255, 0, 0}, YCrCbOffsetOp, OffsetsParam(none)), (Rgb{254, 1, 0}));
    EXPECT_EQ(Apply({255, 255, 255}, YCrCbOffsetOp, OffsetsParam(none)), (Rgb{255, 255, 255}));
    const ComponentOffsets darker{-50, 0, 0};
    EXPECT_EQ(Apply({128, 128, 128}, YCrCbOffsetOp, OffsetsParam(darker)), (Rgb{78, 78, 78}));
}

TEST(PixelOperations, GreyWeights) {
    EXPECT_EQ(Apply({255, 0, 0}, GreyscaleOp, 0), (Rgb{72, 72, 72}));
    EXPECT_EQ(Apply({0, 255, 0}, GreyscaleOp, 0), (Rgb{145, 145, 145}));
    EXPECT_EQ(Apply({0, 0, 255}, GreyscaleOp, 0), (Rgb{36, 36, 36}));
}

// Marks each pixel with its own coordinates.
int StampCoordinates(const PackedDib*, int x, int y, uint8_t* pixel, intptr_t param) {
    pixel[2] = uint8_t(x);
    pixel[1] = uint8_t(y);
    pixel[0] = uint8_t(param);
    return 0;
}

TEST(PixelOperations, EngineWalksPictureCoordinatesOnACopy) {
    DibPtr source = SolidPicture(5, 3, {9, 9, 9});
    DibPtr out(ApplyPixelOperation(source.get(), nullptr, StampCoordinates, 77));
    ASSERT_TRUE(out);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(PixelAt(out.get(), x, y), (Rgb{uint8_t(x), uint8_t(y), 77}));
    EXPECT_EQ(PixelAt(source.get(), 4, 2), (Rgb{9, 9, 9}));

    const ImageRect inner{1, 1, 3, 2};
    DibPtr part(ApplyPixelOperation(source.get(), &inner, StampCoordinates, 5));
    EXPECT_EQ(PixelAt(part.get(), 1, 1), (Rgb{1, 1, 5}));
    EXPECT_EQ(PixelAt(part.get(), 2, 1), (Rgb{2, 1, 5}));
    EXPECT_EQ(PixelAt(part.get(), 3, 1), (Rgb{9, 9, 9}));
    EXPECT_EQ(PixelAt(part.get(), 1, 0), (Rgb{9, 9, 9}));
    EXPECT_EQ(PixelAt(part.get(), 1, 2), (Rgb{9, 9, 9}));

    EXPECT_EQ(ApplyPixelOperation(nullptr, nullptr, GreyscaleOp, 0), nullptr);
}


// The operation run over every pixel in one plain pass, as the reference.
DibPtr OnePass(const PackedDib* source, PixelOperation op, intptr_t param) {
    DibPtr copy(DibDuplicate(source, nullptr));
    for (int y = 0; y < copy->height; ++y)
        for (int x = 0; x < copy->width; ++x)
            op(source, x, y, DibPixelAddress(copy.get(), x, copy->height - 1 - y), param);
    return copy;
}

bool SameBlock(const PackedDib* a, const PackedDib* b) {
    return DibBlockSize(a) == DibBlockSize(b) && std::memcmp(a, b, DibBlockSize(a)) == 0;
}

TEST(ApplyPixelOperation, BigPicturesComeOutAsFromOnePass) {
    // Large enough to be split into bands; odd sizes so the bands are uneven and the rows
    // carry padding.
    const DibPtr picture = testsupport::GradientPicture(1201, 907);
    const ComponentOffsets offsets{40, -300, 7};
    struct Case {
        PixelOperation op;
        intptr_t param;
    } cases[] = {{BrightnessContrastOp, BrightnessContrastParam(-30, 60)},
                 {RgbOffsetOp, OffsetsParam(offsets)},
                 {YCrCbOffsetOp, OffsetsParam(offsets)},
                 {GreyscaleOp, 0}};
    for (const Case& c : cases) {
        DibPtr banded(ApplyPixelOperation(picture.get(), nullptr, c.op, c.param));
        ASSERT_TRUE(banded);
        EXPECT_TRUE(SameBlock(banded.get(), OnePass(picture.get(), c.op, c.param).get()));
    }
    // The source is never touched.
    EXPECT_TRUE(SameBlock(picture.get(), testsupport::GradientPicture(1201, 907).get()));
}

TEST(ApplyPixelOperation, RectangleLimitsTheWork) {
    const DibPtr picture = testsupport::SolidPicture(1000, 800, {10, 20, 30});
    // Big enough for bands, which must start at the rectangle's top.
    const ImageRect rect{100, 50, 900, 790};
    DibPtr result(ApplyPixelOperation(picture.get(), &rect, BrightnessContrastOp,
                                      BrightnessContrastParam(100, 0)));
    EXPECT_EQ(testsupport::PixelAt(result.get(), 100, 50), (testsupport::Rgb{110, 120, 130}));
    EXPECT_EQ(testsupport::PixelAt(result.get(), 899, 789), (testsupport::Rgb{110, 120, 130}));
    EXPECT_EQ(testsupport::PixelAt(result.get(), 99, 50), (testsupport::Rgb{10, 20, 30}));
    EXPECT_EQ(testsupport::PixelAt(result.get(), 100, 49), (testsupport::Rgb{10, 20, 30}));
    EXPECT_EQ(testsupport::PixelAt(result.get(), 900, 789), (testsupport::Rgb{10, 20, 30}));
    EXPECT_EQ(testsupport::PixelAt(result.get(), 899, 790), (testsupport::Rgb{10, 20, 30}));
    EXPECT_EQ(testsupport::PixelAt(result.get(), 500, 420), (testsupport::Rgb{110, 120, 130}));
}

} // namespace
