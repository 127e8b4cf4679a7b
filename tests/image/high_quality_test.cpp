// The pieces of the high-quality formats: the libimagequant quantiser with its run bias,
// the PNG writer of exactly the colours used, the tuned JPEG coding and the PSNR.
#include "image/compact_png.h"
#include "image/encoders.h"
#include "image/loaders.h"
#include "image/psnr.h"
#include "image/quality_quantizer.h"

#include "common/photo_like_picture.h"
#include "common/png_info.h"
#include "common/test_pictures.h"
#include "common/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <set>
#include <thread>

using testsupport::ParsePng;
using testsupport::PhotoLikePicture;
using testsupport::ReadFileBytes;
using testsupport::TempDir;

namespace {

std::string AsString(const std::vector<uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

bool SameBlock(const PackedDib* a, const PackedDib* b) {
    return a && b && DibBlockSize(a) == DibBlockSize(b) && std::memcmp(a, b, DibBlockSize(a)) == 0;
}

// 0x00RRGGBB of every pixel, top row first.
std::vector<uint32_t> Colours(const PackedDib* dib) {
    DibPtr wide(DibConvertDepth(dib, 24));
    std::vector<uint32_t> out;
    for (int y = 0; y < wide->height; ++y)
        for (int x = 0; x < wide->width; ++x) {
            const uint8_t* p = DibPixelAddress(wide.get(), x, wide->height - 1 - y);
            out.push_back(uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0]);
        }
    return out;
}

// An 8-bit picture of `used` distinct colours whose table also holds unused entries and a
// duplicate of a used colour that some pixels point at.
DibPtr PaletteWithSpareEntries(int used) {
    const int w = 37, h = 11;
    DibPtr dib(DibCreate(8, w, h));
    uint8_t* table = DibColorTable(dib.get());
    for (int i = 0; i < 256; ++i) {
        table[4 * i] = uint8_t(i * 7);
        table[4 * i + 1] = uint8_t(255 - i);
        table[4 * i + 2] = uint8_t(i * 3);
    }
    // Entry 255 repeats entry 0.
    std::memcpy(table + 4 * 255, table, 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int k = (x * 5 + y * 3) % used;
            *DibPixelAddress(dib.get(), x, y) = uint8_t(k == 0 && (x & 1) ? 255 : k * 2);
        }
    return dib;
}

TEST(CompactPng, OnlyTheColoursUsedAtTheSmallestDepth) {
    const std::pair<int, int> cases[] = {{1, 1},  {2, 1},  {3, 2},   {4, 2},  {5, 4},
                                         {16, 4}, {17, 8}, {100, 8}, {128, 8}};
    TempDir dir;
    for (const auto& [used, depth] : cases) {
        SCOPED_TRACE(std::to_string(used) + " colours");
        const DibPtr picture = PaletteWithSpareEntries(used);
        const std::string path = dir.file("c.png");
        ASSERT_EQ(WriteCompactPngFile(picture.get(), path), 1);
        const auto info = ParsePng(ReadFileBytes(path));
        ASSERT_TRUE(info.valid);
        EXPECT_EQ(info.colorType, 3);
        EXPECT_EQ(info.bitDepth, depth);
        EXPECT_EQ(info.paletteEntries, used);
        const DibPtr back(ReadPngFile(path));
        ASSERT_TRUE(back);
        const std::vector<uint32_t> colours = Colours(back.get());
        EXPECT_EQ(colours, Colours(picture.get()));
        EXPECT_EQ(std::set<uint32_t>(colours.begin(), colours.end()).size(), size_t(used));
        if (std::system("command -v pngcheck >/dev/null 2>&1") == 0) {
            EXPECT_EQ(std::system(("pngcheck -q '" + path + "' >/dev/null").c_str()), 0);
        }
    }
}

TEST(CompactPng, IndicesPastTheTableReadAsBlack) {
    DibPtr dib(DibCreate(4, 4, 1));
    dib->colorsUsed = 2;
    uint8_t* table = DibColorTable(dib.get());
    const uint8_t entries[2][4] = {{0, 0, 255, 0}, {0, 0, 255, 0}}; // red twice
    std::memcpy(table, entries, sizeof entries);
    uint8_t* bits = DibBits(dib.get());
    bits[0] = 0x01; // red, red (the duplicate)
    bits[1] = 0x9F; // past the table twice
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(EncodeCompactPng(dib.get(), &bytes));
    EXPECT_EQ(ParsePng(AsString(bytes)).paletteEntries, 2);
    TempDir dir;
    testsupport::WriteFileBytes(dir.file("b.png"), AsString(bytes));
    const DibPtr back(ReadPngFile(dir.file("b.png")));
    EXPECT_EQ(Colours(back.get()), (std::vector<uint32_t>{0xFF0000, 0xFF0000, 0, 0}));
}

// Noisy ramps across the rows suit the filter against the left byte at every depth; the
// rows are then deflated once more (smaller than the quick file) and must still decode
// exactly.
TEST(CompactPng, RampsFilteredAgainstTheLeftDecodeExactly) {
    TempDir dir;
    for (int levels : {2, 4, 16, 200}) {
        SCOPED_TRACE(std::to_string(levels) + " levels");
        const int w = 300, h = 40;
        DibPtr ramp(DibCreate(8, w, h));
        ramp->colorsUsed = uint32_t(levels);
        uint8_t* table = DibColorTable(ramp.get());
        for (int i = 0; i < levels; ++i)
            table[4 * i] = table[4 * i + 1] = table[4 * i + 2] = uint8_t(i * 255 / levels);
        uint32_t seed = 99;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                seed = seed * 1664525u + 1013904223u;
                const int step = x * levels / w + int(seed >> 30) % 3 - 1;
                *DibPixelAddress(ramp.get(), x, y) = uint8_t(std::clamp(step, 0, levels - 1));
            }
        std::vector<uint8_t> bytes, quick;
        ASSERT_TRUE(EncodeCompactPng(ramp.get(), &bytes));
        ASSERT_TRUE(EncodeCompactPngQuick(ramp.get(), &quick));
        EXPECT_LT(bytes.size(), quick.size());
        testsupport::WriteFileBytes(dir.file("ramp.png"), AsString(bytes));
        const DibPtr back(ReadPngFile(dir.file("ramp.png")));
        ASSERT_TRUE(back);
        EXPECT_EQ(Colours(back.get()), Colours(ramp.get()));
    }
}

// What the program reads back from its own file (a wider table, maybe a wider depth) must
// write as the very same bytes: the save measures and writes that picture.
TEST(CompactPng, WritingWhatWasReadBackGivesTheSameBytes) {
    const DibPtr photo = PhotoLikePicture(96, 130);
    QualityQuantizer quantizer(photo.get());
    TempDir dir;
    for (int colors : {2, 4, 9, 40, 256}) {
        for (int variant = 0; variant < 3; ++variant) {
            SCOPED_TRACE(std::to_string(colors) + " colours, variant " + std::to_string(variant));
            const DibPtr reduced(variant == 2 ? quantizer.ReduceWithRunBias(colors, 30)
                                              : quantizer.Reduce(colors, variant * 100));
            ASSERT_TRUE(reduced);
            std::vector<uint8_t> first, again, widened, quick;
            ASSERT_TRUE(EncodeCompactPng(reduced.get(), &first));
            testsupport::WriteFileBytes(dir.file("r.png"), AsString(first));
            const DibPtr back(ReadPngFile(dir.file("r.png")));
            ASSERT_TRUE(back);
            ASSERT_TRUE(EncodeCompactPng(back.get(), &again));
            EXPECT_EQ(again, first);
            const DibPtr wide(DibConvertDepth(back.get(), 8));
            ASSERT_TRUE(EncodeCompactPng(wide.get(), &widened));
            EXPECT_EQ(widened, first);
            ASSERT_TRUE(EncodeCompactPngQuick(reduced.get(), &quick));
            EXPECT_GE(quick.size(), first.size());
        }
    }
}

TEST(QualityQuantizer, TheSameRequestGivesTheSamePixelsWhateverCameBefore) {
    const DibPtr photo = PhotoLikePicture(80, 60);
    QualityQuantizer busy(photo.get());
    (void)busy.Reduce(40, 0);
    (void)busy.Reduce(12, 50);
    (void)busy.ReduceWithRunBias(12, 90);
    const DibPtr late(busy.Reduce(12, 100));
    const DibPtr lateBiased(busy.ReduceWithRunBias(40, 20));
    const DibPtr fresh(ReduceColorsHighQuality(photo.get(), 12, 100));
    const DibPtr freshBiased(ReduceColorsWithRunBias(photo.get(), 40, 20));
    EXPECT_TRUE(SameBlock(late.get(), fresh.get()));
    EXPECT_TRUE(SameBlock(lateBiased.get(), freshBiased.get()));
}

// Two threads asking one quantiser for the same counts at once (the fit's probes) get
// what a quantiser asked alone gives.
TEST(QualityQuantizer, RequestsFromTwoThreadsGiveWhatOneGives) {
    const DibPtr photo = PhotoLikePicture(96, 130);
    QualityQuantizer shared(photo.get());
    DibPtr biased[4], dithered[4];
    std::thread other([&] {
        for (int i = 0; i < 4; ++i)
            biased[i] = shared.ReduceWithRunBias(16 + 8 * i, 20);
    });
    for (int i = 0; i < 4; ++i)
        dithered[i] = shared.Reduce(40 - 8 * i, 50);
    other.join();
    for (int i = 0; i < 4; ++i) {
        const DibPtr alone(ReduceColorsWithRunBias(photo.get(), 16 + 8 * i, 20));
        const DibPtr aloneDithered(ReduceColorsHighQuality(photo.get(), 40 - 8 * i, 50));
        EXPECT_TRUE(SameBlock(biased[i].get(), alone.get())) << i;
        EXPECT_TRUE(SameBlock(dithered[i].get(), aloneDithered.get())) << i;
    }
}

TEST(QualityQuantizer, TableHoldsTheColoursMade) {
    const DibPtr photo = PhotoLikePicture(64, 48);
    for (int colors : {2, 8, 100}) {
        const DibPtr reduced(ReduceColorsHighQuality(photo.get(), colors, 100));
        ASSERT_TRUE(reduced);
        EXPECT_EQ(reduced->bitCount, 8);
        EXPECT_GE(reduced->colorsUsed, 2u);
        EXPECT_LE(reduced->colorsUsed, uint32_t(colors));
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x)
                EXPECT_LT(*DibPixelAddress(reduced.get(), x, y), reduced->colorsUsed);
    }
    // A picture of few colours comes back exactly.
    DibPtr few = testsupport::SolidPicture(20, 10, {10, 200, 30});
    testsupport::SetPixel(few.get(), 3, 3, {250, 0, 0});
    const DibPtr kept(ReduceColorsHighQuality(few.get(), 256, 100));
    EXPECT_TRUE(std::isinf(PsnrDb(kept.get(), few.get())));
}

// Every pixel stays within its allowance of the unbiased choice, and the picture gets
// flatter as the bias grows.
TEST(QualityQuantizer, RunBiasKeepsEachPixelWithinItsAllowance) {
    const DibPtr photo = PhotoLikePicture(90, 70);
    QualityQuantizer quantizer(photo.get());
    const DibPtr plain(quantizer.Reduce(64, 0));
    const std::vector<uint32_t> original = Colours(photo.get());
    auto error = [&](const std::vector<uint32_t>& c, size_t i) {
        int sum = 0;
        for (int shift : {0, 8, 16}) {
            const int d = int((c[i] >> shift) & 0xFF) - int((original[i] >> shift) & 0xFF);
            sum += d * d;
        }
        return sum;
    };
    auto repeats = [](const std::vector<uint32_t>& c) {
        size_t n = 0;
        for (size_t i = 1; i < c.size(); ++i)
            n += c[i] == c[i - 1];
        return n;
    };
    const std::vector<uint32_t> unbiased = Colours(plain.get());
    size_t previousRepeats = repeats(unbiased);
    for (int bias : {10, 60, 255}) {
        const DibPtr biased(quantizer.ReduceWithRunBias(64, bias));
        ASSERT_TRUE(biased);
        const std::vector<uint32_t> c = Colours(biased.get());
        for (size_t i = 0; i < c.size(); ++i)
            ASSERT_LE(error(c, i), error(unbiased, i) + bias) << "pixel " << i;
        EXPECT_GT(repeats(c), previousRepeats);
        previousRepeats = repeats(c);
    }
}

TEST(JpegSettings, TunedCodingStaysBaseline) {
    const DibPtr photo = PhotoLikePicture(64, 48);
    std::vector<uint8_t> classic, tuned, full, flat;
    ASSERT_TRUE(EncodeJpegMemory(photo.get(), JpegSettings{80}, &classic));
    ASSERT_TRUE(EncodeJpegMemory(photo.get(), JpegSettings{80, true}, &tuned));
    ASSERT_TRUE(EncodeJpegMemory(photo.get(), JpegSettings{80, true, true}, &full));
    ASSERT_TRUE(EncodeJpegMemory(photo.get(), JpegSettings{80, true, false, true}, &flat));
    EXPECT_LT(tuned.size(), classic.size());
    // Markers: SOF0 (baseline) with its sampling factors; DQT with its steps.
    auto marker = [](const std::vector<uint8_t>& j, uint8_t code) {
        for (size_t i = 2; i + 4 < j.size(); i += 2 + (size_t(j[i + 2]) << 8 | j[i + 3])) {
            if (j[i] != 0xFF)
                return size_t(0);
            if (j[i + 1] == code)
                return i;
        }
        return size_t(0);
    };
    for (const auto* j : {&classic, &tuned, &full, &flat}) {
        EXPECT_NE(marker(*j, 0xC0), 0u);
        EXPECT_EQ(marker(*j, 0xC2), 0u); // not progressive
    }
    EXPECT_EQ(tuned[marker(tuned, 0xC0) + 11], 0x22); // luma 2 x 2: colour subsampled
    EXPECT_EQ(full[marker(full, 0xC0) + 11], 0x11);
    const size_t dqt = marker(flat, 0xDB);
    ASSERT_NE(dqt, 0u);
    const std::set<uint8_t> steps(flat.begin() + long(dqt) + 5, flat.begin() + long(dqt) + 69);
    EXPECT_EQ(steps.size(), 1u);

    TempDir dir;
    ASSERT_EQ(WriteJpegFile(photo.get(), dir.file("f.jpg"), JpegSettings{80, true, true}), 1);
    EXPECT_EQ(ReadFileBytes(dir.file("f.jpg")), AsString(full));
    const DibPtr decoded(ReadJpegMemory(full.data(), full.size()));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->width, 64);
    EXPECT_FALSE(ReadJpegMemory(full.data(), 10));
}

TEST(Psnr, AgainstTheReference) {
    const DibPtr a = PhotoLikePicture(20, 10);
    EXPECT_TRUE(std::isinf(PsnrDb(a.get(), a.get())));
    DibPtr b(DibDuplicate(a.get(), nullptr));
    // Red one step off everywhere: the mean squared error is 1/3.
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) {
            uint8_t* p = DibPixelAddress(b.get(), x, y);
            p[2] = p[2] == 255 ? 254 : p[2] + 1;
        }
    EXPECT_NEAR(PsnrDb(b.get(), a.get()), 10 * std::log10(255.0 * 255.0 * 3), 1e-9);
    const DibPtr other = PhotoLikePicture(20, 11);
    EXPECT_TRUE(std::isnan(PsnrDb(other.get(), a.get())));
    EXPECT_TRUE(std::isnan(PsnrDb(nullptr, a.get())));
}

} // namespace
