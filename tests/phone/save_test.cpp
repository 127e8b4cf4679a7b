#include "phone/save.h"
#include "phone/scratch_file.h"
#include "phone/size_check.h"
#include "phone/temp_file_cleanup.h"

#include "common/png_info.h"
#include "common/test_pictures.h"
#include "common/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

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

// Sets or clears the immutable flag of a folder, under which not even the superuser may
// create a file in it (writing an existing file stays possible); false where it cannot.
bool SetImmutable(const std::filesystem::path& folder, bool on) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    int flags = 0;
    bool done = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
    done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    if (fd >= 0)
        ::close(fd);
    return done;
}

// Saving over an existing file: replaced whole, keeping what makes it that file (its other
// names, its owner) and refusing one that is read-only; a folder we may not write in still
// lets us write the file itself.
TEST(WriteImageByExtension, ExistingFilesKeepWhatTheyAre) {
    DibPtr picture = GradientPicture(30, 20);
    const std::string old = "old bytes";
    struct Case {
        const char* name;
        SaveStatus status;
    };
    for (const Case& c :
         {Case{"read-only", SaveStatus::ReadOnly}, Case{"linked", SaveStatus::Written},
          Case{"another owner", SaveStatus::Written},
          Case{"folder not writable", SaveStatus::Written}, Case{"pipe", SaveStatus::NotAFile}}) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string name = c.name;
        const std::string path = dir.file("out.png");
        if (name == "pipe") {
            ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
        } else {
            testsupport::WriteFileBytes(path, old);
            ::chmod(path.c_str(), name == "read-only" ? 0444 : 0640);
        }
        if (name == "linked")
            std::filesystem::create_hard_link(path, dir.file("other-name.png"));
        if (name == "another owner" && ::chown(path.c_str(), 65534, 65534) != 0)
            GTEST_SKIP() << "cannot give a file to another user here";
        if (name == "folder not writable" && !SetImmutable(dir.path(), true))
            GTEST_SKIP() << "cannot make a folder unwritable here";
        struct stat before {};
        ::stat(path.c_str(), &before);

        const SaveStatus status = WriteImageByExtension(picture.get(), path, 75);
        if (name == "folder not writable")
            SetImmutable(dir.path(), false);
        EXPECT_EQ(status, c.status);
        if (name == "pipe")
            continue;
        struct stat after {};
        ::stat(path.c_str(), &after);
        EXPECT_EQ(after.st_uid, before.st_uid);
        EXPECT_EQ(after.st_mode, before.st_mode);
        const std::string bytes = ReadFileBytes(path);
        EXPECT_EQ(bytes == old, status != SaveStatus::Written);
        if (status == SaveStatus::Written) {
            EXPECT_TRUE(ParsePng(bytes).valid);
        }
        if (name == "linked") {
            EXPECT_EQ(ReadFileBytes(dir.file("other-name.png")), bytes);
        }
        // Nothing half-made is left beside the file.
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                                std::filesystem::directory_iterator()),
                  name == "linked" ? 2 : 1);
    }
}

// A program told to stop takes its "~kt" files with it: the pipeline's scratch file and a
// delivery copy, made in a child that then waits to be stopped.
TEST(TempFiles, GoWhenTheProgramIsToldToStop) {
    for (const int signal : {SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        TempDir dir;
        setenv("TMPDIR", dir.path().c_str(), 1);
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            RemoveTempFilesOnSignals();
            ScratchFile scratch("~kt");
            DibPtr picture = GradientPicture(8, 8);
            const bool made =
                !scratch.path().empty() && !MakeDeliveryCopy(picture.get(), true, 75).empty();
            (void)!::write(ready[1], made ? "y" : "n", 1);
            ::pause();
            _exit(0);
        }
        unsetenv("TMPDIR");
        char made = 0;
        ASSERT_EQ(::read(ready[0], &made, 1), 1);
        ::close(ready[0]);
        ::close(ready[1]);
        EXPECT_EQ(made, 'y');
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                                std::filesystem::directory_iterator()),
                  2);
        ::kill(child, signal);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal);
        EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    }
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
