#include "phone/formats.h"
#include "phone/preview_layout.h"
#include "phone/resampling_choice.h"
#include "phone/selection.h"

#include "common/test_pictures.h"

#include <gtest/gtest.h>

using testsupport::PixelAt;
using testsupport::Rgb;
using testsupport::SetPixel;

namespace {

TEST(FitAspectRect, WideAndTallRectangles) {
    double scale = 0;
    // 400 x 300 into the 380 x 280 inner area: 373 x 280 centred across.
    EXPECT_EQ(FitAspectRect({10, 10, 390, 290}, 400, 300, &scale), (ImageRect{13, 10, 386, 290}));
    EXPECT_DOUBLE_EQ(scale, 280.0 / 300.0);
    // Relatively taller than the aspect: full width, centred down.
    EXPECT_EQ(FitAspectRect({0, 0, 100, 201}, 1, 1, &scale), (ImageRect{0, 50, 100, 150}));
    EXPECT_DOUBLE_EQ(scale, 100.0);
    // Ties keep the full height.
    EXPECT_EQ(FitAspectRect({0, 0, 120, 160}, 3, 4), (ImageRect{0, 0, 120, 160}));
    // A photo of 2560 x 1600 for a 120 x 160 screen.
    EXPECT_EQ(FitAspectRect({0, 0, 2560, 1600}, 120, 160), (ImageRect{680, 0, 1880, 1600}));
}

TEST(OutputSizeForSelection, LockedAndUnlocked) {
    EXPECT_EQ(OutputSizeForSelection(200, 100, 120, 130, true), (OutputSize{120, 130}));
    EXPECT_EQ(OutputSizeForSelection(200, 100, 120, 130, false), (OutputSize{120, 60}));
    EXPECT_EQ(OutputSizeForSelection(100, 200, 120, 130, false), (OutputSize{65, 130}));
    EXPECT_EQ(OutputSizeForSelection(5000, 1, 120, 160, false), (OutputSize{120, 1}));
}

TEST(MakeBaseImage, ResamplesTheSelectionOnly) {
    // Left half red, right half blue; selecting the right half gives blue only.
    DibPtr picture(DibCreate(24, 40, 20));
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x)
            SetPixel(picture.get(), x, y, x < 20 ? Rgb{255, 0, 0} : Rgb{0, 0, 255});
    for (Resampling how : {Resampling::Classic, Resampling::Area, Resampling::Lanczos}) {
        DibPtr base = MakeBaseImage(picture.get(), {20, 0, 40, 20}, 30, 10, true, how);
        ASSERT_TRUE(base);
        EXPECT_EQ(base->width, 30);
        EXPECT_EQ(base->height, 10);
        EXPECT_EQ(base->bitCount, 24);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 30; ++x)
                ASSERT_EQ(PixelAt(base.get(), x, y), (Rgb{0, 0, 255})) << x << "," << y;
    }

    DibPtr unlocked = MakeBaseImage(picture.get(), {0, 0, 40, 20}, 30, 30, false);
    ASSERT_TRUE(unlocked);
    EXPECT_EQ(unlocked->width, 30);
    EXPECT_EQ(unlocked->height, 15);

    EXPECT_FALSE(MakeBaseImage(picture.get(), {5, 5, 5, 10}, 30, 10, true));
    EXPECT_FALSE(MakeBaseImage(nullptr, {0, 0, 4, 4}, 30, 10, true));
}

// Auto keeps the classic sampling for exactly the fifteen classic formats; the words
// round-trip.
TEST(ResamplingChoice, AutoFollowsTheFormatAndNamesRoundTrip) {
    const auto formats = OutputFormats();
    for (size_t i = 0; i < formats.size(); ++i)
        EXPECT_EQ(ResolveResampling(ResamplingChoice::Auto, !formats[i].format.highQuality),
                  i < size_t(kClassicFormatCount) ? Resampling::Classic : Resampling::Area)
            << i;
    for (ResamplingChoice c : {ResamplingChoice::Auto, ResamplingChoice::Classic,
                               ResamplingChoice::Area, ResamplingChoice::Lanczos})
        EXPECT_EQ(ParseResamplingChoice(ResamplingChoiceName(c)), c);
    EXPECT_FALSE(ParseResamplingChoice("Area"));
}

TEST(PreviewPlacement, CentredInTheScreenArea) {
    // 120 x 160: 5 pixels right of the area's left edge, 10 above its top.
    EXPECT_EQ(PreviewPlacement(120, 160), (ImageRect{35, 60, 155, 220}));
    EXPECT_EQ(PreviewPlacement(130, 140), kPhoneScreenArea);
    // Odd differences truncate toward zero on both sides of the area size.
    EXPECT_EQ(PreviewPlacement(127, 143).left, 31);
    EXPECT_EQ(PreviewPlacement(127, 143).top, 69);
}

} // namespace
