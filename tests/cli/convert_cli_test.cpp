// mokoa-convert run as a user runs it, compared with the same work done directly through
// the pipeline model.
#include "common/png_info.h"
#include "common/test_pictures.h"
#include "common/test_support.h"
#include "image/encoders.h"
#include "image/loaders.h"
#include "image/pixel_ops.h"
#include "image/transform.h"
#include "phone/fit_to_limit.h"
#include "phone/output_pipeline.h"
#include "phone/selection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <vector>

#include <sys/wait.h>

using testsupport::ParsePng;
using testsupport::ReadFileBytes;
using testsupport::TempDir;

namespace {

const char kPhoto[] = "photos/kite-2560x1600.jpg";

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

class ConvertCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        tool_ = testsupport::ProgramPath("mokoa-convert");
        if (tool_.empty())
            GTEST_SKIP() << "mokoa-convert not found beside the tests (or in MOKOA_BIN_DIR)";
        setenv("TMPDIR", dir_.path().c_str(), 1);
    }
    void TearDown() override { unsetenv("TMPDIR"); }

    // Runs the tool in the test's folder, through `launcher` when given.
    ToolRun Convert(const std::vector<std::string>& args, const std::string& launcher = "") {
        std::string command =
            "cd " + Quote(dir_.path().string()) + " && " + launcher + " " + Quote(tool_.string());
        for (const std::string& a : args)
            command += " " + Quote(a);
        command += " >" + Quote(dir_.file(".out")) + " 2>" + Quote(dir_.file(".err"));
        const int raw = std::system(command.c_str());
        ToolRun run;
        run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        run.out = ReadFileBytes(dir_.file(".out"));
        run.err = ReadFileBytes(dir_.file(".err"));
        std::filesystem::remove(dir_.file(".out"));
        std::filesystem::remove(dir_.file(".err"));
        return run;
    }

    // What the desktop program gives for the same picture, selection, profile and format.
    // The base image as the converter makes it from the JPEG file `path` holding `picture`:
    // area means and Lanczos start from the file decoded smaller when the shrink is big.
    static DibPtr ModelBase(const std::string& path, const PackedDib* picture, const ImageRect& cut,
                            int width, int height, bool lock, Resampling how) {
        const int reduction =
            how == Resampling::Classic
                ? 1
                : ReductionForShrink(
                      cut, OutputSizeForSelection(cut.Width(), cut.Height(), width, height, lock));
        if (reduction == 1)
            return MakeBaseImage(picture, cut, width, height, lock, how);
        const DibPtr reduced = ReadJpegReduced(path, reduction);
        return MakeBaseImageReduced(reduced.get(), reduction, cut, width, height, lock, how);
    }

    std::string DirectBytes(const PackedDib* picture, const PhoneSettings& settings,
                            const ImageRect* selection, bool lock, const std::string& name,
                            Resampling how = Resampling::Classic, const std::string& input = {}) {
        OutputPipeline pipeline(settings);
        const ImageRect whole{0, 0, picture->width, picture->height};
        const ImageRect cut =
            selection ? *selection
                      : FitAspectRect(whole, pipeline.TargetWidth(), pipeline.TargetHeight());
        pipeline.SetBaseImage(ModelBase(input, picture, cut, pipeline.TargetWidth(),
                                        pipeline.TargetHeight(), lock, how),
                              false);
        const std::string path = dir_.file(name);
        EXPECT_EQ(pipeline.WriteImageByExtension(path), SaveStatus::Written);
        return ReadFileBytes(path);
    }

    std::filesystem::path tool_;
    TempDir dir_;
};

TEST_F(ConvertCliTest, SameBytesAsTheModel) {
    MOKOA_REQUIRE_TESTDATA(photoPath, kPhoto);
    DibPtr photo(LoadImageFile(photoPath.string()));
    ASSERT_TRUE(photo);
    const std::string input = photoPath.string();

    // Default profile and format: custom 80 x 80, PNG 12 colours, centred fit.
    ToolRun run = Convert({input});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.substr(0, run.out.find('\n')), "kite-2560x1600.png");
    EXPECT_EQ(ReadFileBytes(dir_.file("kite-2560x1600.png")),
              DirectBytes(photo.get(), PhoneSettings{}, nullptr, true, "direct-default.png"));

    for (int format : {0, 5, 9, 10, 11, 14}) {
        SCOPED_TRACE("format " + std::to_string(format));
        const std::string ext = format >= 11 ? ".jpg" : ".png";
        run = Convert(
            {"--profile", "22", "--format", std::to_string(format), "-o", "cli" + ext, input});
        ASSERT_NE(run.status, 1) << run.err;
        ASSERT_NE(run.status, 2) << run.err;
        EXPECT_EQ(ReadFileBytes(dir_.file("cli" + ext)),
                  DirectBytes(photo.get(), PhoneSettings{80, 80, 22, format}, nullptr, true,
                              "direct" + ext));
    }

    // Auto resamples by area means for a high-quality format; a choice holds for any.
    for (const auto& [args, format, how] :
         {std::tuple{std::vector<std::string>{}, 18, Resampling::Area},
          {std::vector<std::string>{"--resample", "lanczos"}, 5, Resampling::Lanczos},
          {std::vector<std::string>{"--resample", "classic"}, 18, Resampling::Classic}}) {
        SCOPED_TRACE("format " + std::to_string(format));
        std::vector<std::string> line = args;
        line.insert(line.end(), {"--profile", "22", "--format", std::to_string(format), "-o",
                                 "resampled.png", input});
        run = Convert(line);
        ASSERT_NE(run.status, 1) << run.err;
        EXPECT_EQ(ReadFileBytes(dir_.file("resampled.png")),
                  DirectBytes(photo.get(), PhoneSettings{80, 80, 22, format}, nullptr, true,
                              "direct-resampled.png", how, input));
    }

    // A given selection without the aspect lock, by name and format text.
    const ImageRect selection{100, 200, 1100, 700};
    run = Convert({"--profile", "J-SH04(壁紙)", "--format", "PNG 最適化 32色", "--select",
                   "100,200,1100,700", "--no-lock", "-o", "sel.png", input});
    ASSERT_NE(run.status, 1) << run.err;
    EXPECT_EQ(ReadFileBytes(dir_.file("sel.png")),
              DirectBytes(photo.get(), PhoneSettings{80, 80, 16, 5}, &selection, false,
                          "direct-sel.png"));
    const auto info = ParsePng(ReadFileBytes(dir_.file("sel.png")));
    EXPECT_EQ(info.width, 96u);
    EXPECT_EQ(info.height, 48u);
}

TEST_F(ConvertCliTest, AdjustmentsApplyInOrderBeforeTheSelection) {
    // A small picture keeps this quick: rotate, flip, tone and offsets on a gradient.
    DibPtr source = testsupport::GradientPicture(90, 60);
    ASSERT_EQ(WritePngFile(source.get(), dir_.file("src.png")), 1);
    ToolRun run = Convert({"--rotate", "90", "--mirror", "--angle", "10", "--brightness", "20",
                           "--contrast", "-30", "--ycrcb", "5,-10,15", "--whole", "--format", "10",
                           "--size", "40x50", "-o", "adj.png", "src.png"});
    ASSERT_NE(run.status, 1) << run.err;

    DibPtr p(RotateImage(90, source.get()));
    p = RotateImage(450, p.get());
    p = RotateImage(10, p.get());
    p = ApplyPixelOperation(p.get(), nullptr, BrightnessContrastOp,
                            BrightnessContrastParam(20, -30));
    const ComponentOffsets offsets{5, -10, 15};
    p = ApplyPixelOperation(p.get(), nullptr, YCrCbOffsetOp, OffsetsParam(offsets));
    const ImageRect whole{0, 0, p->width, p->height};
    EXPECT_EQ(ReadFileBytes(dir_.file("adj.png")),
              DirectBytes(p.get(), PhoneSettings{40, 50, 0, 10}, &whole, true, "direct.png"));

    run =
        Convert({"--rotate", "90", "--mirror", "--angle", "10", "--brightness", "20", "--contrast",
                 "-30", "--ycrcb", "5,-10,15", "--export-source", "full.png", "src.png"});
    ASSERT_EQ(run.status, 0) << run.err;
    DibPtr exported(ReadPngFile(dir_.file("full.png")));
    ASSERT_TRUE(exported);
    ASSERT_EQ(exported->width, p->width);
    ASSERT_EQ(exported->height, p->height);
    EXPECT_EQ(0, std::memcmp(DibBits(exported.get()), DibBits(p.get()), DibPixelBytes(p.get())));
}

TEST_F(ConvertCliTest, ExitStatusAndMessages) {
    DibPtr small = testsupport::GradientPicture(64, 48);
    ASSERT_EQ(WritePngFile(small.get(), dir_.file("small.png")), 1);
    testsupport::WriteFileBytes(dir_.file("broken.png"), "not a picture");
    const std::string original = ReadFileBytes(dir_.file("small.png"));

    ToolRun run = Convert({"--format", "2", "-o", "ok.png", "small.png"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("ok.png\n  PNG "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("バイト OK !"), std::string::npos);

    // Noise in full colour at 180 x 180 is far beyond 7 KB.
    DibPtr noise(DibCreate(24, 64, 64));
    uint32_t seed = 1;
    for (size_t i = 0; i < DibPixelBytes(noise.get()); ++i) {
        seed = seed * 1103515245u + 12345u;
        DibBits(noise.get())[i] = uint8_t(seed >> 24);
    }
    ASSERT_EQ(WritePngFile(noise.get(), dir_.file("noise.png")), 1);
    run = Convert({"--size", "180x180", "--format", "PNG FullColor", "-o", "big.png", "noise.png"});
    EXPECT_EQ(run.status, 3) << run.err;
    EXPECT_NE(run.out.find("J-Sky : NG !!\n  eZweb : NG !!"), std::string::npos) << run.out;

    // A bad input is named and skipped; the others are still written.
    run = Convert({"-o", "batch", "broken.png", "missing.jpg", "small.png"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("broken.png: "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("missing.jpg: "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("[3/3] small.png"), std::string::npos) << run.err;
    EXPECT_TRUE(std::filesystem::exists(dir_.file("batch/small.png")));
    EXPECT_FALSE(std::filesystem::exists(dir_.file("batch/broken.png")));

    // The default name would replace the input itself.
    run = Convert({"small.png"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("would replace the input"), std::string::npos) << run.err;
    EXPECT_EQ(ReadFileBytes(dir_.file("small.png")), original);

    // A selection beyond the picture fails that input.
    run = Convert({"--select", "0,0,65,48", "-o", "x.png", "small.png"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("outside the 64x48 picture"), std::string::npos) << run.err;
}

// The fit prints its choice and writes exactly the file the model fits; a named file
// decides the kind.
TEST_F(ConvertCliTest, FitToTheCarriersLimits) {
    MOKOA_REQUIRE_TESTDATA(photoPath, kPhoto);
    std::filesystem::create_directory(dir_.file("out"));
    ToolRun run = Convert({"--profile", "22", "--fit", "jsky", "-o", "out", photoPath.string()});
    ASSERT_EQ(run.status, 0) << run.err;
    DibPtr photo(LoadImageFile(photoPath.string()));
    OutputPipeline model(PhoneSettings{80, 80, 22, 3});
    const ImageRect whole{0, 0, photo->width, photo->height};
    // A fit resamples by area means unless told otherwise.
    model.SetBaseImage(ModelBase(photoPath.string(), photo.get(), FitAspectRect(whole, 120, 160),
                                 120, 160, true, Resampling::Area),
                       false);
    const FitResult fit = FitToLimit(model.BaseImage(), Carrier::JSky);
    ASSERT_TRUE(fit.fits);
    const std::string written =
        std::string("out/kite-2560x1600") + (fit.format.IsPng() ? ".png" : ".jpg");
    EXPECT_EQ(std::filesystem::file_size(dir_.file(written)), uintmax_t(fit.size));
    EXPECT_NE(run.out.find(written + "\n  " + FitSummary(fit, Carrier::JSky) + "\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("PSNR"), std::string::npos);

    run = Convert({"--profile", "22", "--fit", "jsky", "-o", "only.png", photoPath.string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_LE(std::filesystem::file_size(dir_.file("only.png")), 6000u);
    EXPECT_EQ(ParsePng(ReadFileBytes(dir_.file("only.png"))).colorType, 3);

    run = Convert({"--profile", "22", "--fit", "ezweb", "-o", "ez.png", photoPath.string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_LE(std::filesystem::file_size(dir_.file("ez.png")), 7000u);
    EXPECT_NE(run.out.find("EZweb 7000 バイト以内: PNG 高画質 "), std::string::npos) << run.out;
}

// Several inputs at once print, write and fail exactly as one after the other: a slow input
// first, failures and clashing names among quick ones.
TEST_F(ConvertCliTest, BatchesGiveWhatOneInputAfterTheOtherGives) {
    if (std::system("taskset -c 0 true >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "taskset cannot hold the tool to one processor here";
    for (const char* folder : {"a", "b", "c"})
        std::filesystem::create_directory(dir_.file(folder));
    DibPtr big = testsupport::GradientPicture(1800, 1400);
    ASSERT_EQ(WritePngFile(big.get(), dir_.file("big.png")), 1);
    std::vector<std::string> inputs{"big.png"};
    for (int i = 0; i < 6; ++i) {
        DibPtr small = testsupport::GradientPicture(60 + 7 * i, 50 + 3 * i);
        const std::string name = "small" + std::to_string(i) + ".png";
        ASSERT_EQ(WritePngFile(small.get(), dir_.file(name)), 1);
        inputs.push_back(name);
        if (i == 2) // the first of the same name fails, the second takes it, the third clashes
            inputs.insert(inputs.end(), {"a/dup.png", "b/dup.png", "c/dup.png", "missing.jpg"});
    }
    testsupport::WriteFileBytes(dir_.file("a/dup.png"), "broken");
    std::filesystem::copy_file(dir_.file("small1.png"), dir_.file("b/dup.png"));
    std::filesystem::copy_file(dir_.file("small2.png"), dir_.file("c/dup.png"));

    std::vector<std::string> args{"--size", "100x80", "--format", "4", "-o", "out"};
    args.insert(args.end(), inputs.begin(), inputs.end());
    const ToolRun one = Convert(args, "taskset -c 0");
    std::filesystem::rename(dir_.file("out"), dir_.file("one"));
    const ToolRun all = Convert(args);
    EXPECT_EQ(all.status, 1);
    EXPECT_EQ(all.status, one.status);
    EXPECT_EQ(all.out, one.out);
    EXPECT_EQ(all.err, one.err);
    EXPECT_NE(all.err.find("c/dup.png: the output 'out/dup.png' would replace an earlier output"),
              std::string::npos)
        << all.err;
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.file("out"))) {
        ++files;
        EXPECT_EQ(ReadFileBytes(entry.path()),
                  ReadFileBytes(dir_.file("one/" + entry.path().filename().string())))
            << entry.path();
    }
    EXPECT_EQ(files, 8u);
}

TEST_F(ConvertCliTest, UsageErrors) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"--bogus", "a.png"},
        {"--size", "19x80", "a.png"},
        {"--size", "80", "a.png"},
        {"--profile", "152", "a.png"},
        {"--profile", "No such phone", "a.png"},
        {"--format", "22", "a.png"},
        {"--fit", "docomo", "a.png"},
        {"--fit", "jsky", "--format", "3", "a.png"},
        {"--fit", "ezweb", "-o", "out.jpg", "a.png"},
        {"--resample", "bicubic", "a.png"},
        {"--rotate", "45", "a.png"},
        {"--angle", "360", "a.png"},
        {"--contrast", "101", "a.png"},
        {"--rgb", "1,2", "a.png"},
        {"--rgb", "1,2,3", "--ycrcb", "1,2,3", "a.png"},
        {"--select", "10,10,5,20", "a.png"},
        {"--select", "0,0,5,5", "--whole", "a.png"},
        {"-o", "out.bmp", "a.png"},
        {"-o", "out.png", "a.png", "b.png"},
        {"--export-source", "out.jpg", "a.png"},
        {"--profile"},
    };
    for (const auto& args : bad) {
        std::string joined;
        for (const auto& a : args)
            joined += a + " ";
        const ToolRun run = Convert(args);
        EXPECT_EQ(run.status, 2) << joined << "\n" << run.err;
        EXPECT_NE(run.err.find("mokoa-convert: "), std::string::npos) << joined;
    }
    const ToolRun help = Convert({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* word :
         {"--profile",       "--size",          "--format",       "--select", "--whole",
          "--no-lock",       "--rotate",        "--upside-down",  "--mirror", "--angle",
          "--brightness",    "--contrast",      "--rgb",          "--ycrcb",  "-o",
          "--export-source", "--list-profiles", "--list-formats", "--info",   "--fit",
          "--version",       "--resample"})
        EXPECT_NE(help.out.find(word), std::string::npos) << word;
}

TEST_F(ConvertCliTest, Lists) {
    ToolRun run = Convert({"--list-profiles", "--size", "100x60"});
    ASSERT_EQ(run.status, 0);
    std::istringstream lines(run.out);
    std::vector<std::string> rows;
    for (std::string line; std::getline(lines, line);)
        rows.push_back(line);
    ASSERT_EQ(rows.size(), 152u);
    EXPECT_EQ(rows[0], "  0  100x60   カスタムサイズ 100x60");
    EXPECT_EQ(rows[16], " 16   96x130  J-SH04(壁紙)");
    EXPECT_EQ(rows[151], "151  120x117  TD11");

    run = Convert({"--list-formats"});
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 22);
    EXPECT_NE(run.out.find(" 3  PNG  12 colours   PNG 最適化 12色\n"), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("11  JPEG quality 50   JPEG 60%\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("15  PNG   8 colours   PNG 高画質 8色\n"), std::string::npos) << run.out;
}

} // namespace
