// Every output format and every profile on a real photograph, checked with the file facts
// and with the PNG and JPEG libraries' own command-line tools.
#include "phone/output_pipeline.h"
#include "phone/selection.h"

#include "common/png_info.h"
#include "common/test_support.h"
#include "image/loaders.h"
#include "image/psnr.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using testsupport::ParsePng;
using testsupport::ReadFileBytes;
using testsupport::TempDir;

namespace {

const char kPhoto[] = "photos/kite-2560x1600.jpg";

bool ToolAccepts(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

bool HaveTool(const char* name) {
    return ToolAccepts(std::string("command -v ") + name);
}

struct Expected {
    int colorType;
    int depth;
    int maxTempEntries; // 0: no palette
    int savedEntries;
};

Expected ExpectedFor(int format) {
    switch (format) {
    case 0:
        return {3, 4, 16, 16};
    case 1:
        return {3, 8, 256, 256};
    case 2:
        return {3, 4, 8, 16};
    case 3:
        return {3, 4, 12, 16};
    case 4:
        return {3, 4, 16, 16};
    case 5:
        return {3, 8, 32, 256};
    case 6:
        return {3, 8, 64, 256};
    case 7:
        return {3, 8, 128, 256};
    case 8:
    case 9:
        return {3, 8, 256, 256};
    default:
        return {2, 8, 0, 0};
    }
}

class PhotoFormatsTest : public ::testing::Test {
protected:
    void SetUp() override { setenv("TMPDIR", dir_.path().c_str(), 1); }
    void TearDown() override { unsetenv("TMPDIR"); }

    // The photo's centre cut to the target's aspect, as a locked drag over it would give.
    static void Convert(OutputPipeline& pipeline, const PackedDib* photo) {
        const ImageRect whole{0, 0, photo->width, photo->height};
        const ImageRect selection =
            FitAspectRect(whole, pipeline.TargetWidth(), pipeline.TargetHeight());
        pipeline.SetBaseImage(
            MakeBaseImage(photo, selection, pipeline.TargetWidth(), pipeline.TargetHeight(), true),
            false);
    }

    TempDir dir_;
};

TEST_F(PhotoFormatsTest, EveryFormatGivesValidFilesOfTheRightKind) {
    MOKOA_REQUIRE_TESTDATA(photoPath, kPhoto);
    if (!HaveTool("pngcheck") || !HaveTool("djpeg"))
        GTEST_SKIP() << "pngcheck and djpeg are needed (scripts/install-deps.sh test)";
    DibPtr photo(LoadImageFile(photoPath.string()));
    ASSERT_TRUE(photo);

    for (const PhoneSettings& settings : {PhoneSettings{80, 80, 22, 0}, // 120 x 160
                                          PhoneSettings{180, 180, 0, 0}}) {
        OutputPipeline pipeline(settings);
        Convert(pipeline, photo.get());
        const int w = pipeline.TargetWidth(), h = pipeline.TargetHeight();
        for (int format = 0; format < 15; ++format) {
            SCOPED_TRACE("format " + std::to_string(format) + " at " + std::to_string(w) + "x" +
                         std::to_string(h));
            ASSERT_TRUE(pipeline.SelectFormat(format));
            const PackedDib* out = pipeline.OutputImage();
            ASSERT_TRUE(out);
            EXPECT_EQ(out->width, w);
            EXPECT_EQ(out->height, h);
            const std::string temp = pipeline.TempOutputPath();
            const std::string saved = dir_.file(pipeline.IsPng() ? "saved.png" : "saved.jpg");
            ASSERT_EQ(pipeline.WriteImageByExtension(saved), SaveStatus::Written);

            if (!pipeline.IsPng()) {
                EXPECT_TRUE(ToolAccepts("djpeg -outfile /dev/null '" + temp + "'"));
                EXPECT_TRUE(ToolAccepts("djpeg -outfile /dev/null '" + saved + "'"));
                EXPECT_EQ(out->bitCount, 24);
                continue;
            }
            EXPECT_TRUE(ToolAccepts("pngcheck -q '" + temp + "'"));
            EXPECT_TRUE(ToolAccepts("pngcheck -q '" + saved + "'"));
            const Expected e = ExpectedFor(format);
            const auto tempInfo = ParsePng(ReadFileBytes(temp));
            const auto savedInfo = ParsePng(ReadFileBytes(saved));
            EXPECT_EQ(tempInfo.width, uint32_t(w));
            EXPECT_EQ(tempInfo.height, uint32_t(h));
            EXPECT_EQ(tempInfo.colorType, e.colorType);
            EXPECT_EQ(tempInfo.bitDepth, e.depth);
            EXPECT_EQ(savedInfo.colorType, e.colorType);
            EXPECT_EQ(savedInfo.bitDepth, e.depth);
            EXPECT_EQ(savedInfo.paletteEntries, e.savedEntries);
            if (e.maxTempEntries) {
                EXPECT_LE(tempInfo.paletteEntries, e.maxTempEntries);
                // A photo has more colours than any palette, so the cut fills it (and the
                // web palette always has its full table); only 256 greys are more than
                // the photo's grey levels.
                if (format != 1) {
                    EXPECT_EQ(tempInfo.paletteEntries, e.maxTempEntries);
                }
                EXPECT_EQ(out->bitCount, e.depth);
                EXPECT_EQ(out->colorsUsed, uint32_t(e.savedEntries));
            }
        }
    }
}

TEST_F(PhotoFormatsTest, EveryProfileGivesItsExactSize) {
    MOKOA_REQUIRE_TESTDATA(photoPath, kPhoto);
    DibPtr photo(LoadImageFile(photoPath.string()));
    ASSERT_TRUE(photo);
    for (int format : {3, 13}) {
        OutputPipeline pipeline(PhoneSettings{180, 20, 0, format});
        for (int index = 0; index < kProfileListCount; ++index) {
            ASSERT_TRUE(pipeline.Profile().Select(index));
            Convert(pipeline, photo.get());
            const PackedDib* out = pipeline.OutputImage();
            ASSERT_TRUE(out) << index;
            EXPECT_EQ(out->width, pipeline.TargetWidth()) << pipeline.Profile().ItemText(index);
            EXPECT_EQ(out->height, pipeline.TargetHeight()) << pipeline.Profile().ItemText(index);
            if (format == 3) {
                const auto info = ParsePng(ReadFileBytes(pipeline.TempOutputPath()));
                EXPECT_TRUE(info.valid);
                EXPECT_EQ(info.width, uint32_t(pipeline.TargetWidth()));
                EXPECT_EQ(info.height, uint32_t(pipeline.TargetHeight()));
            }
        }
    }
}

// A big shrink by area means or Lanczos may start from the photo decoded at a half, a
// quarter or an eighth of its size: the phone image stays all but the same as from the
// whole decode (about 55 dB and up on photos; a fit's file moves by under half a dB).
TEST(ReducedDecode, APhoneImageAsFromTheWholePhoto) {
    MOKOA_REQUIRE_TESTDATA(photoPath, kPhoto);
    const DibPtr photo(LoadImageFile(photoPath.string()));
    ASSERT_TRUE(photo);
    const ImageRect whole{0, 0, photo->width, photo->height};
    for (const auto& [w, h, reduction] :
         {std::tuple{120, 160, 2}, {60, 80, 4}, {30, 40, 8}, {400, 300, 1}}) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        // Off-centre, so that no edge falls on a reduced pixel's edge.
        ImageRect cut = FitAspectRect(whole, w, h);
        cut.left += 3;
        cut.top += 5;
        cut.bottom -= 2;
        ASSERT_EQ(ReductionForShrink(cut, {w, h}), reduction);
        if (reduction == 1)
            continue;
        const DibPtr reduced = ReadJpegReduced(photoPath.string(), reduction);
        ASSERT_TRUE(reduced);
        EXPECT_EQ(reduced->width, (photo->width + reduction - 1) / reduction);
        for (Resampling how : {Resampling::Area, Resampling::Lanczos}) {
            const DibPtr full = MakeBaseImage(photo.get(), cut, w, h, false, how);
            const DibPtr quick =
                MakeBaseImageReduced(reduced.get(), reduction, cut, w, h, false, how);
            ASSERT_TRUE(full && quick);
            ASSERT_EQ(quick->width, full->width);
            ASSERT_EQ(quick->height, full->height);
            EXPECT_GE(PsnrDb(quick.get(), full.get()), 50.0);
        }
    }
}

} // namespace
