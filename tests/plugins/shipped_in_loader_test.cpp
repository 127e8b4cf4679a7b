// The loader and the command-line tool with the shipped plug-ins beside them.
#include "gif_writer.h"
#include "plugin_test_support.h"

#include "image/loaders.h"
#include "plugins/plugin_host.h"

#include "common/png_info.h"

#include <cstdio>
#include <string>
#include <sys/wait.h>

using plugintest::Bgr;
using plugintest::PixelAt;

namespace {

const std::string kPpm = std::string("P6 2 1 255\n") + std::string("\xFF\x00\x00\x00\x10\x20", 6);

// Runs a command and returns its standard output; `status` gets its exit status.
std::string RunCommand(const std::string& command, int* status) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        *status = -1;
        return output;
    }
    char buffer[256];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, got);
    const int raw = pclose(pipe);
    *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return output;
}

TEST(ShippedPluginsInTheLoader, GifAndPnmLoadWithTheirPixels) {
    REQUIRE_PLUGIN_DIR(shipped, plugintest::ShippedPluginDir());
    ASSERT_EQ(LoadPluginFolder(shipped.string()), 2);
    testsupport::TempDir dir;
    ASSERT_TRUE(plugintest::WriteGif(dir.file("small.GIF"), plugintest::SmallGif()));
    testsupport::WriteFileBytes(dir.file("two.ppm"), kPpm);

    LoadError why = LoadError::Damaged;
    DibPtr gif(LoadImageFile(dir.file("small.GIF"), &why));
    ASSERT_TRUE(gif);
    EXPECT_EQ(why, LoadError::None);
    EXPECT_EQ(DibBitCount(gif.get()), 24);
    EXPECT_EQ(PixelAt(gif.get(), 2, 0), (Bgr{0, 0, 255}));
    EXPECT_EQ(PixelAt(gif.get(), 0, 1), (Bgr{255, 0, 255}));

    DibPtr ppm(LoadImageFile(dir.file("two.ppm"), &why));
    ASSERT_TRUE(ppm);
    EXPECT_EQ(DibBitCount(ppm.get()), 24);
    EXPECT_EQ(PixelAt(ppm.get(), 0, 0), (Bgr{0, 0, 255}));
    EXPECT_EQ(PixelAt(ppm.get(), 1, 0), (Bgr{0x20, 0x10, 0}));

    // A damaged picture is refused, a missing one reported as such.
    testsupport::WriteFileBytes(dir.file("cut.ppm"), kPpm.substr(0, kPpm.size() - 1));
    EXPECT_FALSE(DibPtr(LoadImageFile(dir.file("cut.ppm"), &why)));
    EXPECT_NE(why, LoadError::None);
    EXPECT_FALSE(DibPtr(LoadImageFile(dir.file("gone.gif"), &why)));
    EXPECT_EQ(why, LoadError::NotFound);
}

// mokoa-convert beside the shipped plug-ins, with a GIF and a PNM picture to read.
class ShippedPluginsInTheConverter : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_PLUGIN_DIR(shipped, plugintest::ShippedPluginDir());
        tool_ = shipped.parent_path() / "mokoa-convert";
        if (!std::filesystem::exists(tool_))
            GTEST_SKIP() << "mokoa-convert not built beside " << shipped;
        ASSERT_TRUE(plugintest::WriteGif(dir_.file("small.gif"), plugintest::SmallGif()));
        testsupport::WriteFileBytes(dir_.file("two.ppm"), kPpm);
    }
    std::string Run(const std::string& arguments, int* status) {
        return RunCommand("'" + tool_.string() + "' " + arguments, status);
    }

    std::filesystem::path tool_;
    testsupport::TempDir dir_;
};

TEST_F(ShippedPluginsInTheConverter, InfoReadsGifAndPnm) {
    testsupport::WriteFileBytes(dir_.file("cut.gif"), "GIF89a\x04");
    int status = -1;
    const std::string output =
        Run("--info '" + dir_.file("small.gif") + "' '" + dir_.file("two.ppm") + "'", &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(output, dir_.file("small.gif") + ": 4x3, 24 bits\n" + dir_.file("two.ppm") +
                          ": 2x1, 24 bits\n");
    Run("--info '" + dir_.file("cut.gif") + "'", &status);
    EXPECT_EQ(status, 1);
}

TEST_F(ShippedPluginsInTheConverter, ConvertsGifAndPnmToTheTargetSize) {
    for (const std::string name : {"small.gif", "two.ppm"}) {
        const std::string out = dir_.file(name + ".png");
        int status = -1;
        Run("--size 40x30 -o '" + out + "' '" + dir_.file(name) + "'", &status);
        EXPECT_EQ(status, 0) << name;
        const testsupport::PngInfo info = testsupport::ParsePng(testsupport::ReadFileBytes(out));
        EXPECT_TRUE(info.valid) << name;
        EXPECT_EQ(info.width, 40u) << name;
        EXPECT_EQ(info.height, 30u) << name;
    }
}

} // namespace
