#include "phone/save.h"
#include "phone/size_check.h"

#include "common/png_info.h"
#include "common/test_pictures.h"
#include "common/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using testsupport::GradientPicture;
using testsupport::ParsePng;
using testsupport::ReadFileBytes;
using testsupport::TempDir;

namespace {

const char kPngBothNg[] = "[PNG 7001 バイト]\nJ-Sky : NG !!\neZweb : NG !!\n"
                          "J-Sky用のPNGファイルは 6 KB 以内にしてください。\n"
                          "eZweb用のPNGファイルは 7 KB 以内にしてください。\n"
                          "（色数を減らしたり、画像のサイズを小さくしたりしてください）";
const char kPngJSkyNg[] = "[PNG %d バイト]\neZweb : OK !!\nJ-Sky : NG !!\n"
                          "J-Sky用のPNGファイルは 6 KB 以内にしてください。\n"
                          "（色数を減らしたり、画像のサイズを小さくしたりしてください）";
const char kJpegNg[] = "[JPEG 6500 バイト]\nJ-Sky : NG !!\n"
                       "J-Sky用のJPEGファイルは 6 KB 以内にしてください。\n"
                       "（色数を減らしたり、画像のサイズを小さくしたりしてください）";

std::string Format(const char* pattern, int n) {
    char text[512];
    std::snprintf(text, sizeof text, pattern, n);
    return text;
}

TEST(SizeCheck, PngThresholds) {
    EXPECT_EQ(CheckOutputSize(true, 6000).message, "PNG 6000 バイト OK !");
    EXPECT_TRUE(CheckOutputSize(true, 6000).withinLimits);
    EXPECT_EQ(CheckOutputSize(true, 6001).message, Format(kPngJSkyNg, 6001));
    EXPECT_FALSE(CheckOutputSize(true, 6001).withinLimits);
    EXPECT_EQ(CheckOutputSize(true, 7000).message, Format(kPngJSkyNg, 7000));
    EXPECT_EQ(CheckOutputSize(true, 7001).message, kPngBothNg);
    EXPECT_FALSE(CheckOutputSize(true, 7001).withinLimits);
}

TEST(SizeCheck, JpegThresholdsAndFailure) {
    EXPECT_EQ(CheckOutputSize(false, 6000).message, "JPEG 6000 バイト OK !");
    EXPECT_EQ(CheckOutputSize(false, 6500).message, kJpegNg);
    EXPECT_FALSE(CheckOutputSize(false, 6500).withinLimits);
    for (int64_t size : {0, -1}) {
        const SizeCheckResult r = CheckOutputSize(true, size);
        EXPECT_EQ(r.message, "なんらかの問題でファイルの保存が出来ません。");
        EXPECT_FALSE(r.written);
        EXPECT_FALSE(r.withinLimits);
    }
}

TEST(SaveNames, ExtensionAndDialogRules) {
    EXPECT_EQ(PathExtension("/pics/cat.JPG"), ".jpg");
    EXPECT_EQ(PathExtension("/my.pics/cat"), "");
    EXPECT_EQ(PathExtension("a.tar.Png"), ".png");
    EXPECT_EQ(AddDefaultExtension("/out/test", true), "/out/test.jpg");
    EXPECT_EQ(AddDefaultExtension("/out/test", false), "/out/test.png");
    EXPECT_EQ(AddDefaultExtension("/out.d/test", false), "/out.d/test.png");
    EXPECT_EQ(AddDefaultExtension("/out/test.bmp", true), "/out/test.bmp");
    EXPECT_EQ(ProposedSaveName("cat.bmp"), "cat");
    EXPECT_EQ(ProposedSaveName("/pics/cat.tar.bmp"), "cat.tar");
    EXPECT_EQ(ProposedSaveName("新規携帯画像"), "新規携帯画像");
    EXPECT_EQ(FolderOfPath("/pics/cat.bmp"), "/pics/");
    EXPECT_EQ(FolderOfPath("cat.bmp"), "");
}

TEST(WriteImageByExtension, TheNameDecidesTheWriter) {
    TempDir dir;
    DibPtr picture = GradientPicture(30, 20);
    EXPECT_EQ(WriteImageByExtension(picture.get(), dir.file("a.JPG"), 75), SaveStatus::Written);
    EXPECT_EQ(ReadFileBytes(dir.file("a.JPG")).substr(0, 2), "\xFF\xD8");
    EXPECT_EQ(WriteImageByExtension(picture.get(), dir.file("b.jpeg"), 75), SaveStatus::Written);
    EXPECT_EQ(ReadFileBytes(dir.file("b.jpeg")).substr(0, 2), "\xFF\xD8");
    EXPECT_EQ(WriteImageByExtension(picture.get(), dir.file("c.png"), 75), SaveStatus::Written);
    EXPECT_EQ(ParsePng(ReadFileBytes(dir.file("c.png"))).colorType, 2);

    EXPECT_EQ(WriteImageByExtension(picture.get(), dir.file("d.bmp"), 75),
              SaveStatus::UnknownExtension);
    EXPECT_EQ(WriteImageByExtension(picture.get(), dir.file("e"), 75),
              SaveStatus::UnknownExtension);
    EXPECT_EQ(WriteImageByExtension(picture.get(), dir.file("no/such/f.png"), 75),
              SaveStatus::WriteFailed);
    EXPECT_FALSE(std::filesystem::exists(dir.file("d.bmp")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("e")));
}

TEST(MakeDeliveryCopy, NewFileInTheTemporaryFolder) {
    TempDir dir;
    setenv("TMPDIR", dir.path().c_str(), 1);
    DibPtr picture = GradientPicture(30, 20);
    const std::string png = MakeDeliveryCopy(picture.get(), true, 75);
    const std::string jpg = MakeDeliveryCopy(picture.get(), false, 75);
    const std::string none = MakeDeliveryCopy(nullptr, true, 75);
    unsetenv("TMPDIR");
    ASSERT_FALSE(png.empty());
    ASSERT_FALSE(jpg.empty());
    EXPECT_EQ(none, "");
    EXPECT_EQ(std::filesystem::path(png).parent_path(), dir.path());
    EXPECT_EQ(std::filesystem::path(png).filename().string().substr(0, 3), "~kt");
    EXPECT_EQ(PathExtension(png), ".png");
    EXPECT_EQ(PathExtension(jpg), ".jpg");
    EXPECT_TRUE(ParsePng(ReadFileBytes(png)).valid);
    EXPECT_EQ(ReadFileBytes(jpg).substr(0, 2), "\xFF\xD8");
    // Nothing else is left in the folder: no empty placeholder beside the copies.
    size_t files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path()))
        ++files;
    EXPECT_EQ(files, 2u);
}

} // namespace
