#include "image/loaders.h"

#include "common/test_support.h"

#include <QImage>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> BmpFiles(const fs::path& dir) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(dir))
        if (entry.path().extension() == ".bmp")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

// Blue, green, red of picture pixel (x, y), y from the top, of a 24-bit image.
uint32_t RgbAt(const PackedDib* dib, int x, int y) {
    const uint8_t* p = DibPixelAddress(dib, x, DibHeight(dib) - 1 - y);
    return (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
}

TEST(BmpSuite, GoodFilesLoadWithTheReferencePixels) {
    MOKOA_REQUIRE_TESTDATA(dir, "bmpsuite/g");
    for (const fs::path& file : BmpFiles(dir)) {
        SCOPED_TRACE(file.filename().string());
        LoadError why = LoadError::None;
        DibPtr dib(LoadImageFile(file.string(), &why));
        ASSERT_TRUE(dib) << LoadErrorText(why);
        // 16- and 32-bit pictures stay deep; compare them widened.
        DibPtr wide(DibBitCount(dib.get()) == 24 ? DibDuplicate(dib.get(), nullptr)
                                                 : DibConvertDepth(dib.get(), 24));
        ASSERT_TRUE(wide);
        QImage reference(QString::fromStdString(file.string()));
        ASSERT_FALSE(reference.isNull());
        reference = reference.convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(DibWidth(wide.get()), reference.width());
        ASSERT_EQ(DibHeight(wide.get()), reference.height());
        int mismatches = 0;
        for (int y = 0; y < reference.height(); ++y)
            for (int x = 0; x < reference.width(); ++x)
                if (RgbAt(wide.get(), x, y) != (reference.pixel(x, y) & 0xFFFFFF) &&
                    mismatches++ < 3)
                    ADD_FAILURE() << "pixel (" << x << ", " << y << "): " << std::hex
                                  << RgbAt(wide.get(), x, y) << " instead of "
                                  << (reference.pixel(x, y) & 0xFFFFFF);
        EXPECT_EQ(mismatches, 0);
    }
}

TEST(BmpSuite, QuestionableAndBadFilesNeverCrash) {
    MOKOA_REQUIRE_TESTDATA(questionable, "bmpsuite/q");
    MOKOA_REQUIRE_TESTDATA(bad, "bmpsuite/b");
    for (const fs::path& dir : {questionable, bad}) {
        for (const fs::path& file : BmpFiles(dir)) {
            SCOPED_TRACE(file.string());
            LoadError why = LoadError::None;
            DibPtr dib(LoadImageFile(file.string(), &why));
            if (dib) {
                EXPECT_EQ(why, LoadError::None);
                EXPECT_GT(DibWidth(dib.get()), 0);
                EXPECT_GT(DibHeight(dib.get()), 0);
            } else {
                EXPECT_NE(why, LoadError::None);
            }
        }
    }
    // The cases that must be refused rather than guessed at.
    EXPECT_EQ(DibPtr(ReadBmpFile((bad / "reallybig.bmp").string())), nullptr);
    LoadError why = LoadError::None;
    EXPECT_EQ(DibPtr(ReadBmpFile((bad / "reallybig.bmp").string(), &why)), nullptr);
    EXPECT_EQ(why, LoadError::TooLarge);
    EXPECT_EQ(DibPtr(ReadBmpFile((bad / "shortfile.bmp").string(), &why)), nullptr);
    EXPECT_EQ(why, LoadError::Damaged);
    EXPECT_EQ(DibPtr(ReadBmpFile((bad / "badbitcount.bmp").string(), &why)), nullptr);
    EXPECT_EQ(DibPtr(ReadBmpFile((bad / "rletopdown.bmp").string(), &why)), nullptr);
}

// Builds BMP files byte by byte.
class BmpBuilder {
public:
    BmpBuilder& U8(uint8_t v) {
        bytes_.push_back(char(v));
        return *this;
    }
    BmpBuilder& U16(uint16_t v) { return U8(uint8_t(v)).U8(uint8_t(v >> 8)); }
    BmpBuilder& U32(uint32_t v) { return U16(uint16_t(v)).U16(uint16_t(v >> 16)); }
    BmpBuilder& Bytes(std::initializer_list<uint8_t> list) {
        for (uint8_t b : list)
            U8(b);
        return *this;
    }
    // A 14-byte file header whose pixel offset is `offset`.
    BmpBuilder& FileHeader(uint32_t offset) { return Bytes({'B', 'M'}).U32(0).U32(0).U32(offset); }
    BmpBuilder& InfoHeader(int32_t width, int32_t height, uint16_t bits, uint32_t compression = 0,
                           uint32_t colorsUsed = 0, uint32_t imageSize = 0) {
        return U32(40)
            .U32(uint32_t(width))
            .U32(uint32_t(height))
            .U16(1)
            .U16(bits)
            .U32(compression)
            .U32(imageSize)
            .U32(0)
            .U32(0)
            .U32(colorsUsed)
            .U32(0);
    }
    const std::string& bytes() const { return bytes_; }
    std::string Save(const testsupport::TempDir& dir, const std::string& name) const {
        const std::string path = dir.file(name);
        testsupport::WriteFileBytes(path, bytes_);
        return path;
    }

private:
    std::string bytes_;
};

TEST(BmpReader, HeaderVariantsLoad) {
    testsupport::TempDir dir;

    // No file header: the packed bitmap straight from the first byte; 2 x 1 at 24 bits.
    BmpBuilder bare;
    bare.InfoHeader(2, 1, 24).Bytes({1, 2, 3, 4, 5, 6, 0, 0});
    DibPtr dib(ReadBmpFile(bare.Save(dir, "bare.bmp")));
    ASSERT_TRUE(dib);
    EXPECT_EQ(DibBitCount(dib.get()), 24);
    EXPECT_EQ(RgbAt(dib.get(), 1, 0), 0x060504u);

    // A 12-byte core header with 3-byte table entries; the load comes out at 24 bits.
    BmpBuilder core;
    core.FileHeader(14 + 12 + 3 * 256).U32(12).U16(2).U16(1).U16(1).U16(8);
    for (int i = 0; i < 256; ++i)
        core.Bytes({uint8_t(i), uint8_t(255 - i), 7});
    core.Bytes({0, 200, 0, 0});
    dib = LoadImageFile(core.Save(dir, "core.bmp"));
    ASSERT_TRUE(dib);
    EXPECT_EQ(DibBitCount(dib.get()), 24);
    EXPECT_EQ(RgbAt(dib.get(), 0, 0), 0x07FF00u);
    EXPECT_EQ(RgbAt(dib.get(), 1, 0), 0x0737C8u);

    // A 4-bit picture with colours used = 0 gets the full 16-entry table.
    BmpBuilder four;
    four.FileHeader(14 + 40 + 64).InfoHeader(2, 1, 4, 0, 0);
    for (int i = 0; i < 16; ++i)
        four.Bytes({uint8_t(i * 16), 0, 0, 0});
    four.Bytes({0x0F, 0, 0, 0});
    dib = ReadBmpFile(four.Save(dir, "four.bmp"));
    ASSERT_TRUE(dib);
    EXPECT_EQ(DibBitCount(dib.get()), 4);
    EXPECT_EQ(dib->colorsUsed, 16u);
    dib = LoadImageFile(dir.file("four.bmp"));
    ASSERT_TRUE(dib);
    EXPECT_EQ(DibBitCount(dib.get()), 24);
    EXPECT_EQ(RgbAt(dib.get(), 0, 0), 0x000000u);
    EXPECT_EQ(RgbAt(dib.get(), 1, 0), 0x0000F0u);

    // Deep pictures keep their depth.
    BmpBuilder sixteen;
    sixteen.FileHeader(54).InfoHeader(1, 1, 16).Bytes({0x00, 0x7C, 0, 0});
    dib = LoadImageFile(sixteen.Save(dir, "sixteen.bmp"));
    ASSERT_TRUE(dib);
    EXPECT_EQ(DibBitCount(dib.get()), 16);
    BmpBuilder thirtyTwo;
    thirtyTwo.FileHeader(54).InfoHeader(1, 1, 32).Bytes({1, 2, 3, 4});
    dib = LoadImageFile(thirtyTwo.Save(dir, "thirtytwo.bmp"));
    ASSERT_TRUE(dib);
    EXPECT_EQ(DibBitCount(dib.get()), 32);

    // Top-down rows come out bottom-up.
    BmpBuilder topDown;
    topDown.FileHeader(54).InfoHeader(1, -2, 24).Bytes({1, 1, 1, 0, 2, 2, 2, 0});
    dib = ReadBmpFile(topDown.Save(dir, "topdown.bmp"));
    ASSERT_TRUE(dib);
    EXPECT_EQ(DibHeight(dib.get()), 2);
    EXPECT_EQ(RgbAt(dib.get(), 0, 0), 0x010101u);
    EXPECT_EQ(RgbAt(dib.get(), 0, 1), 0x020202u);
}

TEST(BmpReader, RunLengthDataIsClippedAndSkipsLeaveIndexZero) {
    testsupport::TempDir dir;
    BmpBuilder rle;
    rle.FileHeader(14 + 40 + 8).InfoHeader(4, 3, 8, 1, 2);
    rle.Bytes({0, 0, 0, 0, 255, 255, 255, 0}); // black, white
    rle.Bytes({6, 1});                         // run longer than the row: cut off
    rle.Bytes({0, 0});                         // end of line
    rle.Bytes({0, 2, 2, 0});                   // skip two pixels
    rle.Bytes({0, 3, 1, 0, 1, 0});             // literal run of 3, padded
    rle.Bytes({0, 1});                         // end of picture: the top row stays index 0
    DibPtr dib(LoadImageFile(rle.Save(dir, "rle.bmp")));
    ASSERT_TRUE(dib);
    // Stored bottom row first: y = 2 is the first decoded row.
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(RgbAt(dib.get(), x, 2), 0xFFFFFFu) << x;
    EXPECT_EQ(RgbAt(dib.get(), 0, 1), 0u);
    EXPECT_EQ(RgbAt(dib.get(), 1, 1), 0u);
    EXPECT_EQ(RgbAt(dib.get(), 2, 1), 0xFFFFFFu);
    EXPECT_EQ(RgbAt(dib.get(), 3, 1), 0u);
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(RgbAt(dib.get(), x, 0), 0u) << x;

    // The same data cut before the picture is complete is refused.
    BmpBuilder cut;
    cut.FileHeader(14 + 40 + 8).InfoHeader(4, 3, 8, 1, 2);
    cut.Bytes({0, 0, 0, 0, 255, 255, 255, 0, 4, 1, 0, 0, 0, 3, 1});
    EXPECT_EQ(DibPtr(ReadBmpFile(cut.Save(dir, "cut.bmp"))), nullptr);
}

TEST(BmpReader, InconsistentHeadersAreRefusedBeforeAllocating) {
    testsupport::TempDir dir;
    struct Case {
        const char* name;
        BmpBuilder file;
        LoadError why;
    };
    std::vector<Case> cases;
    // Truncated pixel array.
    cases.push_back({"short", BmpBuilder().FileHeader(54).InfoHeader(4, 4, 24).Bytes({1, 2, 3}),
                     LoadError::Damaged});
    // Pixel offset beyond the end of the file.
    cases.push_back(
        {"offset", BmpBuilder().FileHeader(5000).InfoHeader(1, 1, 24).U32(0), LoadError::Damaged});
    // A table of a billion entries in a tiny file.
    cases.push_back({"table", BmpBuilder().FileHeader(0).InfoHeader(1, 1, 8, 0, 1u << 30).U32(0),
                     LoadError::Damaged});
    // Sides far beyond the limit, and a side product that overflows 32 bits.
    cases.push_back({"huge", BmpBuilder().FileHeader(54).InfoHeader(100000, 100000, 24).U32(0),
                     LoadError::TooLarge});
    cases.push_back({"wide", BmpBuilder().FileHeader(54).InfoHeader(30000, 30000, 32).U32(0),
                     LoadError::TooLarge});
    // Run-length data a few bytes long for a picture that fits at 8 bits but not at 24.
    cases.push_back(
        {"rle",
         BmpBuilder().FileHeader(0).InfoHeader(18919, 18919, 8, 1, 2).U32(0).U32(~0u).Bytes({0, 1}),
         LoadError::TooLarge});
    // And for one that fits once widened, but is more than a file of a few bytes can mean.
    cases.push_back(
        {"rle4",
         BmpBuilder().FileHeader(0).InfoHeader(30000, 11930, 4, 2, 2).U32(0).U32(0).Bytes({0, 1}),
         LoadError::Damaged});
    cases.push_back(
        {"flat", BmpBuilder().FileHeader(54).InfoHeader(1, 0, 24).U32(0), LoadError::Damaged});
    cases.push_back({"lowest", BmpBuilder().FileHeader(54).InfoHeader(1, INT32_MIN, 24).U32(0),
                     LoadError::TooLarge});
    // Odd depths and compressed data we do not decode.
    cases.push_back(
        {"depth", BmpBuilder().FileHeader(54).InfoHeader(1, 1, 7).U32(0), LoadError::Unsupported});
    cases.push_back({"jpeg", BmpBuilder().FileHeader(54).InfoHeader(1, 1, 0, 4).U32(0),
                     LoadError::Unsupported});
    cases.push_back({"rle24", BmpBuilder().FileHeader(54).InfoHeader(1, 1, 24, 1).U32(0),
                     LoadError::Unsupported});
    // Header sizes that are no known layout, and a file that ends inside the header.
    cases.push_back(
        {"header", BmpBuilder().FileHeader(54).U32(99).U32(1).U32(1), LoadError::Damaged});
    cases.push_back({"stub", BmpBuilder().FileHeader(54).U32(40).U32(1), LoadError::Damaged});
    cases.push_back({"empty", BmpBuilder(), LoadError::Damaged});
    for (const Case& c : cases) {
        LoadError why = LoadError::None;
        EXPECT_EQ(DibPtr(ReadBmpFile(c.file.Save(dir, std::string(c.name) + ".bmp"), &why)),
                  nullptr)
            << c.name;
        EXPECT_EQ(why, c.why) << c.name;
    }
    LoadError why = LoadError::None;
    EXPECT_EQ(DibPtr(ReadBmpFile(dir.file("absent.bmp"), &why)), nullptr);
    EXPECT_EQ(why, LoadError::NotFound);
    EXPECT_EQ(DibPtr(ReadBmpFile(dir.path().string(), &why)), nullptr);
    EXPECT_EQ(why, LoadError::NotAFile);
}

TEST(BmpReader, ReadsFromMemoryWithOrWithoutFileHeader) {
    BmpBuilder file;
    file.FileHeader(54).InfoHeader(1, 1, 24).Bytes({9, 8, 7, 0});
    DibPtr dib(ReadBmpMemory(file.bytes().data(), file.bytes().size()));
    ASSERT_TRUE(dib);
    EXPECT_EQ(RgbAt(dib.get(), 0, 0), 0x070809u);
    dib = ReadBmpMemory(file.bytes().data() + 14, file.bytes().size() - 14);
    ASSERT_TRUE(dib);
    EXPECT_EQ(RgbAt(dib.get(), 0, 0), 0x070809u);
    EXPECT_EQ(DibPtr(ReadBmpMemory(file.bytes().data(), 20)), nullptr);
    EXPECT_EQ(DibPtr(ReadBmpMemory(nullptr, 0)), nullptr);
}

} // namespace
