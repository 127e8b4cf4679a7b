// Reading only the rows and columns the classic resampling samples must give the bytes of
// the whole picture's resampling, for every layout the readers take.
#include "image/sampled_picture.h"

#include "codec_fixtures.h"
#include "common/photo_like_picture.h"
#include "common/test_support.h"
#include "image/color_reduction.h"
#include "image/encoders.h"
#include "image/loaders.h"
#include "image/transform.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 517, kHeight = 389;

// The picture's samples in the file order of the fixtures: rows from the top, red first.
std::vector<uint8_t> Samples(const PackedDib* dib, int components) {
    std::vector<uint8_t> out;
    for (int y = 0; y < DibHeight(dib); ++y)
        for (int x = 0; x < DibWidth(dib); ++x) {
            const uint8_t* p = DibPixelAddress(dib, x, DibHeight(dib) - 1 - y);
            if (components == 1) {
                out.push_back(p[1]);
            } else {
                out.insert(out.end(), {p[2], p[1], p[0]});
                if (components == 4)
                    out.push_back(uint8_t(p[0] / 3));
            }
        }
    return out;
}

PngFixture PngOf(const PackedDib* dib, bool interlaced) {
    PngFixture png;
    png.width = DibWidth(dib);
    png.height = DibHeight(dib);
    png.interlaced = interlaced;
    const std::vector<uint8_t> rgb = Samples(dib, 3);
    for (int y = 0; y < png.height; ++y)
        png.rows.emplace_back(rgb.begin() + ptrdiff_t(y) * png.width * 3,
                              rgb.begin() + ptrdiff_t(y + 1) * png.width * 3);
    return png;
}

// A BMP file: the file header, then the packed bitmap as it is.
void WriteBmp(const PackedDib* dib, const std::string& path) {
    const size_t block = DibBlockSize(dib);
    const uint32_t size = uint32_t(14 + block);
    const uint32_t offset = uint32_t(14 + sizeof(PackedDib) + DibTableBytes(dib));
    std::string bytes = "BM";
    for (uint32_t v : {size, 0u, offset}) // the size, two reserved words, the pixels' offset
        for (int i = 0; i < 4; ++i)
            bytes += char(v >> (8 * i));
    bytes.append(reinterpret_cast<const char*>(dib), block);
    testsupport::WriteFileBytes(path, bytes);
}

// The layouts, each written once: the name says what the file is.
class SampledPictureTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new testsupport::TempDir;
        DibPtr photo = testsupport::PhotoLikePicture(kWidth, kHeight);
        const auto jpeg = [&](const std::string& name, int components, bool progressive,
                              int sampling) {
            ASSERT_TRUE(WriteJpeg(File(name), kWidth, kHeight, components,
                                  Samples(photo.get(), components), 85, false, progressive,
                                  sampling));
        };
        jpeg("420.jpg", 3, false, 0x22);
        jpeg("422.jpg", 3, false, 0x21);
        jpeg("444.jpg", 3, false, 0x11);
        jpeg("progressive.jpg", 3, true, 0x22);
        jpeg("grey.jpg", 1, false, 0);
        jpeg("cmyk.jpg", 4, false, 0);
        ASSERT_EQ(WritePngFile(photo.get(), File("rgb.png")), 1);
        ASSERT_TRUE(WritePng(File("interlaced.png"), PngOf(photo.get(), true)));
        DibPtr sixteen(ReduceColorsTo4Bit(photo.get(), 16));
        ASSERT_EQ(WritePngFile(sixteen.get(), File("palette.png")), 1);
        WriteBmp(photo.get(), File("photo.bmp"));
        // Cut in the middle of the picture data: the rest is filled in as a whole load does.
        for (const char* name : {"420.jpg", "progressive.jpg", "rgb.png", "palette.png"}) {
            const std::string bytes = testsupport::ReadFileBytes(File(name));
            testsupport::WriteFileBytes(File(std::string("cut-") + name),
                                        bytes.substr(0, bytes.size() / 2));
        }
    }
    static void TearDownTestSuite() { delete dir_; }
    static std::string File(const std::string& name) { return dir_->file(name); }

    static testsupport::TempDir* dir_;
};

testsupport::TempDir* SampledPictureTest::dir_ = nullptr;

TEST_F(SampledPictureTest, SameBytesAsTheWholePicture) {
    struct Case {
        ImageRect from;
        int width, height;
    };
    const Case cases[] = {
        {{0, 0, kWidth, kHeight}, 120, 160},   // the whole picture, shrunk
        {{101, 37, 400, 300}, 96, 130},        // a part in the middle
        {{480, 0, kWidth, kHeight}, 120, 160}, // a strip at the right edge, widened
        {{0, 200, 60, 389}, 40, 50},           // the bottom-left corner
        {{200, 200, 210, 205}, 180, 180},      // a few pixels enlarged
        {{16, 16, 48, 48}, 32, 32},            // block-aligned, one to one
    };
    for (const char* name :
         {"420.jpg", "422.jpg", "444.jpg", "progressive.jpg", "grey.jpg", "cmyk.jpg", "rgb.png",
          "interlaced.png", "palette.png", "photo.bmp", "cut-420.jpg", "cut-progressive.jpg",
          "cut-rgb.png", "cut-palette.png"}) {
        LoadError wholeWhy = LoadError::None;
        DibPtr whole(LoadImageFile(File(name), &wholeWhy));
        ASSERT_TRUE(whole) << name;
        whole = DibConvertDepth(whole.get(), 24);
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(name) + " from " + std::to_string(c.from.left) + "," +
                         std::to_string(c.from.top) + " to " + std::to_string(c.width) + "x" +
                         std::to_string(c.height));
            DibPtr expected(DibCreate(24, c.width, c.height));
            ASSERT_EQ(ResampleImage(expected.get(), 0, 0, -1, -1, whole.get(), c.from.left,
                                    c.from.top, c.from.right, c.from.bottom),
                      1);
            SampledPicture samples(ClassicSampleGrid(kWidth, kHeight, c.from, c.width, c.height));
            LoadError why = LoadError::None;
            ASSERT_TRUE(LoadPictureSamples(File(name), &samples, &why));
            EXPECT_EQ(why, wholeWhy);
            DibPtr made(DibCreate(24, c.width, c.height));
            ASSERT_TRUE(ResampleSampled(made.get(), samples, c.from));
            EXPECT_EQ(0, std::memcmp(DibBits(made.get()), DibBits(expected.get()),
                                     DibPixelBytes(expected.get())));
        }
    }
}

TEST_F(SampledPictureTest, SamplesServeOnlyTheirRectangleAndSize) {
    const ImageRect from{0, 0, kWidth, kHeight};
    SampledPicture samples(ClassicSampleGrid(kWidth, kHeight, from, 120, 160));
    // A grid holds a few hundred rows and columns, not the picture.
    EXPECT_LE(samples.Grid().rows.size(), 320u);
    EXPECT_LE(samples.Grid().columns.size(), 240u);
    ASSERT_TRUE(LoadPictureSamples(File("420.jpg"), &samples));
    DibPtr made(DibCreate(24, 120, 160));
    EXPECT_TRUE(ResampleSampled(made.get(), samples, from));
    DibPtr other(DibCreate(24, 96, 130));
    EXPECT_FALSE(ResampleSampled(other.get(), samples, from));
    EXPECT_FALSE(ResampleSampled(made.get(), samples, {1, 0, kWidth, kHeight}));

    // A file of another size than the samples were taken for is refused.
    SampledPicture elsewhere(ClassicSampleGrid(kWidth + 1, kHeight, from, 120, 160));
    LoadError why = LoadError::None;
    for (const char* name : {"420.jpg", "rgb.png", "photo.bmp"}) {
        EXPECT_FALSE(LoadPictureSamples(File(name), &elsewhere, &why)) << name;
        EXPECT_EQ(why, LoadError::Damaged) << name;
    }
}

TEST_F(SampledPictureTest, HeadersTellWhatALoadGives) {
    for (const char* name :
         {"420.jpg", "grey.jpg", "cmyk.jpg", "rgb.png", "palette.png", "photo.bmp"}) {
        PictureInfo info;
        ASSERT_TRUE(ReadPictureInfo(File(name), &info)) << name;
        DibPtr whole(LoadImageFile(File(name)));
        EXPECT_EQ(info.width, DibWidth(whole.get())) << name;
        EXPECT_EQ(info.height, DibHeight(whole.get())) << name;
        EXPECT_EQ(info.bitCount, DibBitCount(whole.get())) << name;
    }
    // Refused up front as a load refuses it.
    testsupport::WriteFileBytes(File("short.png"), "\x89PNG\r\n\x1a\n");
    testsupport::WriteFileBytes(File("short.jpg"), "\xFF\xD8\xFF");
    testsupport::WriteFileBytes(File("short.bmp"), "BM");
    for (const char* name : {"short.png", "short.jpg", "short.bmp"}) {
        PictureInfo info;
        LoadError why = LoadError::None;
        EXPECT_FALSE(ReadPictureInfo(File(name), &info, &why)) << name;
        EXPECT_EQ(why, LoadError::Damaged) << name;
    }
}

} // namespace
