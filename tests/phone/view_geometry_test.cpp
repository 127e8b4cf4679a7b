// The arithmetic behind the source view and the dot editor.
#include "phone/dot_edit_geometry.h"
#include "phone/selection_geometry.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TEST(SelectionGeometry, LayoutArithmetic) {
    const PictureLayout small = LayoutPicture(400, 300, 100, 80);
    EXPECT_EQ(small.rect, (ImageRect{150, 110, 250, 190}));
    EXPECT_EQ(small.scale, 1.0);
    const PictureLayout fitted = LayoutPicture(400, 300, 400, 300);
    EXPECT_EQ(fitted.rect, (ImageRect{13, 10, 386, 290}));
    EXPECT_EQ(fitted.scale, 280.0 / 300.0);
    // Exactly the inner size is fitted (scale 1 by the fit), not centred 1:1.
    const PictureLayout exact = LayoutPicture(400, 300, 380, 280);
    EXPECT_EQ(exact.rect, (ImageRect{10, 10, 390, 290}));
    EXPECT_EQ(exact.scale, 1.0);
    // A client smaller than the margins yields no usable rectangle but no crash.
    EXPECT_TRUE(LayoutPicture(15, 15, 100, 100).rect.Empty());
}

TEST(SelectionGeometry, TrackingRectangles) {
    const ImageRect picture{10, 10, 390, 290};
    // Locked to 120 x 130, dragging up-left from (200, 200): the fit hangs from the press.
    EXPECT_EQ(TrackNewSelection(200, 200, 100, 100, picture, true, 120, 130),
              (ImageRect{108, 100, 200, 200}));
    EXPECT_EQ(TrackNewSelection(100, 100, 200, 200, picture, true, 120, 130),
              (ImageRect{100, 100, 192, 200}));
    EXPECT_EQ(TrackNewSelection(100, 100, 200, 200, picture, false, 120, 130),
              (ImageRect{100, 100, 200, 200}));
    // Clipped to the picture; a click without movement is empty.
    EXPECT_EQ(TrackNewSelection(50, 50, 0, 0, picture, false, 120, 130),
              (ImageRect{10, 10, 50, 50}));
    EXPECT_TRUE(TrackNewSelection(60, 60, 60, 60, picture, true, 120, 130).Empty());
    EXPECT_TRUE(TrackNewSelection(0, 0, 5, 5, picture, false, 120, 130).Empty());
    // Moving never leaves the picture and keeps the size.
    const ImageRect selection{50, 50, 150, 120};
    EXPECT_EQ(TrackMove(selection, picture, -30, 400), (ImageRect{10, 220, 110, 290}));
    EXPECT_EQ(TrackMove(selection, picture, 350, 5), (ImageRect{290, 10, 390, 80}));
    EXPECT_EQ(HandleRect(selection), (ImageRect{46, 46, 54, 54}));
}

TEST(SelectionGeometry, PicturePixelsSurviveAResize) {
    const PictureLayout before = LayoutPicture(400, 300, 1000, 800);
    const ImageRect selection{100, 60, 250, 200};
    const ImageRect pixels = SelectionToPicturePixels(selection, before, 1000, 800);
    const PictureLayout after = LayoutPicture(800, 700, 1000, 800);
    const ImageRect moved = PicturePixelsToSelection(pixels, after);
    const ImageRect again = SelectionToPicturePixels(moved, after, 1000, 800);
    EXPECT_LE(std::abs(again.left - pixels.left), 1);
    EXPECT_LE(std::abs(again.right - pixels.right), 1);
    EXPECT_LE(std::abs(again.top - pixels.top), 1);
    EXPECT_LE(std::abs(again.bottom - pixels.bottom), 1);
    // Rounding never reaches outside the picture.
    EXPECT_EQ(SelectionToPicturePixels(before.rect, before, 1000, 800),
              (ImageRect{0, 0, 1000, 800}));
}

TEST(DotEditGeometry, PlacementScrollBarsAndPixels) {
    const DotEditGeometry big = ComputeDotEditGeometry(100, 100, 6, 500, 500, 0, 0);
    EXPECT_EQ(big.extentX, 624);
    EXPECT_EQ(big.extentY, 624);
    EXPECT_EQ(big.originX, 12);
    EXPECT_EQ(big.originY, 12);
    EXPECT_TRUE(NeededScrollBars(big, 500, 500).horizontal);
    EXPECT_TRUE(NeededScrollBars(big, 500, 500).vertical);
    const DotEditGeometry scrolled = ComputeDotEditGeometry(100, 100, 6, 500, 500, 30, 7);
    EXPECT_EQ(scrolled.originX, -18);
    EXPECT_EQ(scrolled.originY, 5);

    const DotEditGeometry small = ComputeDotEditGeometry(40, 30, 3, 300, 200, 0, 0);
    EXPECT_EQ(small.originX, 90);
    EXPECT_EQ(small.originY, 55);
    EXPECT_FALSE(NeededScrollBars(small, 300, 200).horizontal);
    EXPECT_FALSE(NeededScrollBars(small, 300, 200).vertical);
    // Only the direction that does not fit gets a bar (and is not centred).
    const DotEditGeometry wide = ComputeDotEditGeometry(100, 10, 3, 200, 200, 0, 0);
    EXPECT_TRUE(NeededScrollBars(wide, 200, 200).horizontal);
    EXPECT_FALSE(NeededScrollBars(wide, 200, 200).vertical);
    EXPECT_EQ(wide.originX, 6);
    EXPECT_EQ(wide.originY, 85);

    int ix = -1, iy = -1;
    EXPECT_FALSE(ScreenToPixel(small, 89, 60, &ix, &iy)); // one pixel left: not column 0
    EXPECT_FALSE(ScreenToPixel(small, 100, 54, &ix, &iy));
    ASSERT_TRUE(ScreenToPixel(small, 90, 55, &ix, &iy));
    EXPECT_EQ(ix, 0);
    EXPECT_EQ(iy, 0);
    ASSERT_TRUE(ScreenToPixel(small, 90 + 119, 55 + 89, &ix, &iy));
    EXPECT_EQ(ix, 39);
    EXPECT_EQ(iy, 29);
    EXPECT_FALSE(ScreenToPixel(small, 90 + 120, 60, &ix, &iy));
    EXPECT_FALSE(ScreenToPixel(small, 100, 55 + 90, &ix, &iy));

    EXPECT_EQ(FootprintRect(small, 1, 2, 2), (ImageRect{90 - 3, 55, 90 - 3 + 15, 55 + 15}));
}

TEST(DotEditGeometry, ToolChangeRule) {
    enum { kPen = 1, kFill, kHand, kEyedropper };
    ToolState s{kPen, 0};
    ChangeTool(&s, kPen);
    EXPECT_EQ(s.previous, 0);
    ChangeTool(&s, kEyedropper);
    EXPECT_EQ(s.current, kEyedropper);
    EXPECT_EQ(s.previous, kPen);
    ChangeTool(&s, kPen); // back to the previous tool: it stays the previous one
    EXPECT_EQ(s.current, kPen);
    EXPECT_EQ(s.previous, kPen);
    ChangeTool(&s, kFill);
    ChangeTool(&s, kHand);
    EXPECT_EQ(s.previous, kFill);
}

} // namespace
