#include "phone/output_pipeline.h"

#include "common/png_info.h"
#include "common/test_pictures.h"
#include "common/test_support.h"
#include "image/encoders.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <set>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

using testsupport::GradientPicture;
using testsupport::IndexAt;
using testsupport::ParsePng;
using testsupport::PixelAt;
using testsupport::ReadFileBytes;
using testsupport::Rgb;
using testsupport::SetPixel;
using testsupport::TempDir;

namespace {

// Every pipeline test keeps its temporary files in a folder of its own.
class OutputPipelineTest : public ::testing::Test {
protected:
    void SetUp() override { setenv("TMPDIR", dir_.path().c_str(), 1); }
    void TearDown() override { unsetenv("TMPDIR"); }

    static DibPtr Base(uint8_t marker) {
        DibPtr dib = GradientPicture(40, 30);
        SetPixel(dib.get(), 0, 0, {marker, marker, marker});
        return dib;
    }
    static uint8_t Marker(const PackedDib* dib) { return PixelAt(dib, 0, 0)[0]; }

    TempDir dir_;
};

TEST_F(OutputPipelineTest, TemporaryFileLivesWithTheModel) {
    std::string path;
    {
        OutputPipeline pipeline;
        path = pipeline.TempOutputPath();
        ASSERT_FALSE(path.empty());
        EXPECT_EQ(std::filesystem::path(path).parent_path(), dir_.path());
        EXPECT_EQ(std::filesystem::path(path).filename().string().substr(0, 3), "~kt");
        EXPECT_TRUE(std::filesystem::exists(path));
        pipeline.SetBaseImage(Base(1), false);
        EXPECT_TRUE(std::filesystem::exists(path));
    }
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_TRUE(std::filesystem::is_empty(dir_.path()));
}

TEST_F(OutputPipelineTest, SettingsRoundTripAndFallBack) {
    OutputPipeline pipeline(PhoneSettings{100, 60, 22, 12});
    EXPECT_EQ(pipeline.TargetWidth(), 120);
    EXPECT_EQ(pipeline.TargetHeight(), 160);
    EXPECT_EQ(pipeline.JpegQuality(), 65);
    EXPECT_FALSE(pipeline.IsPng());
    EXPECT_EQ(pipeline.Settings(), (PhoneSettings{100, 60, 22, 12}));

    OutputPipeline fallback(PhoneSettings{80, 80, 400, 22});
    EXPECT_EQ(fallback.Settings(), PhoneSettings{});
    EXPECT_EQ(fallback.ColorCount(), 12);
}

TEST_F(OutputPipelineTest, PaletteFormatsReadBackAtFourOrEightBits) {
    OutputPipeline pipeline(PhoneSettings{80, 80, 0, 2}); // PNG 8 colours
    pipeline.SetBaseImage(GradientPicture(40, 30), false);
    const PackedDib* out = pipeline.OutputImage();
    ASSERT_TRUE(out);
    EXPECT_EQ(out->bitCount, 4);
    std::set<unsigned> used;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            used.insert(IndexAt(out, x, y));
    EXPECT_LE(used.size(), 8u);
    EXPECT_EQ(ParsePng(ReadFileBytes(pipeline.TempOutputPath())).paletteEntries, 8);

    ASSERT_TRUE(pipeline.SelectFormat(5)); // PNG 32 colours
    ASSERT_TRUE(pipeline.OutputImage());
    EXPECT_EQ(pipeline.OutputImage()->bitCount, 8);

    ASSERT_TRUE(pipeline.SelectFormat(1)); // greyscale 256
    const PackedDib* grey = pipeline.OutputImage();
    ASSERT_TRUE(grey);
    EXPECT_EQ(grey->bitCount, 8);
    const Rgb c = testsupport::TableColor(grey, IndexAt(grey, 17, 11));
    EXPECT_EQ(c[0], c[1]);
    EXPECT_EQ(c[1], c[2]);

    ASSERT_TRUE(pipeline.SelectFormat(10)); // full colour
    EXPECT_EQ(pipeline.OutputImage()->bitCount, 24);
    EXPECT_EQ(PixelAt(pipeline.OutputImage(), 7, 3), PixelAt(pipeline.BaseImage(), 7, 3));
}

TEST_F(OutputPipelineTest, JpegSixtyPercentEncodesAtFifty) {
    OutputPipeline pipeline(PhoneSettings{80, 80, 0, 11});
    DibPtr base = GradientPicture(40, 30);
    ASSERT_EQ(WriteJpegFile(base.get(), dir_.file("q50.jpg"), 50), 1);
    pipeline.SetBaseImage(std::move(base), false);
    EXPECT_EQ(pipeline.JpegQuality(), 50);
    EXPECT_EQ(ReadFileBytes(pipeline.TempOutputPath()), ReadFileBytes(dir_.file("q50.jpg")));
    ASSERT_TRUE(pipeline.OutputImage());
    EXPECT_EQ(pipeline.OutputImage()->bitCount, 24);
}

TEST_F(OutputPipelineTest, UndoStepsBackThroughCommits) {
    OutputPipeline pipeline;
    EXPECT_FALSE(pipeline.UndoAvailable());
    pipeline.SetBaseImage(Base(10), false);
    for (uint8_t m = 11; m <= 13; ++m)
        pipeline.SetBaseImage(Base(m), true);
    EXPECT_EQ(Marker(pipeline.BaseImage()), 13);
    for (uint8_t m = 12; m >= 10; --m) {
        ASSERT_TRUE(pipeline.UndoBaseImage());
        EXPECT_EQ(Marker(pipeline.BaseImage()), m);
        EXPECT_EQ(Marker(pipeline.WorkingCopy()), m);
    }
    EXPECT_FALSE(pipeline.UndoAvailable());
    EXPECT_FALSE(pipeline.UndoBaseImage());
    EXPECT_EQ(Marker(pipeline.BaseImage()), 10);
}

TEST_F(OutputPipelineTest, HistoryKeepsTheLastThirtyOneSteps) {
    OutputPipeline pipeline(PhoneSettings{80, 80, 0, 10}); // full colour keeps the marker
    pipeline.SetBaseImage(Base(0), false);
    for (int m = 1; m <= 40; ++m)
        pipeline.SetBaseImage(Base(uint8_t(m)), true);
    int undone = 0;
    while (pipeline.UndoBaseImage())
        ++undone;
    EXPECT_EQ(undone, 31);
    EXPECT_EQ(Marker(pipeline.BaseImage()), 9);
}

TEST_F(OutputPipelineTest, DotEditsSurviveAFormatChangeButNotANewBase) {
    OutputPipeline pipeline(PhoneSettings{80, 80, 0, 10});
    pipeline.SetBaseImage(Base(1), false);
    SetPixel(pipeline.WorkingCopy(), 0, 0, {99, 99, 99});
    pipeline.CommitWorkingCopy();
    EXPECT_EQ(Marker(pipeline.BaseImage()), 99);
    EXPECT_EQ(Marker(pipeline.OutputImage()), 99);
    EXPECT_TRUE(pipeline.UndoAvailable());

    ASSERT_TRUE(pipeline.SelectFormat(14));
    EXPECT_EQ(Marker(pipeline.BaseImage()), 99);
    EXPECT_TRUE(pipeline.UndoAvailable());

    pipeline.SetBaseImage(Base(2), false); // what a profile change or a new selection does
    EXPECT_EQ(Marker(pipeline.BaseImage()), 2);
    EXPECT_FALSE(pipeline.UndoAvailable());
}

TEST_F(OutputPipelineTest, WithoutAnImageNothingIsShownOrWritten) {
    OutputPipeline pipeline;
    int runs = 0;
    pipeline.SetOutputChangedHandler([&] { ++runs; });
    pipeline.RunConversion();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(pipeline.OutputImage(), nullptr);
    EXPECT_EQ(pipeline.WriteTempOutput(), 0u);
    EXPECT_FALSE(pipeline.CheckSize().written);
    EXPECT_EQ(pipeline.MakeDeliveryCopy(), "");
    EXPECT_EQ(pipeline.WriteImageByExtension(dir_.file("x.png")), SaveStatus::NoImage);
}

TEST_F(OutputPipelineTest, FailedTemporaryWriteShowsNoStalePicture) {
    OutputPipeline pipeline(PhoneSettings{80, 80, 0, 10});
    pipeline.SetBaseImage(GradientPicture(20, 20), false);
    ASSERT_TRUE(pipeline.OutputImage());
    // In a child whose files may not be written at all, as on a full disk, the next
    // run must not read back the earlier file.
    const pid_t pid = fork();
    if (pid == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{0, 0};
        setrlimit(RLIMIT_FSIZE, &limit);
        pipeline.SetBaseImage(GradientPicture(60, 60), false);
        const bool clean = pipeline.OutputImage() == nullptr && pipeline.WriteTempOutput() == 0 &&
                           !pipeline.CheckSize().written;
        _exit(clean ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// A full temporary folder: the temporary output file moves to the fallback folder (beside the
// outputs) and the conversion goes on; without one the failure tells why. Run in a child
// with a private view of the mounts, a tiny file system over the temporary folder.
TEST_F(OutputPipelineTest, FullTemporaryFolderFallsBack) {
    unsetenv("TMPDIR"); // the other folder lies outside the one that fills up
    TempDir beside;
    setenv("TMPDIR", dir_.path().c_str(), 1);
    const pid_t pid = fork();
    if (pid == 0) {
        const std::string temp = dir_.path().string();
        if (unshare(CLONE_NEWNS) != 0 ||
            mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount("tmpfs", temp.c_str(), "tmpfs", 0, "size=16k") != 0)
            _exit(77);
        const int fill = ::open((temp + "/fill").c_str(), O_WRONLY | O_CREAT, 0600);
        const std::string block(1 << 16, 'x');
        while (::write(fill, block.data(), block.size()) > 0) {
        }
        ::close(fill);
        int result = 0;
        {
            OutputPipeline pipeline(PhoneSettings{80, 80, 0, 10});
            pipeline.SetBaseImage(GradientPicture(60, 60), false);
            if (pipeline.OutputImage() || pipeline.TempOutputError() != ENOSPC)
                result = 1;
            pipeline.SetFallbackFolder(beside.path().string());
            pipeline.SetBaseImage(GradientPicture(60, 60), false);
            if (!pipeline.OutputImage() ||
                std::filesystem::path(pipeline.TempOutputPath()).parent_path() != beside.path())
                result = 2;
        }
        _exit(result);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77)
        GTEST_SKIP() << "no private mounts here";
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(std::filesystem::is_empty(beside.path()));
}

TEST_F(OutputPipelineTest, SizeCheckMeasuresTheSavedBytes) {
    OutputPipeline pipeline(PhoneSettings{80, 80, 0, 5}); // PNG 32 colours
    pipeline.SetBaseImage(GradientPicture(60, 50), false);
    const uint32_t pipelineFile = uint32_t(std::filesystem::file_size(pipeline.TempOutputPath()));
    const SizeCheckResult check = pipeline.CheckSize();
    ASSERT_TRUE(check.written);
    // The read-back image carries a 256-entry table, so the measured file is larger.
    EXPECT_GT(check.size, int64_t(pipelineFile));
    EXPECT_EQ(ParsePng(ReadFileBytes(pipeline.TempOutputPath())).paletteEntries, 256);
    ASSERT_EQ(pipeline.WriteImageByExtension(dir_.file("saved.png")), SaveStatus::Written);
    EXPECT_EQ(int64_t(std::filesystem::file_size(dir_.file("saved.png"))), check.size);
}

} // namespace
