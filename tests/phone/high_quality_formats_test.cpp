// The high-quality formats through the pipeline, save and fit: the classic formats' bytes
// pinned, the files of exactly the colours used, and fits that stay within their limits
// with the very bytes a save writes.
#include "phone/fit_to_limit.h"
#include "phone/output_pipeline.h"
#include "phone/selection.h"

#include "common/photo_like_picture.h"
#include "common/png_info.h"
#include "common/test_pictures.h"
#include "common/test_support.h"
#include "image/loaders.h"
#include "image/psnr.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <set>
#include <thread>

using testsupport::ParsePng;
using testsupport::PhotoLikePicture;
using testsupport::ReadFileBytes;
using testsupport::TempDir;

namespace {

uint64_t Fnv1a(const std::string& bytes) {
    uint64_t h = 1469598103934665603ull;
    for (unsigned char c : bytes) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

// The colour count a fitted PNG's label states, -1 for none.
int LabelColors(const std::string& label) {
    const std::string prefix = "PNG 高画質 ";
    const size_t at = label.find(prefix);
    return at == std::string::npos ? -1 : std::atoi(label.c_str() + at + prefix.size());
}

bool HavePngcheck() {
    return std::system("command -v pngcheck >/dev/null 2>&1") == 0;
}

DibPtr PhotoBase(const std::filesystem::path& photoPath, int width, int height) {
    const DibPtr photo(LoadImageFile(photoPath.string()));
    if (!photo)
        return nullptr;
    const ImageRect cut = FitAspectRect({0, 0, photo->width, photo->height}, width, height);
    return MakeBaseImage(photo.get(), cut, width, height, true);
}

class HighQualityTest : public ::testing::Test {
protected:
    void SetUp() override { setenv("TMPDIR", dir_.path().c_str(), 1); }
    void TearDown() override { unsetenv("TMPDIR"); }

    std::string Saved(OutputPipeline& pipeline) {
        const std::string path = dir_.file(pipeline.IsPng() ? "saved.png" : "saved.jpg");
        EXPECT_EQ(pipeline.WriteImageByExtension(path), SaveStatus::Written);
        return ReadFileBytes(path);
    }

    TempDir dir_;
};

// Temporary file and saved file of every classic format for one picture, as the program
// wrote them before the high-quality formats came: size and FNV-1a hash.
TEST_F(HighQualityTest, ClassicFormatsKeepTheirBytes) {
    struct Pin {
        size_t tempSize;
        uint64_t tempHash;
        size_t savedSize;
        uint64_t savedHash;
    };
    const Pin pins[kClassicFormatCount] = {
        {4879, 0xe78e92793ee07375ull, 4879, 0xe78e92793ee07375ull},
        {18538, 0x711825528196c75eull, 18622, 0x16c95add02469936ull},
        {3856, 0x1a9cb87939328593ull, 3880, 0x38ca8a75fb11a2e2ull},
        {4599, 0x6cfb376631c691c3ull, 4611, 0x277496f6daf12453ull},
        {4908, 0x09654ef89468621dull, 4908, 0x09654ef89468621dull},
        {6001, 0x80a434e4f9817168ull, 6673, 0xdb72f0641a99cb17ull},
        {7724, 0x80f41e6887eaf559ull, 8300, 0x262a1671fe56c659ull},
        {9520, 0x7d72feafddfe9935ull, 9904, 0x16e4b5d1e8be9473ull},
        {12286, 0x27fd180069922feaull, 12286, 0x27fd180069922feaull},
        {9952, 0x393efad29c65d70bull, 9952, 0x393efad29c65d70bull},
        {24435, 0xde75b626f3eb8d14ull, 24435, 0xde75b626f3eb8d14ull},
        {1891, 0x6b8026928249394bull, 1889, 0x28e43294419502f9ull},
        {2443, 0x500f531d9577283dull, 2441, 0x56c4cbec73489acbull},
        {2979, 0x3a25dc8086c3b77full, 2967, 0xa09db132177b38e1ull},
        {5882, 0x53688f1a5698ed09ull, 5845, 0xb907ff36def7d03aull},
    };
    OutputPipeline pipeline(PhoneSettings{80, 80, 22, 0});
    pipeline.SetBaseImage(PhotoLikePicture(120, 160), false);
    for (int format = 0; format < kClassicFormatCount; ++format) {
        SCOPED_TRACE("format " + std::to_string(format));
        ASSERT_TRUE(pipeline.SelectFormat(format));
        const std::string temp = ReadFileBytes(pipeline.TempOutputPath());
        const std::string saved = Saved(pipeline);
        EXPECT_EQ(temp.size(), pins[format].tempSize);
        EXPECT_EQ(Fnv1a(temp), pins[format].tempHash);
        EXPECT_EQ(saved.size(), pins[format].savedSize);
        EXPECT_EQ(Fnv1a(saved), pins[format].savedHash);
    }
}

TEST_F(HighQualityTest, ListedPalettesWriteExactlyTheColoursUsed) {
    MOKOA_REQUIRE_TESTDATA(photoPath, "photos/cups-2560x1600.jpg");
    if (!HavePngcheck())
        GTEST_SKIP() << "pngcheck is needed (scripts/install-deps.sh test)";
    OutputPipeline pipeline(PhoneSettings{80, 80, 22, 0});
    pipeline.SetBaseImage(PhotoBase(photoPath, 120, 160), false);
    for (int format = kClassicFormatCount; format < int(OutputFormats().size()); ++format) {
        SCOPED_TRACE(OutputFormats()[size_t(format)].text);
        ASSERT_TRUE(pipeline.SelectFormat(format));
        const int colors = pipeline.ColorCount();
        const std::string saved = Saved(pipeline);
        // The size check and the pipeline's own file hold the bytes the save writes.
        EXPECT_EQ(ReadFileBytes(pipeline.TempOutputPath()), saved);
        EXPECT_EQ(pipeline.CheckSize().size, int64_t(saved.size()));
        EXPECT_EQ(std::system(("pngcheck -q '" + dir_.file("saved.png") + "' >/dev/null").c_str()),
                  0);
        const auto info = ParsePng(saved);
        const DibPtr back(ReadPngFile(dir_.file("saved.png")));
        ASSERT_TRUE(back);
        DibPtr wide(DibConvertDepth(back.get(), 24));
        std::set<uint32_t> distinct;
        for (int y = 0; y < wide->height; ++y)
            for (int x = 0; x < wide->width; ++x) {
                const uint8_t* p = DibPixelAddress(wide.get(), x, y);
                distinct.insert(uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0]);
            }
        EXPECT_EQ(info.paletteEntries, int(distinct.size()));
        EXPECT_LE(info.paletteEntries, colors);
        EXPECT_GT(info.paletteEntries, colors / 2); // a photo needs its colours
        EXPECT_EQ(info.bitDepth, colors <= 16 ? 4 : 8);
        EXPECT_TRUE(std::isinf(PsnrDb(back.get(), pipeline.OutputImage())));
    }
}

// Two and four colours give 1- and 2-bit files; the picture read back is kept at 8 bits,
// which the JPEG writer and the views take.
TEST_F(HighQualityTest, TinyPalettesReadBackAtEightBits) {
    DibPtr two = testsupport::SolidPicture(30, 20, {0, 0, 0});
    for (int x = 0; x < 15; ++x)
        for (int y = 0; y < 20; ++y)
            testsupport::SetPixel(two.get(), x, y, {255, 255, 255});
    OutputPipeline pipeline(PhoneSettings{30, 20, 0, kClassicFormatCount}); // 8 colours
    pipeline.SetBaseImage(std::move(two), false);
    ASSERT_TRUE(pipeline.OutputImage());
    EXPECT_EQ(pipeline.OutputImage()->bitCount, 8);
    const auto info = ParsePng(ReadFileBytes(pipeline.TempOutputPath()));
    EXPECT_EQ(info.bitDepth, 1);
    EXPECT_EQ(info.paletteEntries, 2);
    EXPECT_EQ(ParsePng(Saved(pipeline)).bitDepth, 1);
    EXPECT_EQ(pipeline.WriteImageByExtension(dir_.file("two.jpg")), SaveStatus::Written);
}

TEST_F(HighQualityTest, FittedFormatIsTheLastEntry) {
    OutputPipeline pipeline(PhoneSettings{80, 80, 16, 13});
    EXPECT_FALSE(pipeline.SelectFormat(pipeline.FittedFormatIndex())); // none yet
    EXPECT_EQ(pipeline.FormatCount(), 22);
    pipeline.SetBaseImage(PhotoLikePicture(96, 130), false);
    const FitResult fit = FitToLimit(pipeline.BaseImage(), Carrier::JSky);
    ASSERT_TRUE(fit.fits);
    EXPECT_FALSE(pipeline.SetFittedFormat(OutputFormats()[3].format, 100)); // a classic format
    ASSERT_TRUE(pipeline.SetFittedFormat(fit.format, fit.size));
    EXPECT_EQ(pipeline.FormatCount(), 23);
    EXPECT_EQ(pipeline.SelectedFormat(), 22);
    EXPECT_EQ(pipeline.Format(), fit.format);
    EXPECT_EQ(pipeline.FormatText(22), FittedFormatText(fit.format, fit.colorsUsed, fit.size));
    EXPECT_EQ(Saved(pipeline).size(), size_t(fit.size));
    const SizeCheckResult check = pipeline.CheckSize();
    EXPECT_EQ(check.size, fit.size);
    EXPECT_NE(check.message.find("OK !"), std::string::npos) << check.message;
    // The list entry the user chose is what is remembered.
    EXPECT_EQ(pipeline.Settings().selectedFormat, 13);

    // Dot edits keep the format; the entry follows the new file's size.
    PackedDib* work = pipeline.WorkingCopy();
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            std::fill_n(DibPixelAddress(work, x, y), 3, uint8_t((x * 37 + y * 11) % 256));
    pipeline.CommitWorkingCopy();
    EXPECT_EQ(pipeline.Format(), fit.format);
    const std::string after = Saved(pipeline);
    EXPECT_EQ(pipeline.FormatText(22),
              FittedFormatText(fit.format, pipeline.IsPng() ? ParsePng(after).paletteEntries : 0,
                               int64_t(after.size())));
    // Any list entry can be chosen again, and the fitted one after it.
    ASSERT_TRUE(pipeline.SelectFormat(4));
    ASSERT_TRUE(pipeline.SelectFormat(22));
    EXPECT_EQ(pipeline.Format(), fit.format);
}

// Both photos at the three checked sizes, both carriers: within the limit, with exactly the
// bytes and the picture a save gives, and the size check content.
TEST_F(HighQualityTest, FitsStayWithinTheLimitAsSaved) {
    MOKOA_REQUIRE_TESTDATA(photos, "photos");
    for (const char* name : {"cups-2560x1600.jpg", "kite-2560x1600.jpg"})
        for (const auto& [w, h] : {std::pair{96, 130}, std::pair{120, 160}, std::pair{180, 180}})
            for (Carrier carrier : {Carrier::JSky, Carrier::EZweb}) {
                const CarrierRule& rule = RuleFor(carrier);
                SCOPED_TRACE(std::string(name) + " " + std::to_string(w) + "x" + std::to_string(h) +
                             " " + rule.name);
                OutputPipeline pipeline(PhoneSettings{w, h, 0, 3});
                pipeline.SetBaseImage(PhotoBase(photos / name, w, h), false);
                const FitResult fit = FitToLimit(pipeline.BaseImage(), carrier);
                ASSERT_TRUE(fit.fits);
                EXPECT_LE(fit.size, rule.limit);
                EXPECT_TRUE(rule.takesJpeg || fit.format.IsPng());
                ASSERT_TRUE(pipeline.SetFittedFormat(fit));
                const std::string saved = Saved(pipeline);
                EXPECT_EQ(saved, std::string(fit.file->begin(), fit.file->end()));
                EXPECT_EQ(int64_t(saved.size()), fit.size);
                const std::string path = dir_.file(pipeline.IsPng() ? "saved.png" : "saved.jpg");
                const DibPtr back(pipeline.IsPng() ? ReadPngFile(path) : ReadJpegFile(path));
                EXPECT_NEAR(PsnrDb(back.get(), pipeline.BaseImage()), fit.psnr, 1e-9);
                if (pipeline.IsPng()) {
                    const int entries = ParsePng(saved).paletteEntries;
                    EXPECT_EQ(entries, fit.colorsUsed);
                    // The labels state the colours the file holds, not the count asked for.
                    EXPECT_EQ(LabelColors(pipeline.FormatText(pipeline.FittedFormatIndex())),
                              entries);
                    EXPECT_EQ(LabelColors(FitSummary(fit, carrier)), entries);
                }
                const std::string delivered = pipeline.MakeDeliveryCopy();
                EXPECT_EQ(ReadFileBytes(delivered), saved);
                std::remove(delivered.c_str());
            }
}

// The fit's own file serves the conversion while the base image is the one it was made
// from; after a dot edit the format is made afresh, and undo brings the file back.
TEST_F(HighQualityTest, FittedFileServesItsOwnBaseOnly) {
    OutputPipeline pipeline(PhoneSettings{80, 80, 22, 3});
    pipeline.SetBaseImage(PhotoLikePicture(120, 160), false);
    const FitResult fit = FitToLimit(pipeline.BaseImage(), Carrier::EZweb);
    ASSERT_TRUE(fit.fits && fit.file);
    const std::string file(fit.file->begin(), fit.file->end());
    ASSERT_TRUE(pipeline.SetFittedFormat(fit));
    EXPECT_EQ(ReadFileBytes(pipeline.TempOutputPath()), file);

    testsupport::SetPixel(pipeline.WorkingCopy(), 5, 5, {255, 0, 255});
    pipeline.CommitWorkingCopy();
    const std::string edited = ReadFileBytes(pipeline.TempOutputPath());
    OutputPipeline fresh(PhoneSettings{80, 80, 22, 3});
    fresh.SetBaseImage(DibDuplicate(pipeline.BaseImage(), nullptr), false);
    ASSERT_TRUE(fresh.SetFittedFormat(fit.format, fit.size));
    EXPECT_EQ(edited, ReadFileBytes(fresh.TempOutputPath()));
    EXPECT_NE(edited, file);

    ASSERT_TRUE(pipeline.UndoBaseImage());
    EXPECT_EQ(ReadFileBytes(pipeline.TempOutputPath()), file);
}

// No classic format whose saved file fits looks better than the fit.
TEST_F(HighQualityTest, FitBeatsEveryClassicFormatThatFits) {
    MOKOA_REQUIRE_TESTDATA(photoPath, "photos/kite-2560x1600.jpg");
    OutputPipeline pipeline(PhoneSettings{80, 80, 22, 0});
    pipeline.SetBaseImage(PhotoBase(photoPath, 120, 160), false);
    for (Carrier carrier : {Carrier::JSky, Carrier::EZweb}) {
        const CarrierRule& rule = RuleFor(carrier);
        const FitResult fit = FitToLimit(pipeline.BaseImage(), carrier);
        ASSERT_TRUE(fit.fits);
        for (int format = 0; format < kClassicFormatCount; ++format) {
            ASSERT_TRUE(pipeline.SelectFormat(format));
            const std::string saved = Saved(pipeline);
            if (int64_t(saved.size()) > rule.limit || (!pipeline.IsPng() && !rule.takesJpeg))
                continue;
            const std::string path = dir_.file(pipeline.IsPng() ? "saved.png" : "saved.jpg");
            const DibPtr back(pipeline.IsPng() ? ReadPngFile(path) : ReadJpegFile(path));
            EXPECT_GT(fit.psnr, PsnrDb(back.get(), pipeline.BaseImage()))
                << rule.name << " format " << format;
        }
    }
}

// Noise beyond any palette's reach: nothing fits, said with the smallest size reached.
TEST(FitToLimit, NothingFitsIsSaidPlainly) {
    DibPtr noise(DibCreate(24, 300, 200));
    uint32_t seed = 777;
    for (size_t i = 0; i < DibPixelBytes(noise.get()); ++i) {
        seed = seed * 1664525u + 1013904223u;
        DibBits(noise.get())[i] = uint8_t(seed >> 24);
    }
    const FitResult ez = FitToLimit(noise.get(), Carrier::EZweb);
    EXPECT_FALSE(ez.fits);
    EXPECT_GT(ez.size, kEZwebLimit);
    EXPECT_EQ(FitSummary(ez, Carrier::EZweb),
              "EZweb の 7000 バイト以内に収まる形式はありません（最小 " + std::to_string(ez.size) +
                  " バイト）");
    const FitResult js = FitToLimit(noise.get(), Carrier::JSky);
    EXPECT_TRUE(!js.fits || js.size <= kJSkyLimit);
    const FitResult none = FitToLimit(nullptr, Carrier::JSky);
    EXPECT_FALSE(none.fits);
    EXPECT_EQ(none.size, 0);
}

// A fit told to stop ends without a result; left alone, it gives the same file every time,
// whatever its two threads did first.
TEST(FitToLimit, StopsWhenToldAndOtherwiseRepeats) {
    const DibPtr photo = PhotoLikePicture(120, 160);
    std::atomic<bool> stop{true};
    const FitResult stopped = FitToLimit(photo.get(), Carrier::JSky, {}, &stop);
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_FALSE(stopped.fits);
    EXPECT_EQ(stopped.filesMade, 0);

    std::atomic<bool> later{false};
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        later = true;
    });
    const FitResult interrupted = FitToLimit(photo.get(), Carrier::JSky, {}, &later);
    stopper.join();
    EXPECT_FALSE(interrupted.cancelled && interrupted.fits);

    const FitResult first = FitToLimit(photo.get(), Carrier::JSky);
    const FitResult again = FitToLimit(photo.get(), Carrier::JSky);
    ASSERT_TRUE(first.fits && again.fits);
    EXPECT_FALSE(first.cancelled);
    EXPECT_EQ(first.format, again.format);
    EXPECT_EQ(first.psnr, again.psnr);
    EXPECT_EQ(*first.file, *again.file);
    EXPECT_EQ(first.baseFingerprint, BaseFingerprint(photo.get()));
}

TEST(FitToLimit, KindsCanBeRestricted) {
    const DibPtr photo = PhotoLikePicture(120, 160);
    const FitResult png = FitToLimit(photo.get(), Carrier::JSky, FitKinds{true, false});
    const FitResult jpeg = FitToLimit(photo.get(), Carrier::JSky, FitKinds{false, true});
    ASSERT_TRUE(png.fits && jpeg.fits);
    EXPECT_TRUE(png.format.IsPng());
    EXPECT_TRUE(jpeg.format.IsJpeg());
    const FitResult both = FitToLimit(photo.get(), Carrier::JSky);
    EXPECT_EQ(both.psnr, std::max(png.psnr, jpeg.psnr));
    EXPECT_FALSE(FitToLimit(photo.get(), Carrier::EZweb, FitKinds{false, true}).fits);
}

} // namespace
