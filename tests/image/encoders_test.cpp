#include "image/encoders.h"

#include "common/png_info.h"
#include "common/test_pictures.h"
#include "common/test_support.h"
#include "image/loaders.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using testsupport::GradientPicture;
using testsupport::IndexAt;
using testsupport::ParsePng;
using testsupport::PixelAt;
using testsupport::ReadFileBytes;
using testsupport::Rgb;
using testsupport::SetPixel;
using testsupport::TableColor;
using testsupport::TempDir;

namespace {

// A 4-bit picture of width 5 whose table holds three colours.
DibPtr ThreeColourFourBit() {
    DibPtr dib(DibCreate(4, 5, 2));
    dib->colorsUsed = 3;
    uint8_t* table = DibColorTable(dib.get());
    const uint8_t entries[3][4] = {{0, 0, 255, 0}, {255, 0, 0, 0}, {0, 255, 0, 0}}; // r, b, g
    std::memcpy(table, entries, sizeof entries);
    uint8_t* bits = DibBits(dib.get());
    std::memset(bits, 0, DibPixelBytes(dib.get()));
    // Top row (stored row 1): 0 1 2 0 1; bottom row: 2 2 2 2 2.
    uint8_t* top = bits + DibRowBytes(dib.get());
    top[0] = 0x01;
    top[1] = 0x20;
    top[2] = 0x10;
    bits[0] = 0x22;
    bits[1] = 0x22;
    bits[2] = 0x20;
    return dib;
}

// Number of entries in a folder.
size_t EntriesIn(const std::filesystem::path& folder) {
    size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder))
        ++n;
    return n;
}

TEST(WritePng, PaletteImageHeaderAndPalette) {
    TempDir dir;
    DibPtr dib = ThreeColourFourBit();
    ASSERT_EQ(WritePngFile(dib.get(), dir.file("p.png")), 1);
    const auto info = ParsePng(ReadFileBytes(dir.file("p.png")));
    ASSERT_TRUE(info.valid);
    EXPECT_EQ(info.width, 5u);
    EXPECT_EQ(info.height, 2u);
    EXPECT_EQ(info.colorType, 3);
    EXPECT_EQ(info.bitDepth, 4);
    EXPECT_EQ(info.paletteEntries, 3);

    DibPtr back(ReadPngFile(dir.file("p.png")));
    ASSERT_TRUE(back);
    ASSERT_EQ(back->bitCount, 4);
    const unsigned top[5] = {0, 1, 2, 0, 1};
    for (int x = 0; x < 5; ++x) {
        EXPECT_EQ(IndexAt(back.get(), x, 0), top[x]);
        EXPECT_EQ(IndexAt(back.get(), x, 1), 2u);
    }
    EXPECT_EQ(TableColor(back.get(), 0), (Rgb{255, 0, 0}));
    EXPECT_EQ(TableColor(back.get(), 1), (Rgb{0, 0, 255}));
}

TEST(WritePng, FullColourKeepsTopLeftAndChannelOrder) {
    TempDir dir;
    DibPtr dib(DibCreate(24, 3, 2));
    SetPixel(dib.get(), 0, 0, {250, 10, 20});
    SetPixel(dib.get(), 2, 1, {1, 2, 3});
    ASSERT_EQ(WritePngFile(dib.get(), dir.file("c.png")), 1);
    const auto info = ParsePng(ReadFileBytes(dir.file("c.png")));
    EXPECT_EQ(info.colorType, 2);
    EXPECT_EQ(info.bitDepth, 8);
    EXPECT_EQ(info.paletteEntries, 0);
    DibPtr back(ReadPngFile(dir.file("c.png")));
    ASSERT_TRUE(back);
    EXPECT_EQ(PixelAt(back.get(), 0, 0), (Rgb{250, 10, 20}));
    EXPECT_EQ(PixelAt(back.get(), 2, 1), (Rgb{1, 2, 3}));
}

TEST(WritePng, WebPaletteImageHasAllEntries) {
    TempDir dir;
    DibPtr dib(DibCreate(8, 4, 4)); // 256 entries, as the web reduction makes
    ASSERT_EQ(WritePngFile(dib.get(), dir.file("w.png")), 1);
    EXPECT_EQ(ParsePng(ReadFileBytes(dir.file("w.png"))).paletteEntries, 256);
}

TEST(WriteJpeg, QualityAndPaletteColours) {
    TempDir dir;
    DibPtr picture = GradientPicture(96, 64);
    ASSERT_EQ(WriteJpegFile(picture.get(), dir.file("q50.jpg"), 50), 1);
    ASSERT_EQ(WriteJpegFile(picture.get(), dir.file("q90.jpg"), 90), 1);
    EXPECT_GT(std::filesystem::file_size(dir.file("q90.jpg")),
              std::filesystem::file_size(dir.file("q50.jpg")));

    // Large blocks of one palette colour come out in that colour, red and blue in place.
    DibPtr pal(DibCreate(4, 32, 16));
    pal->colorsUsed = 2;
    uint8_t* table = DibColorTable(pal.get());
    const uint8_t entries[2][4] = {{0, 0, 255, 0}, {255, 0, 0, 0}}; // red, blue
    std::memcpy(table, entries, sizeof entries);
    std::memset(DibBits(pal.get()), 0, DibPixelBytes(pal.get()));
    for (int y = 0; y < 16; ++y)
        for (int x = 16; x < 32; x += 2)
            DibBits(pal.get())[y * DibRowBytes(pal.get()) + x / 2] = 0x11;
    ASSERT_EQ(WriteJpegFile(pal.get(), dir.file("pal.jpg"), 90), 1);
    DibPtr back(ReadJpegFile(dir.file("pal.jpg")));
    ASSERT_TRUE(back);
    const Rgb left = PixelAt(back.get(), 4, 8), right = PixelAt(back.get(), 27, 8);
    EXPECT_GT(left[0], 240);
    EXPECT_LT(left[2], 15);
    EXPECT_GT(right[2], 240);
    EXPECT_LT(right[0], 15);
}

TEST(Writers, RefuseWhatTheyCannotWrite) {
    TempDir dir;
    DibPtr picture = GradientPicture(8, 8);
    EXPECT_EQ(WritePngFile(nullptr, dir.file("a.png")), 0);
    EXPECT_EQ(WriteJpegFile(nullptr, dir.file("a.jpg"), 75), 0);
    DibPtr deep(DibCreate(32, 4, 4));
    EXPECT_EQ(WritePngFile(deep.get(), dir.file("b.png")), 0);
    EXPECT_EQ(WritePngFile(picture.get(), dir.file("missing/c.png")), 0);
    EXPECT_EQ(WriteJpegFile(picture.get(), dir.file("missing/c.jpg"), 75), 0);
    EXPECT_EQ(EntriesIn(dir.path()), 0u);
}

// Runs a write in a child whose files may not grow beyond `limit` bytes, as on a full
// disk; the child's exit status is the writer's result.
int WriteWithFileSizeLimit(const std::function<int()>& write, rlim_t limit) {
    const pid_t pid = fork();
    if (pid == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit r{limit, limit};
        setrlimit(RLIMIT_FSIZE, &r);
        _exit(write());
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(Writers, FailedWriteKeepsTheOldFileAndLeavesNothingBehind) {
    TempDir dir;
    DibPtr picture = GradientPicture(160, 120);
    const std::string png = dir.file("out.png"), jpg = dir.file("out.jpg");
    testsupport::WriteFileBytes(png, "old png");
    testsupport::WriteFileBytes(jpg, "old jpg");

    EXPECT_EQ(WriteWithFileSizeLimit([&] { return WritePngFile(picture.get(), png); }, 1000), 0);
    EXPECT_EQ(WriteWithFileSizeLimit([&] { return WriteJpegFile(picture.get(), jpg, 90); }, 1000),
              0);
    EXPECT_EQ(ReadFileBytes(png), "old png");
    EXPECT_EQ(ReadFileBytes(jpg), "old jpg");
    EXPECT_EQ(EntriesIn(dir.path()), 2u);

    // Without the limit the same writes replace the old files.
    ASSERT_EQ(WritePngFile(picture.get(), png), 1);
    ASSERT_EQ(WriteJpegFile(picture.get(), jpg, 90), 1);
    EXPECT_TRUE(ParsePng(ReadFileBytes(png)).valid);
    EXPECT_EQ(ReadFileBytes(jpg).substr(0, 2), "\xFF\xD8");
    EXPECT_EQ(EntriesIn(dir.path()), 2u);
}

} // namespace
