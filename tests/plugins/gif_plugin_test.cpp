#include "plugin_test_support.h"

#include <gif_lib.h>

#include <string>
#include <vector>

using plugintest::Bgr;
using plugintest::PixelAt;

namespace {

struct Frame {
    int left = 0, top = 0, width = 0, height = 0;
    bool interlace = false;
    std::vector<GifColorType> colors; // a local table when not empty
    int transparent = NO_TRANSPARENT_COLOR;
    std::vector<uint8_t> pixels; // top row first
};

struct Gif {
    int width = 0, height = 0, background = 0;
    std::vector<GifColorType> colors; // the global table, 2^n entries
    std::vector<Frame> frames;
};

// Writes the picture with giflib's encoder; false when giflib refuses.
bool WriteGif(const std::string& path, const Gif& gif) {
    int error = 0;
    GifFileType* out = EGifOpenFileName(path.c_str(), false, &error);
    if (!out)
        return false;
    EGifSetGifVersion(out, true);
    ColorMapObject* global =
        gif.colors.empty() ? nullptr : GifMakeMapObject(int(gif.colors.size()), gif.colors.data());
    bool ok = EGifPutScreenDesc(out, gif.width, gif.height, 8, gif.background, global) == GIF_OK;
    GifFreeMapObject(global);
    for (const Frame& f : gif.frames) {
        if (!ok)
            break;
        if (f.transparent != NO_TRANSPARENT_COLOR) {
            GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 0, f.transparent};
            GifByteType extension[4];
            const size_t length = EGifGCBToExtension(&control, extension);
            ok = EGifPutExtension(out, GRAPHICS_EXT_FUNC_CODE, int(length), extension) == GIF_OK;
        }
        ColorMapObject* local =
            f.colors.empty() ? nullptr : GifMakeMapObject(int(f.colors.size()), f.colors.data());
        // The encoder forgets, without freeing, the last frame's table when this one has none.
        if (!local && out->Image.ColorMap) {
            GifFreeMapObject(out->Image.ColorMap);
            out->Image.ColorMap = nullptr;
        }
        ok = ok &&
             EGifPutImageDesc(out, f.left, f.top, f.width, f.height, f.interlace, local) == GIF_OK;
        GifFreeMapObject(local);
        // giflib writes lines in the order given: interlaced frames go pass by pass.
        std::vector<int> order;
        const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
        for (int pass = 0; pass < (f.interlace ? 4 : 1); ++pass)
            for (int y = f.interlace ? start[pass] : 0; y < f.height;
                 y += f.interlace ? step[pass] : 1)
                order.push_back(y);
        for (int y : order) {
            std::vector<GifPixelType> line(f.pixels.begin() + y * f.width,
                                           f.pixels.begin() + (y + 1) * f.width);
            ok = ok && EGifPutLine(out, line.data(), f.width) == GIF_OK;
        }
    }
    return EGifCloseFile(out, &error) == GIF_OK && ok;
}

const GifColorType kBlackC = {0, 0, 0}, kWhiteC = {255, 255, 255}, kRedC = {255, 0, 0},
                   kMagentaC = {255, 0, 255}, kGreenC = {0, 255, 0}, kBlueC = {0, 0, 255};
const Bgr kBlack = {0, 0, 0}, kWhite = {255, 255, 255}, kRed = {0, 0, 255},
          kMagenta = {255, 0, 255}, kGreen = {0, 255, 0}, kBlue = {255, 0, 0};

// A 4 x 3 picture: rows of indices 0 1 2 3, 3 2 1 0, 1 1 1 1 over black, white, red, magenta.
Gif SmallGif() {
    Gif gif;
    gif.width = 4;
    gif.height = 3;
    gif.colors = {kBlackC, kWhiteC, kRedC, kMagentaC};
    Frame f;
    f.width = 4;
    f.height = 3;
    f.pixels = {0, 1, 2, 3, 3, 2, 1, 0, 1, 1, 1, 1};
    gif.frames = {f};
    return gif;
}

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

TEST_F(GifPlugin, ShippedPluginsFillTheFilterInNameOrder) {
    EXPECT_EQ(list_.BuildFilter(), "全Susieプラグイン対応画像|*.gif;*.pnm;*.pbm;*.pgm;*.ppm|GIF "
                                   "(*.gif)|*.gif|Portable anymap (*.pnm;*.pbm;*.pgm;*.ppm)|"
                                   "*.pnm;*.pbm;*.pgm;*.ppm|");
    EXPECT_EQ(list_.Plugin(0).FileName(), "gif.spi");
    EXPECT_EQ(list_.Plugin(1).FileName(), "pnm.spi");
}

} // namespace
