#include "image/dot_painting.h"
#include "tests/common/test_pictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

namespace {

using testsupport::PixelAt;
using testsupport::Rgb;
using testsupport::SetPixel;
using testsupport::SolidPicture;

constexpr uint32_t Word(int r, int g, int b) {
    return uint32_t(r) | uint32_t(g) << 8 | uint32_t(b) << 16;
}

// The pixels of the given colour, as a row-major mask.
std::vector<int> Mask(const PackedDib* dib, Rgb c) {
    std::vector<int> mask;
    for (int y = 0; y < dib->height; ++y)
        for (int x = 0; x < dib->width; ++x)
            mask.push_back(PixelAt(dib, x, y) == c ? 1 : 0);
    return mask;
}

const Rgb kWhite{255, 255, 255}, kBlack{0, 0, 0}, kRed{255, 0, 0}, kBlue{0, 0, 255};

TEST(StampPen, ClipsTheSquareAtTheEdges) {
    DibPtr dib = SolidPicture(10, 8, kWhite);
    // A 5 x 5 pen one pixel from the left edge keeps the 4 x 5 part inside the picture.
    EXPECT_EQ(StampPen(dib.get(), 1, 4, 2, Word(255, 0, 0)), 20);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(PixelAt(dib.get(), x, y), (x <= 3 && y >= 2 && y <= 6) ? kRed : kWhite)
                << x << "," << y;

    // The corner keeps 2 x 2 of a 3 x 3 pen; a single pixel pen sets exactly one pixel.
    EXPECT_EQ(StampPen(dib.get(), 9, 7, 1, Word(0, 0, 255)), 4);
    EXPECT_EQ(PixelAt(dib.get(), 8, 6), kBlue);
    EXPECT_EQ(StampPen(dib.get(), 5, 0, 0, Word(0, 0, 0)), 1);
    EXPECT_EQ(PixelAt(dib.get(), 5, 0), kBlack);
    // Wholly outside: nothing.
    EXPECT_EQ(StampPen(dib.get(), -3, 4, 2, Word(0, 0, 0)), 0);
    EXPECT_EQ(StampPen(dib.get(), 12, 4, 1, Word(0, 0, 0)), 0);
}

TEST(FillRegion, ExactColourFollowsSideNeighboursOnly) {
    const char* rows[] = {"WWWBBB", //
                          "WWBBBB", //
                          "WWWWBB", //
                          "WWWBWB"};
    DibPtr dib = SolidPicture(6, 4, kBlack);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            if (rows[y][x] == 'W')
                SetPixel(dib.get(), x, y, kWhite);

    // (4, 3) touches the white area only at the corner of (3, 2).
    EXPECT_EQ(FillRegion(dib.get(), 0, 0, Word(255, 0, 0), 0), 12);
    EXPECT_EQ(Mask(dib.get(), kRed), (std::vector<int>{1, 1, 1, 0, 0, 0, //
                                                       1, 1, 0, 0, 0, 0, //
                                                       1, 1, 1, 1, 0, 0, //
                                                       1, 1, 1, 0, 0, 0}));
    EXPECT_EQ(PixelAt(dib.get(), 4, 3), kWhite);
}

TEST(FillRegion, ToleranceBoundIsIncluded) {
    // Start colour (100, 100, 100); right neighbour at distance exactly 20, the one below
    // at a distance just over 20.
    DibPtr dib = SolidPicture(3, 2, {0, 0, 0});
    SetPixel(dib.get(), 0, 0, {100, 100, 100});
    SetPixel(dib.get(), 1, 0, {112, 116, 100});
    SetPixel(dib.get(), 0, 1, {112, 116, 101});
    EXPECT_EQ(FillRegion(dib.get(), 0, 0, Word(1, 2, 3), 20), 2);
    EXPECT_EQ(PixelAt(dib.get(), 1, 0), (Rgb{1, 2, 3}));
    EXPECT_EQ(PixelAt(dib.get(), 0, 1), (Rgb{112, 116, 101}));

    // Distances are taken to the start colour, not along the chain: 15 then 30 from start.
    DibPtr chain = SolidPicture(3, 1, {0, 0, 0});
    SetPixel(chain.get(), 0, 0, {100, 100, 100});
    SetPixel(chain.get(), 1, 0, {115, 100, 100});
    SetPixel(chain.get(), 2, 0, {130, 100, 100});
    EXPECT_EQ(FillRegion(chain.get(), 0, 0, Word(0, 0, 0), 20), 2);
    EXPECT_EQ(PixelAt(chain.get(), 2, 0), (Rgb{130, 100, 100}));
}

TEST(FillRegion, WholePictureAndItsTrace) {
    DibPtr dib = SolidPicture(180, 180, {10, 20, 30});
    EXPECT_EQ(FillRegion(dib.get(), 90, 90, Word(10, 20, 30), 0), 180 * 180);

    struct Count {
        int examined = 0, farthest = 0;
    } count;
    auto trace = [](void* context, int distance) {
        auto* c = static_cast<Count*>(context);
        ++c->examined;
        c->farthest = std::max(c->farthest, distance);
    };
    EXPECT_EQ(FillRegion(dib.get(), 179, 179, Word(200, 20, 30), 5, trace, &count), 180 * 180);
    EXPECT_EQ(Mask(dib.get(), {200, 20, 30}), std::vector<int>(180 * 180, 1));
    // Each pixel once; the trace reports whole distances (all 0 here).
    EXPECT_EQ(count.examined, 180 * 180);
    EXPECT_EQ(count.farthest, 0);

    // Far larger than any phone picture: an explicit stack keeps this from blowing the
    // call stack, and a snake of one-pixel corridors makes the pending list long.
    DibPtr big = SolidPicture(600, 600, kWhite);
    for (int x = 1; x < 600; x += 2) {
        const bool gapAtBottom = (x / 2) % 2 == 0;
        for (int y = gapAtBottom ? 0 : 1; y < (gapAtBottom ? 599 : 600); ++y)
            SetPixel(big.get(), x, y, kBlack);
    }
    const std::vector<int> white = Mask(big.get(), kWhite);
    const int whites = int(std::count(white.begin(), white.end(), 1));
    EXPECT_EQ(FillRegion(big.get(), 0, 0, Word(255, 0, 0), 0), whites);
    EXPECT_EQ(Mask(big.get(), kWhite), std::vector<int>(white.size(), 0));
}

TEST(FillRegion, OutsideOrUnsuitablePicturesAreLeftAlone) {
    DibPtr dib = SolidPicture(4, 4, kWhite);
    EXPECT_EQ(FillRegion(dib.get(), -1, 0, Word(0, 0, 0), 50), 0);
    EXPECT_EQ(FillRegion(dib.get(), 0, 4, Word(0, 0, 0), 50), 0);
    EXPECT_EQ(Mask(dib.get(), kWhite), std::vector<int>(16, 1));
    EXPECT_EQ(FillRegion(nullptr, 0, 0, 0, 0), 0);
    DibPtr palette(DibCreate(8, 4, 4));
    EXPECT_EQ(FillRegion(palette.get(), 0, 0, 0, 0), 0);
    EXPECT_EQ(StampPen(palette.get(), 0, 0, 1, 0), 0);
}

} // namespace
