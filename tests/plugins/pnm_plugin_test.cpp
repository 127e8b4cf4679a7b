#include "plugin_test_support.h"

#include <string>

using plugintest::Bgr;
using plugintest::PixelAt;

namespace {

class PnmPlugin : public plugintest::ShippedPlugins {
protected:
    DibPtr Read(const std::string& bytes, int* code = nullptr, std::string* text = nullptr) {
        return ReadBytes(bytes, ".pnm", code, text);
    }
};

const Bgr kBlack = {0, 0, 0}, kWhite = {255, 255, 255};

Bgr Grey(uint8_t g) {
    return {g, g, g};
}

TEST_F(PnmPlugin, BitmapsPlainAndRaw) {
    // Plain digits may touch; comments may sit anywhere white space may.
    DibPtr plain = Read("P1\n# a comment\n3 2\n101\n0 # inside\n1 0\n");
    ASSERT_TRUE(plain);
    EXPECT_EQ(DibBitCount(plain.get()), 24);
    EXPECT_EQ(PixelAt(plain.get(), 0, 0), kBlack);
    EXPECT_EQ(PixelAt(plain.get(), 1, 0), kWhite);
    EXPECT_EQ(PixelAt(plain.get(), 2, 0), kBlack);
    EXPECT_EQ(PixelAt(plain.get(), 0, 1), kWhite);
    EXPECT_EQ(PixelAt(plain.get(), 1, 1), kBlack);

    // Ten pixels a row: two bytes, the second one partly used.
    DibPtr raw = Read(std::string("P4 10 2\n") + std::string("\x81\x40\x00\xC0", 4));
    ASSERT_TRUE(raw);
    EXPECT_EQ(DibWidth(raw.get()), 10);
    for (int x = 0; x < 10; ++x) {
        EXPECT_EQ(PixelAt(raw.get(), x, 0), (x == 0 || x == 7 || x == 9) ? kBlack : kWhite) << x;
        EXPECT_EQ(PixelAt(raw.get(), x, 1), (x == 8 || x == 9) ? kBlack : kWhite) << x;
    }
}

TEST_F(PnmPlugin, GreyMapsScaleTheirLevels) {
    DibPtr plain = Read("P2 3 1 15\n0 15 7\n");
    ASSERT_TRUE(plain);
    EXPECT_EQ(PixelAt(plain.get(), 0, 0), Grey(0));
    EXPECT_EQ(PixelAt(plain.get(), 1, 0), Grey(255));
    EXPECT_EQ(PixelAt(plain.get(), 2, 0), Grey(119)); // 7 * 255 / 15, rounded

    DibPtr raw = Read(std::string("P5 2 2 255\n") + std::string("\x00\x80\xFF\x10", 4));
    ASSERT_TRUE(raw);
    EXPECT_EQ(PixelAt(raw.get(), 1, 0), Grey(0x80));
    EXPECT_EQ(PixelAt(raw.get(), 0, 1), Grey(0xFF));
    EXPECT_EQ(PixelAt(raw.get(), 1, 1), Grey(0x10));

    // Two bytes a sample, most significant first.
    DibPtr deep = Read(std::string("P5 3 1 65535\n") + std::string("\xFF\xFF\x80\x00\x00\xFF", 6));
    ASSERT_TRUE(deep);
    EXPECT_EQ(PixelAt(deep.get(), 0, 0), Grey(255));
    EXPECT_EQ(PixelAt(deep.get(), 1, 0), Grey(128));
    EXPECT_EQ(PixelAt(deep.get(), 2, 0), Grey(1));
}

TEST_F(PnmPlugin, PixmapsComeOutBlueGreenRed) {
    DibPtr plain = Read("P3\n2 1\n255\n255 0 0  0 128 255\n");
    ASSERT_TRUE(plain);
    EXPECT_EQ(PixelAt(plain.get(), 0, 0), (Bgr{0, 0, 255}));
    EXPECT_EQ(PixelAt(plain.get(), 1, 0), (Bgr{255, 128, 0}));

    DibPtr raw = Read(std::string("P6 1 2 255\n") + std::string("\x10\x20\x30\xFF\x00\x01", 6));
    ASSERT_TRUE(raw);
    EXPECT_EQ(PixelAt(raw.get(), 0, 0), (Bgr{0x30, 0x20, 0x10}));
    EXPECT_EQ(PixelAt(raw.get(), 0, 1), (Bgr{0x01, 0x00, 0xFF}));

    DibPtr deep = Read(std::string("P6 1 1 1000\n") + std::string("\x03\xE8\x01\xF4\x00\x00", 6));
    ASSERT_TRUE(deep);
    EXPECT_EQ(PixelAt(deep.get(), 0, 0), (Bgr{0, 128, 255})); // 1000, 500, 0 of 1000
}

TEST_F(PnmPlugin, HeaderCommentsBecomeTheTextInformation) {
    std::string text;
    int code = -1;
    DibPtr dib = Read("P2\n# made by hand\n#second line\n1 1 255 7\n", &code, &text);
    ASSERT_TRUE(dib);
    EXPECT_EQ(text, " made by hand\nsecond line");
    dib = Read("P2 1 1 255 7\n", &code, &text);
    ASSERT_TRUE(dib);
    EXPECT_EQ(text, "");
}

TEST_F(PnmPlugin, DamagedFilesAreRefused) {
    int code = -1;
    const char* damaged[] = {
        "P2 2 1 255\n1 256\n",        // sample above maxval
        "P2 1 1 0\n0\n",              // maxval 0
        "P2 1 1 65536\n0\n",          // maxval too large
        "P3 1 1 255\n1 2 x\n",        // not a number
        "P1 2 1\n1 2\n",              // not a bit
        "P6 0 1 255\n",               // no width
        "P6 70000 1 255\n",           // absurd width
        "P6 30000 30000 255\n\x01",   // rows the file cannot hold
        "P3 30000 30000 255\n1 2 3",  // samples the file cannot hold
        "P5 1 1 255x\x01",            // raw data without its separator
        "P5 2 1 65535\n\x01\x02\x03", // a two-byte sample cut short
        "P6\n# a comment that never ends",
    };
    // Claimed and then refused, or not claimed at all: either way no plug-in decoded it.
    for (const char* bytes : damaged) {
        EXPECT_FALSE(Read(bytes, &code)) << bytes;
        EXPECT_EQ(code, 2) << bytes;
    }
    for (const char* other : {"P7 1 1 255\n\x01", "P0 1 1\n", "Px", ""}) {
        EXPECT_FALSE(Read(other, &code)) << other;
        EXPECT_EQ(code, 2) << other;
    }
}

TEST_F(PnmPlugin, EveryTruncationOfARawFileIsRefused) {
    for (const std::string& whole : {std::string("P6 3 2 65535\n") + std::string(36, '\x7F'),
                                     std::string("P5\n# c\n4 3 255\n") + std::string(12, '\x01'),
                                     std::string("P4 9 3\n") + std::string(6, '\xAA')}) {
        ASSERT_TRUE(Read(whole)) << whole.substr(0, 2);
        for (size_t n = 0; n < whole.size(); ++n)
            EXPECT_FALSE(Read(whole.substr(0, n))) << whole.substr(0, 2) << " cut at " << n;
    }
    // Plain files: every cut must be survived, whatever it gives.
    const std::string plain = "P3 2 2 65535\n# comment\n65535 0 1 2 3 4\n5 6 7 8 9 10\n";
    for (size_t n = 0; n < plain.size(); ++n)
        Read(plain.substr(0, n));
}

} // namespace
