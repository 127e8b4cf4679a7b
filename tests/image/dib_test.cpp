#include "image/dib.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

const uint8_t* Byte(const PackedDib* dib) {
    return reinterpret_cast<const uint8_t*>(dib);
}

// Blue, green, red of an entry of a table of 4-byte entries.
std::vector<uint8_t> Entry(const PackedDib* dib, int i) {
    const uint8_t* e = DibColorTable(dib) + 4 * i;
    return {e[0], e[1], e[2], e[3]};
}

TEST(DibCreate, LayoutFollowsDepth) {
    DibPtr rgb(DibCreate(24, 5, 3));
    ASSERT_TRUE(rgb);
    EXPECT_EQ(DibRowBytes(rgb.get()), 16u);
    EXPECT_EQ(rgb->imageSize, 48u);
    EXPECT_EQ(rgb->colorsUsed, 0u);
    EXPECT_EQ(rgb->headerSize, 40u);
    EXPECT_EQ(rgb->planes, 1);
    EXPECT_EQ(DibBits(rgb.get()) - Byte(rgb.get()), 40);

    DibPtr four(DibCreate(4, 9, 2));
    ASSERT_TRUE(four);
    EXPECT_EQ(DibRowBytes(four.get()), 8u);
    EXPECT_EQ(four->imageSize, 16u);
    EXPECT_EQ(four->colorsUsed, 16u);
    EXPECT_EQ(DibBits(four.get()) - Byte(four.get()), 104);
    for (int i = 0; i < 16; ++i) {
        const uint32_t c = kDibStandardColors[i];
        EXPECT_EQ(Entry(four.get(), i),
                  (std::vector<uint8_t>{uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16), 0}))
            << "entry " << i;
    }

    DibPtr one(DibCreate(1, 33, 1));
    ASSERT_TRUE(one);
    EXPECT_EQ(one->colorsUsed, 2u);
    EXPECT_EQ(DibRowBytes(one.get()), 8u);
    EXPECT_EQ(Entry(one.get(), 0), (std::vector<uint8_t>{0, 0, 0, 0}));
    EXPECT_EQ(Entry(one.get(), 1), (std::vector<uint8_t>{0, 0, 0, 0}));
}

TEST(DibCreate, EightBitTableRepeatsTheStandardColours) {
    DibPtr dib(DibCreate(8, 1, 1));
    ASSERT_TRUE(dib);
    EXPECT_EQ(DibRowBytes(dib.get()), 4u);
    EXPECT_EQ(dib->colorsUsed, 256u);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(0, std::memcmp(DibColorTable(dib.get()) + 4 * i,
                                 DibColorTable(dib.get()) + 4 * (i % 16), 4));
    EXPECT_EQ(Entry(dib.get(), 255), (std::vector<uint8_t>{255, 255, 255, 0}));
}

TEST(DibCreate, RefusesShapesBeyondTheLimits) {
    EXPECT_EQ(DibCreate(24, 0, 10), nullptr);
    EXPECT_EQ(DibCreate(24, 10, -1), nullptr);
    EXPECT_EQ(DibCreate(3, 10, 10), nullptr);
    EXPECT_EQ(DibCreate(24, kDibMaxSide + 1, 1), nullptr);
    EXPECT_EQ(DibCreate(32, 20000, 20000), nullptr); // 1.6 GB of pixels
    EXPECT_EQ(DibFree(nullptr), 0);
}

TEST(DibPixelAddress, SubBytePixelsShareBytes) {
    DibPtr dib(DibCreate(4, 8, 2));
    ASSERT_TRUE(dib);
    EXPECT_EQ(DibPixelAddress(dib.get(), 3, 0), DibBits(dib.get()) + 1);
    EXPECT_EQ(DibPixelAddress(dib.get(), 0, 1), DibBits(dib.get()) + 4);
}

TEST(DibDuplicate, IntoASmallerImageCopiesTheWholeBlock) {
    DibPtr big(DibCreate(24, 64, 32));
    ASSERT_TRUE(big);
    for (size_t i = 0; i < DibPixelBytes(big.get()); ++i)
        DibBits(big.get())[i] = uint8_t(i * 7);
    DibPtr small = DibCreate(8, 2, 2);
    ASSERT_TRUE(small);
    DibPtr copy(DibDuplicate(big.get(), small.get()));
    ASSERT_TRUE(copy);
    (void)small.release(); // the copy took its block
    ASSERT_EQ(DibBlockSize(copy.get()), DibBlockSize(big.get()));
    EXPECT_EQ(0, std::memcmp(copy.get(), big.get(), DibBlockSize(big.get())));

    DibPtr fresh(DibDuplicate(big.get(), nullptr));
    ASSERT_TRUE(fresh);
    EXPECT_EQ(0, std::memcmp(fresh.get(), big.get(), DibBlockSize(big.get())));
}

// A header followed by a table of (blue, green, red, 0) entries, ready to import.
std::vector<uint8_t> ForeignHeader(int bits, int width, int height, std::vector<uint32_t> rgb,
                                   uint32_t colorsUsed, uint32_t compression = 0) {
    PackedDib h{};
    h.headerSize = 40;
    h.width = width;
    h.height = height;
    h.planes = 1;
    h.bitCount = uint16_t(bits);
    h.compression = compression;
    h.colorsUsed = colorsUsed;
    std::vector<uint8_t> block(40 + 4 * rgb.size());
    std::memcpy(block.data(), &h, 40);
    for (size_t i = 0; i < rgb.size(); ++i) {
        block[40 + 4 * i] = uint8_t(rgb[i]);
        block[41 + 4 * i] = uint8_t(rgb[i] >> 8);
        block[42 + 4 * i] = uint8_t(rgb[i] >> 16);
    }
    return block;
}

std::vector<uint8_t> Pixel(const PackedDib* dib, int x, int row) {
    const uint8_t* p = DibPixelAddress(dib, x, row);
    return {p[0], p[1], p[2]};
}

TEST(DibFromHeaderAndBits, TwoBitPicturesWidenThroughTheTable) {
    // Table black, red, green, blue as blue-green-red entries.
    auto header = ForeignHeader(2, 4, 1, {0x000000, 0x0000FF, 0x00FF00, 0xFF0000}, 4);
    const uint8_t row[4] = {0x1B, 0, 0, 0};
    DibPtr dib(DibFromHeaderAndBits(header.data(), header.size(), row, sizeof row));
    ASSERT_TRUE(dib);
    EXPECT_EQ(DibBitCount(dib.get()), 24);
    EXPECT_EQ(Pixel(dib.get(), 0, 0), (std::vector<uint8_t>{0, 0, 0}));
    EXPECT_EQ(Pixel(dib.get(), 1, 0), (std::vector<uint8_t>{0xFF, 0, 0}));
    EXPECT_EQ(Pixel(dib.get(), 2, 0), (std::vector<uint8_t>{0, 0xFF, 0}));
    EXPECT_EQ(Pixel(dib.get(), 3, 0), (std::vector<uint8_t>{0, 0, 0xFF}));
}

TEST(DibFromHeaderAndBits, RefusesBlocksThatDoNotAddUp) {
    auto header = ForeignHeader(8, 4, 4, {0x102030, 0x405060}, 2);
    std::vector<uint8_t> bits(16, 1);
    // Pixel block shorter than stride x height.
    EXPECT_EQ(DibFromHeaderAndBits(header.data(), header.size(), bits.data(), 15), nullptr);
    // Header block shorter than its own header size.
    EXPECT_EQ(DibFromHeaderAndBits(header.data(), 39, bits.data(), bits.size()), nullptr);
    // Absurd sides.
    auto huge = ForeignHeader(24, 1 << 20, 1 << 20, {}, 0);
    EXPECT_EQ(DibFromHeaderAndBits(huge.data(), huge.size(), bits.data(), bits.size()), nullptr);
    // Odd depth.
    auto odd = ForeignHeader(7, 4, 4, {}, 0);
    EXPECT_EQ(DibFromHeaderAndBits(odd.data(), odd.size(), bits.data(), bits.size()), nullptr);

    // Indices past a short table come out black instead of reading past the block.
    std::vector<uint8_t> mixed = {0, 1, 200, 255};
    for (int r = 1; r < 4; ++r)
        mixed.insert(mixed.end(), {0, 0, 0, 0});
    DibPtr dib(DibFromHeaderAndBits(header.data(), header.size(), mixed.data(), mixed.size()));
    ASSERT_TRUE(dib);
    EXPECT_EQ(Pixel(dib.get(), 1, 0), (std::vector<uint8_t>{0x60, 0x50, 0x40}));
    EXPECT_EQ(Pixel(dib.get(), 2, 0), (std::vector<uint8_t>{0, 0, 0}));
}

TEST(DibFromHeaderAndBits, DeepPicturesKeepDepthAndMasks) {
    std::vector<uint8_t> header(52);
    PackedDib h{};
    h.headerSize = 40;
    h.width = 2;
    h.height = -1; // top-down
    h.planes = 1;
    h.bitCount = 16;
    h.compression = kDibBitFields;
    std::memcpy(header.data(), &h, 40);
    const uint32_t masks[3] = {0xF800, 0x07E0, 0x001F};
    std::memcpy(header.data() + 40, masks, 12);
    const uint8_t bits[4] = {0x00, 0xF8, 0x1F, 0x00}; // red, blue
    DibPtr dib(DibFromHeaderAndBits(header.data(), header.size(), bits, sizeof bits));
    ASSERT_TRUE(dib);
    EXPECT_EQ(DibBitCount(dib.get()), 16);
    EXPECT_EQ(dib->height, 1);
    EXPECT_EQ(dib->compression, kDibBitFields);
    DibPtr wide(DibConvertDepth(dib.get(), 24));
    ASSERT_TRUE(wide);
    EXPECT_EQ(Pixel(wide.get(), 0, 0), (std::vector<uint8_t>{0, 0, 248}));
    EXPECT_EQ(Pixel(wide.get(), 1, 0), (std::vector<uint8_t>{248, 0, 0}));
}

TEST(DibConvertDepth, SixteenBitWordsWithoutMasksAreFiveFiveFive) {
    DibPtr dib(DibCreate(16, 3, 1));
    ASSERT_TRUE(dib);
    const uint16_t words[3] = {0x7FFF, 0x7C00, 0x03E0};
    std::memcpy(DibBits(dib.get()), words, sizeof words);
    DibPtr wide(DibConvertDepth(dib.get(), 24));
    ASSERT_TRUE(wide);
    EXPECT_EQ(Pixel(wide.get(), 0, 0), (std::vector<uint8_t>{248, 248, 248}));
    EXPECT_EQ(Pixel(wide.get(), 1, 0), (std::vector<uint8_t>{0, 0, 248}));
    EXPECT_EQ(Pixel(wide.get(), 2, 0), (std::vector<uint8_t>{0, 248, 0}));
    EXPECT_EQ(DibConvertDepth(dib.get(), 16), nullptr);
}

TEST(DibConvertDepth, PaletteSourcesToEightAndTwentyFourBits) {
    DibPtr dib(DibCreate(4, 3, 1));
    ASSERT_TRUE(dib);
    DibBits(dib.get())[0] = 0x9C; // red (9), blue (12)
    DibBits(dib.get())[1] = 0xF0; // white (15)
    DibPtr wide(DibConvertDepth(dib.get(), 24));
    ASSERT_TRUE(wide);
    EXPECT_EQ(Pixel(wide.get(), 0, 0), (std::vector<uint8_t>{0, 0, 255}));
    EXPECT_EQ(Pixel(wide.get(), 1, 0), (std::vector<uint8_t>{255, 0, 0}));
    EXPECT_EQ(Pixel(wide.get(), 2, 0), (std::vector<uint8_t>{255, 255, 255}));
    DibPtr eight(DibConvertDepth(dib.get(), 8));
    ASSERT_TRUE(eight);
    EXPECT_EQ(DibBits(eight.get())[0], 9);
    EXPECT_EQ(DibBits(eight.get())[2], 15);
    EXPECT_EQ(0, std::memcmp(DibColorTable(eight.get()), DibColorTable(dib.get()), 64));
}

TEST(DibSetColorTable, CopiesWhatThePaletteHolds) {
    DibPtr dib(DibCreate(8, 1, 1));
    const PaletteColor palette[2] = {0xFF112233, 0xFF445566};
    EXPECT_EQ(DibSetColorTable(dib.get(), palette, 2), 1);
    EXPECT_EQ(Entry(dib.get(), 0), (std::vector<uint8_t>{0x33, 0x22, 0x11, 0}));
    EXPECT_EQ(Entry(dib.get(), 1), (std::vector<uint8_t>{0x66, 0x55, 0x44, 0}));
    EXPECT_EQ(Entry(dib.get(), 2), (std::vector<uint8_t>{0, 128, 0, 0})); // untouched
    EXPECT_EQ(DibSetColorTable(nullptr, palette, 2), 0);
}

} // namespace
