#include "gif_writer.h"
#include "plugin_test_support.h"

#include <gif_lib.h>

#include <string>
#include <vector>

using plugintest::Bgr;
using plugintest::Frame;
using plugintest::Gif;
using plugintest::PixelAt;
using plugintest::SmallGif;
using plugintest::WriteGif;

namespace {

const GifColorType kBlackC = {0, 0, 0}, kWhiteC = {255, 255, 255}, kRedC = {255, 0, 0},
                   kMagentaC = {255, 0, 255}, kGreenC = {0, 255, 0}, kBlueC = {0, 0, 255};
const Bgr kBlack = {0, 0, 0}, kWhite = {255, 255, 255}, kRed = {0, 0, 255},
          kMagenta = {255, 0, 255}, kGreen = {0, 255, 0}, kBlue = {255, 0, 0};

class GifPlugin : public plugintest::ShippedPlugins {
protected:
    std::string Write(const Gif& gif) {
        const std::string path = NextPath(".gif");
        EXPECT_TRUE(WriteGif(path, gif));
        return path;
    }
    DibPtr Read(const std::string& path, int* code = nullptr) {
        return plugintest::Decode(list_, path, code);
    }
};

TEST_F(GifPlugin, PaletteIndicesBecomeTheirColours) {
    DibPtr dib = Read(Write(SmallGif()));
    ASSERT_TRUE(dib);
    EXPECT_EQ(DibBitCount(dib.get()), 24);
    ASSERT_EQ(DibWidth(dib.get()), 4);
    ASSERT_EQ(DibHeight(dib.get()), 3);
    const Bgr expected[3][4] = {{kBlack, kWhite, kRed, kMagenta},
                                {kMagenta, kRed, kWhite, kBlack},
                                {kWhite, kWhite, kWhite, kWhite}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(PixelAt(dib.get(), x, y), expected[y][x]) << x << "," << y;
}

TEST_F(GifPlugin, TransparencyShowsThePaletteColourAroundASmallFrame) {
    Gif gif = SmallGif();
    gif.width = gif.height = 4;
    gif.background = 1;
    Frame& f = gif.frames[0];
    f.left = f.top = 1;
    f.width = f.height = 2;
    f.pixels = {0, 3, 2, 0}; // 3 is transparent
    f.transparent = 3;
    DibPtr dib = Read(Write(gif));
    ASSERT_TRUE(dib);
    ASSERT_EQ(DibWidth(dib.get()), 4);
    EXPECT_EQ(PixelAt(dib.get(), 0, 0), kMagenta); // outside the frame: the transparent entry
    EXPECT_EQ(PixelAt(dib.get(), 3, 3), kMagenta);
    EXPECT_EQ(PixelAt(dib.get(), 1, 1), kBlack);
    EXPECT_EQ(PixelAt(dib.get(), 2, 1), kMagenta); // transparent pixel
    EXPECT_EQ(PixelAt(dib.get(), 1, 2), kRed);

    // Without transparency the canvas takes the background colour.
    f.transparent = NO_TRANSPARENT_COLOR;
    dib = Read(Write(gif));
    ASSERT_TRUE(dib);
    EXPECT_EQ(PixelAt(dib.get(), 0, 0), kWhite);
    EXPECT_EQ(PixelAt(dib.get(), 2, 1), kMagenta);
}

TEST_F(GifPlugin, InterlacedRowsLandInPlace) {
    Gif gif;
    gif.width = 2;
    gif.height = 11;
    gif.colors = {kBlackC, kWhiteC, kRedC, kGreenC};
    Frame f;
    f.width = 2;
    f.height = 11;
    f.interlace = true;
    for (int y = 0; y < 11; ++y)
        f.pixels.insert(f.pixels.end(), {uint8_t(y % 4), uint8_t(3 - y % 4)});
    gif.frames = {f};
    DibPtr dib = Read(Write(gif));
    ASSERT_TRUE(dib);
    const Bgr colors[4] = {kBlack, kWhite, kRed, kGreen};
    for (int y = 0; y < 11; ++y) {
        EXPECT_EQ(PixelAt(dib.get(), 0, y), colors[y % 4]) << y;
        EXPECT_EQ(PixelAt(dib.get(), 1, y), colors[3 - y % 4]) << y;
    }
}

TEST_F(GifPlugin, FirstFrameWithItsOwnTableIsRead) {
    Gif gif = SmallGif();
    gif.frames[0].colors = {kGreenC, kBlueC};
    gif.frames[0].pixels = {0, 1, 0, 1, 1, 0, 1, 0, 0, 0, 0, 0};
    Frame second = SmallGif().frames[0];
    gif.frames.push_back(second);
    DibPtr dib = Read(Write(gif));
    ASSERT_TRUE(dib);
    EXPECT_EQ(PixelAt(dib.get(), 0, 0), kGreen);
    EXPECT_EQ(PixelAt(dib.get(), 1, 0), kBlue);
    EXPECT_EQ(PixelAt(dib.get(), 0, 1), kBlue);

    // A frame that does not fit its screen is shown on its own.
    gif = SmallGif();
    gif.width = gif.height = 2;
    gif.frames[0].left = 5;
    dib = Read(Write(gif));
    ASSERT_TRUE(dib);
    EXPECT_EQ(DibWidth(dib.get()), 4);
    EXPECT_EQ(PixelAt(dib.get(), 3, 0), kMagenta);
}

TEST_F(GifPlugin, DamagedFilesAreRefused) {
    const std::string whole = testsupport::ReadFileBytes(Write(SmallGif()));
    ASSERT_GT(whole.size(), 20u);
    int code = -1;
    // Cut anywhere before the end of the pixel data: refused. The trailer alone may go.
    for (size_t n = 0; n + 1 < whole.size(); ++n) {
        EXPECT_FALSE(ReadBytes(whole.substr(0, n), ".gif", &code)) << "cut at " << n;
        EXPECT_EQ(code, 2);
    }
    EXPECT_TRUE(ReadBytes(whole.substr(0, whole.size() - 1), ".gif"));

    // Every byte spoiled in three ways: whatever comes out, nothing may crash.
    for (size_t i = 6; i < whole.size(); ++i)
        for (uint8_t value : {uint8_t(0), uint8_t(0xFF), uint8_t(whole[i] ^ 0x55)}) {
            std::string spoiled = whole;
            spoiled[i] = char(value);
            ReadBytes(spoiled, ".gif");
        }

    // Absurd sides are refused before anything is allocated. The screen is bytes 6-9, the
    // frame's size bytes 5-8 after its descriptor's ',' (past the 4-colour table).
    std::string huge = whole;
    const size_t frame = 13 + 3 * 4;
    ASSERT_EQ(huge[frame], ',');
    for (size_t at : {size_t(6), size_t(8), frame + 5, frame + 7}) {
        huge[at] = char(0x40);
        huge[at + 1] = char(0x9C); // 40000
    }
    EXPECT_FALSE(ReadBytes(huge, ".gif", &code));
    EXPECT_EQ(code, 2);
}

// A screen far bigger than a small file can mean is not filled: the frame is shown on its own,
// as one outside its screen is (a 30000 x 11930 canvas took 1.4 GB with its widened copy).
TEST_F(GifPlugin, ScreenBeyondWhatTheFileCanMeanIsDropped) {
    Gif gif = SmallGif();
    gif.width = 30000;
    gif.height = 11930;
    int code = -1;
    DibPtr dib = Read(Write(gif), &code);
    ASSERT_TRUE(dib) << code;
    EXPECT_EQ(DibWidth(dib.get()), 4);
    EXPECT_EQ(DibHeight(dib.get()), 3);
}

TEST_F(GifPlugin, ShippedPluginsFillTheFilterInNameOrder) {
    EXPECT_EQ(list_.BuildFilter(), "全Susieプラグイン対応画像|*.gif;*.pnm;*.pbm;*.pgm;*.ppm|GIF "
                                   "(*.gif)|*.gif|Portable anymap (*.pnm;*.pbm;*.pgm;*.ppm)|"
                                   "*.pnm;*.pbm;*.pgm;*.ppm|");
    EXPECT_EQ(list_.Plugin(0).FileName(), "gif.spi");
    EXPECT_EQ(list_.Plugin(1).FileName(), "pnm.spi");
}

} // namespace
