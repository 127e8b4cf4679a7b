#include "image/color_reduction.h"

#include "common/test_pictures.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

using testsupport::GradientPicture;
using testsupport::IndexAt;
using testsupport::PixelAt;
using testsupport::Rgb;
using testsupport::SetPixel;
using testsupport::SolidPicture;
using testsupport::TableColor;

namespace {

// A one-row picture in which only red varies.
DibPtr RedRow(const std::vector<uint8_t>& reds) {
    DibPtr dib(DibCreate(24, int(reds.size()), 1));
    for (size_t x = 0; x < reds.size(); ++x)
        SetPixel(dib.get(), int(x), 0, {reds[x], 0, 0});
    return dib;
}

TEST(MedianCut, OneColourGivesOneEntryAndNoError) {
    DibPtr solid = SolidPicture(7, 5, {10, 200, 30});
    DibPtr out(ReduceColorsTo4Bit(solid.get(), 16));
    ASSERT_TRUE(out);
    EXPECT_EQ(out->bitCount, 4);
    EXPECT_EQ(out->colorsUsed, 1u);
    EXPECT_EQ(TableColor(out.get(), 0), (Rgb{10, 200, 30}));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            ASSERT_EQ(IndexAt(out.get(), x, y), 0u);
}

TEST(MedianCut, BlackAndWhiteSplitOnRedAndStop) {
    DibPtr dib(DibCreate(24, 4, 2));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            SetPixel(dib.get(), x, y, (x + y) % 2 ? Rgb{255, 255, 255} : Rgb{0, 0, 0});
    CMedianCut cut;
    ASSERT_TRUE(cut.Build(DibBits(dib.get()), 4, 2, DibRowBytes(dib.get()), 8));
    ASSERT_EQ(cut.BoxCount(), 2);
    uint8_t c0[3], c1[3];
    cut.PaletteColor(0, c0);
    cut.PaletteColor(1, c1);
    EXPECT_EQ(std::vector<uint8_t>(c0, c0 + 3), (std::vector<uint8_t>{0, 0, 0}));
    EXPECT_EQ(std::vector<uint8_t>(c1, c1 + 3), (std::vector<uint8_t>{255, 255, 255}));
    // Red is split at 1: a red of 0 goes low whatever the other channels hold.
    const uint8_t darkCyan[3] = {255, 255, 0};
    const uint8_t dimRed[3] = {0, 0, 1};
    EXPECT_EQ(cut.Lookup(darkCyan), 0);
    EXPECT_EQ(cut.Lookup(dimRed), 1);
}

TEST(MedianCut, BoxOrderSplitValueAndDiffusionTogether) {
    // Red 0, 5, 6, 10: the first split stops at 6 (half the pixels below), the last box
    // moves into the chosen box's slot, and the error of 6 -> 8 reaches the next pixel.
    DibPtr row = RedRow({0, 5, 6, 10});
    DibPtr out(ReduceColorsTo8Bit(row.get(), 3));
    ASSERT_TRUE(out);
    ASSERT_EQ(out->colorsUsed, 3u);
    EXPECT_EQ(TableColor(out.get(), 0), (Rgb{8, 0, 0}));
    EXPECT_EQ(TableColor(out.get(), 1), (Rgb{0, 0, 0}));
    EXPECT_EQ(TableColor(out.get(), 2), (Rgb{5, 0, 0}));
    EXPECT_EQ(IndexAt(out.get(), 0, 0), 1u);
    EXPECT_EQ(IndexAt(out.get(), 1, 0), 2u);
    EXPECT_EQ(IndexAt(out.get(), 2, 0), 0u);
    EXPECT_EQ(IndexAt(out.get(), 3, 0), 0u);
    // The input is left alone.
    EXPECT_EQ(PixelAt(row.get(), 3, 0), (Rgb{10, 0, 0}));
}

TEST(MedianCut, ScoreWeighsExtentAgainstPixelCount) {
    // Sixteen pixels of red 0 and 3 against two of red 200 and 230: after the first
    // split the two-pixel box scores L(2) * 31 = 62 over L(16) * 4 = 20 and is split next.
    std::vector<uint8_t> reds(8, 0);
    reds.insert(reds.end(), 8, 3);
    reds.push_back(200);
    reds.push_back(230);
    DibPtr row = RedRow(reds);
    CMedianCut cut;
    ASSERT_TRUE(cut.Build(DibBits(row.get()), int(reds.size()), 1, DibRowBytes(row.get()), 3));
    ASSERT_EQ(cut.BoxCount(), 3);
    const int expected[3] = {2, 200, 230};
    for (int i = 0; i < 3; ++i) {
        uint8_t bgr[3];
        cut.PaletteColor(i, bgr);
        EXPECT_EQ(bgr[2], expected[i]) << "box " << i;
        EXPECT_EQ(bgr[0], 0);
    }
    EXPECT_EQ(cut.Box(0).count, 16);
}

TEST(MedianCut, ReducedPhotoLikePictureKeepsToTheCount) {
    DibPtr picture = GradientPicture(61, 47);
    for (int n : {2, 8, 12, 16}) {
        DibPtr out(ReduceColorsTo4Bit(picture.get(), n));
        ASSERT_TRUE(out);
        EXPECT_EQ(out->colorsUsed, uint32_t(n));
        std::set<unsigned> used;
        for (int y = 0; y < 47; ++y)
            for (int x = 0; x < 61; ++x)
                used.insert(IndexAt(out.get(), x, y));
        EXPECT_LE(used.size(), size_t(n));
        EXPECT_LT(*used.rbegin(), unsigned(n));
    }
    for (int n : {32, 256, 1000}) {
        DibPtr out(ReduceColorsTo8Bit(picture.get(), n));
        ASSERT_TRUE(out);
        EXPECT_EQ(out->bitCount, 8);
        EXPECT_LE(out->colorsUsed, uint32_t(std::min(n, 256)));
        EXPECT_GT(out->colorsUsed, 16u);
    }
}

TEST(MedianCut, EveryPaletteColourLooksUpItsOwnBox) {
    // Box middles lie inside their boxes, so the tree (and its cell shortcut) must lead
    // each palette colour back to its own entry, also where boxes are finer than a cell.
    // Beyond 256 boxes the byte-wide indices would wrap.
    DibPtr picture = GradientPicture(120, 160);
    for (int n : {12, 256, 260}) {
        CMedianCut cut;
        ASSERT_TRUE(cut.Build(DibBits(picture.get()), 120, 160, DibRowBytes(picture.get()), n));
        ASSERT_EQ(cut.BoxCount(), std::min(n, 256));
        for (int i = 0; i < cut.BoxCount(); ++i) {
            uint8_t bgr[3];
            cut.PaletteColor(i, bgr);
            ASSERT_EQ(cut.Lookup(bgr), i) << "n " << n << " box " << i;
        }
    }
}

TEST(MedianCut, FourBitOddWidthPacksTheLastPixelHigh) {
    DibPtr dib(DibCreate(24, 5, 2));
    const Rgb colours[5] = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 5; ++x)
            SetPixel(dib.get(), x, y, colours[x]);
    DibPtr out(ReduceColorsTo4Bit(dib.get(), 16));
    ASSERT_TRUE(out);
    EXPECT_EQ(DibRowBytes(out.get()), 4u);
    EXPECT_EQ(out->colorsUsed, 5u);
    for (int y = 0; y < 2; ++y) {
        const uint8_t* row = DibBits(out.get()) + size_t(y) * DibRowBytes(out.get());
        EXPECT_EQ(row[2] & 0x0F, 0) << "low nibble of the fifth pixel's byte";
        EXPECT_EQ(row[3], 0) << "padding";
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(TableColor(out.get(), IndexAt(out.get(), x, y)), colours[x]);
    }
    // The pixels start right behind the five table entries.
    EXPECT_EQ(DibBits(out.get()) - reinterpret_cast<uint8_t*>(out.get()), 40 + 5 * 4);
}

TEST(MedianCut, NoPicturesNoResult) {
    EXPECT_EQ(ReduceColorsTo4Bit(nullptr, 8), nullptr);
    EXPECT_EQ(ReduceColorsTo8Bit(nullptr, 8), nullptr);
    EXPECT_EQ(ReduceToWebSafe(nullptr), nullptr);
    DibPtr eight(DibCreate(8, 4, 4));
    EXPECT_EQ(ReduceColorsTo8Bit(eight.get(), 8), nullptr);
}

// A 3 x 2 working area with the current row first and the next row one stride after it.
struct Rows {
    static constexpr uint32_t kStride = 12;
    uint8_t bytes[2 * kStride];
    explicit Rows(uint8_t fill) { std::fill(std::begin(bytes), std::end(bytes), fill); }
    uint8_t* At(int x, int row) { return bytes + row * kStride + 3 * x; }
};

TEST(DiffuseError, SharesRoundTowardMinusInfinity) {
    const uint8_t q[3] = {101, 97, 100};
    Rows rows(100);
    // Errors per channel: blue -1, green 3, red 0.
    DiffuseError(rows.At(1, 0), q, 1, 0, 3, 2, Rows::kStride);
    EXPECT_EQ(rows.At(2, 0)[0], 99) << "right, five of -1";
    EXPECT_EQ(rows.At(2, 0)[1], 100) << "right, five of 3";
    EXPECT_EQ(rows.At(1, 1)[0], 99) << "below";
    EXPECT_EQ(rows.At(2, 1)[0], 99) << "below right, three of -1";
    EXPECT_EQ(rows.At(0, 1)[0], 99) << "below left";
    EXPECT_EQ(rows.At(0, 0)[0], 100) << "nothing goes left in the same row";

    Rows big(250);
    const uint8_t zero[3] = {0, 0, 0};
    DiffuseError(big.At(0, 0), zero, 0, 0, 3, 2, Rows::kStride);
    EXPECT_EQ(big.At(1, 0)[2], 255) << "250 + 78 clamps";
}

TEST(DiffuseError, EdgesPassNothingOutward) {
    const uint8_t q[3] = {0, 0, 0};
    Rows rows(64); // error 64: five 20, three 12
    DiffuseError(rows.At(2, 0), q, 2, 0, 3, 2, Rows::kStride);
    EXPECT_EQ(rows.At(2, 1)[0], 84);
    EXPECT_EQ(rows.At(1, 1)[0], 76);
    EXPECT_EQ(rows.At(0, 1)[0], 64);
    EXPECT_EQ(rows.At(1, 0)[0], 64);

    Rows last(64); // last row: only to the right
    DiffuseError(last.At(0, 1), q, 0, 1, 3, 2, Rows::kStride);
    EXPECT_EQ(last.At(1, 1)[0], 84);
    EXPECT_EQ(last.At(0, 0)[0], 64);
    EXPECT_EQ(last.At(1, 0)[0], 64);
}

TEST(WebSafe, PaletteAndLookups) {
    DibPtr dib(DibCreate(24, 4, 1));
    SetPixel(dib.get(), 0, 0, {255, 0, 0});
    SetPixel(dib.get(), 1, 0, {128, 128, 128});
    SetPixel(dib.get(), 2, 0, {255, 128, 0});
    SetPixel(dib.get(), 3, 0, {0, 0, 0});
    DibPtr copy(DibDuplicate(dib.get(), nullptr));
    DibPtr out(ReduceToWebSafe(copy.get()));
    ASSERT_TRUE(out);
    EXPECT_EQ(out->bitCount, 8);
    EXPECT_EQ(out->colorsUsed, 256u);
    EXPECT_EQ(IndexAt(out.get(), 0, 0), 180u);
    EXPECT_EQ(IndexAt(out.get(), 1, 0), 225u);
    EXPECT_EQ(IndexAt(out.get(), 2, 0), 219u);
    EXPECT_EQ(TableColor(out.get(), 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(TableColor(out.get(), 215), (Rgb{255, 255, 255}));
    EXPECT_EQ(TableColor(out.get(), 51), (Rgb{51, 102, 153}));
    EXPECT_EQ(TableColor(out.get(), 216), (Rgb{128, 0, 0}));
    EXPECT_EQ(TableColor(out.get(), 230), (Rgb{128, 0, 255}));
    EXPECT_EQ(TableColor(out.get(), 234), (Rgb{128, 255, 255}));
    EXPECT_EQ(TableColor(out.get(), 235), (Rgb{0, 0, 0}));
    EXPECT_EQ(TableColor(out.get(), 236), (Rgb{0, 0, 0}));
}

TEST(WebSafe, DiffusesInsideTheInput) {
    DibPtr dib = SolidPicture(2, 1, {20, 20, 20}); // nearest web colour 0 (16 -> 0)
    DibPtr out(ReduceToWebSafe(dib.get()));
    ASSERT_TRUE(out);
    EXPECT_EQ(IndexAt(out.get(), 0, 0), 0u);
    // 20 + (5 * 20) >> 4 = 26 now stands in the input's second pixel.
    EXPECT_EQ(PixelAt(dib.get(), 1, 0), (Rgb{26, 26, 26}));
}

} // namespace
