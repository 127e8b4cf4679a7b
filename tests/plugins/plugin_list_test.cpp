#include "plugin_test_support.h"

#include "image/loaders.h"
#include "plugins/plugin_host.h"

#include <cstddef>
#include <string>

#include <dlfcn.h>

using plugintest::Bgr;
using plugintest::Decode;
using plugintest::Install;
using plugintest::PixelAt;
using testsupport::TempDir;

namespace {

// The header a plug-in fills is the bitmap's own.
static_assert(sizeof(SpiBitmapHeader) == sizeof(PackedDib));
static_assert(offsetof(SpiBitmapHeader, bit_count) == offsetof(PackedDib, bitCount));
static_assert(offsetof(SpiBitmapHeader, colors_used) == offsetof(PackedDib, colorsUsed));
static_assert(offsetof(SpiBitmapHeader, colors_important) == offsetof(PackedDib, colorsImportant));

const Bgr kRed = {0, 0, 255}, kGreen = {0, 255, 0}, kYellow = {0, 255, 255};
const Bgr kWhite = {255, 255, 255}, kBlack = {0, 0, 0};

std::string CallLog(const CSpiPlugin& plugin) {
    using LogProc = const char* (*)();
    auto log = reinterpret_cast<LogProc>(dlsym(plugin.Module(), "FakeCallLog"));
    return log ? log() : "(no log)";
}

// A folder of test plug-ins and a picture every fake plug-in claims.
class PluginFolder : public ::testing::Test {
protected:
    void SetUp() override {
        if (plugintest::FakePluginDir().empty())
            GTEST_SKIP() << "test plug-ins not found (MOKOA_TEST_PLUGINS; run through ctest)";
        testsupport::WriteFileBytes(picture(), "FAKE picture");
    }
    std::filesystem::path folder() const { return dir_.path() / "PlugIn"; }
    void Add(const std::string& name, const std::string& as = "") {
        std::filesystem::create_directories(folder());
        Install(folder(), name, as);
    }
    std::string picture() const { return dir_.file("picture.fk"); }
    std::string Lie(char mode) const {
        const std::string path = dir_.file(std::string("lie-") + mode + ".fk");
        testsupport::WriteFileBytes(path, std::string("FAKE") + mode);
        return path;
    }

    TempDir dir_;
    CSpiPluginList list_;
};

TEST(SpiInterfaceType, VersionStringsClassify) {
    const struct {
        const char* version;
        int written;
        uint8_t type;
    } cases[] = {
        {"00IN", 4, 0x01}, {"00IM", 4, 0x81}, {"00XN", 4, 0x04}, {"00XM", 4, 0x84},
        {"00AN", 4, 0x02}, {"00AM", 4, 0x82}, {"00CN", 4, 0x10}, {"00EN", 4, 0x20},
        {"00IN", 3, 0},    {"01IN", 4, 0},    {"0OIN", 4, 0},    {"00ZN", 4, 0},
        {"00In", 4, 0},    {"00", 4, 0},      {"00IN", -1, 0},   {"00INx", 5, 0x01},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SpiInterfaceType(c.version, c.written), c.type)
            << c.version << " (" << c.written << ")";
    EXPECT_EQ(SpiInterfaceType(nullptr, 4), 0);
}

TEST_F(PluginFolder, OnlyImagePluginsStayLoaded) {
    Add("archive_am");
    Add("image_in");
    Add("export_xn");
    Add("odd_version");
    Add("no_info");
    EXPECT_EQ(list_.LoadFolder(folder().string()), 1);
    ASSERT_EQ(list_.Size(), 1u);
    EXPECT_EQ(list_.Plugin(0).FileName(), "image_in.spi");
    EXPECT_EQ(list_.Plugin(0).InterfaceType(), kSpiTypeImage);
    EXPECT_EQ(list_.Plugin(0).FullPath(), (folder() / "image_in.spi").string());
    EXPECT_EQ(list_.Plugin(0).Patterns(), (std::vector<std::string>{"*.mag", "*.pic"}));
    EXPECT_EQ(list_.Plugin(0).Names(), (std::vector<std::string>{"MAG", "PIC"}));
    EXPECT_EQ(list_.CountFormats(), 2);
    // The others are not kept mapped.
    for (const char* name : {"archive_am.spi", "export_xn.spi", "odd_version.spi", "no_info.spi"})
        EXPECT_EQ(dlopen((folder() / name).c_str(), RTLD_NOW | RTLD_NOLOAD), nullptr) << name;
}

TEST_F(PluginFolder, ExtendedImagePluginIsKept) {
    Add("image_im");
    EXPECT_EQ(list_.LoadFolder(folder().string() + "/"), 1);
    ASSERT_EQ(list_.Size(), 1u);
    EXPECT_EQ(list_.Plugin(0).InterfaceType(), kSpiTypeImageExtended);
    EXPECT_TRUE(list_.Plugin(0).Has(SpiEntry::GetPicture));
    EXPECT_FALSE(list_.Plugin(0).Has(SpiEntry::GetArchiveInfo));
}

TEST_F(PluginFolder, WhatIsNoPluginIsPassedOver) {
    EXPECT_EQ(list_.LoadFolder(folder().string()), 0); // no folder at all
    std::filesystem::create_directories(folder() / "folder.spi");
    testsupport::WriteFileBytes(folder() / "junk.spi", "not a library");
    testsupport::WriteFileBytes(folder() / "empty.spi", "");
    Add("image_in", "image_in.so");
    EXPECT_EQ(list_.LoadFolder(folder().string()), 0);
    EXPECT_EQ(list_.CountFormats(), 0);
    EXPECT_EQ(list_.BuildFilter(), "");
    Add("image_in", "SHOUTED.SPI");
    EXPECT_EQ(list_.LoadFolder(folder().string()), 1);
}

TEST_F(PluginFolder, SameFileNameIsLoadedOnce) {
    Add("image_in", "reader.spi");
    ASSERT_EQ(list_.LoadFolder(folder().string()), 1);
    // The same name in another folder, in another case, adds nothing.
    const std::filesystem::path other = dir_.path() / "other";
    std::filesystem::create_directories(other);
    Install(other, "image_im", "Reader.SPI");
    Install(other, "image_im", "second.spi");
    Install(other, "image_im", "SECOND.spi");
    EXPECT_EQ(list_.LoadFolder(other.string()), 1);
    ASSERT_EQ(list_.Size(), 2u);
    EXPECT_EQ(list_.Plugin(0).FileName(), "reader.spi");
    EXPECT_EQ(list_.Plugin(1).FileName(), "SECOND.spi"); // name order: capitals first
}

TEST_F(PluginFolder, EndlessFormatListsAreCut) {
    Add("endless");
    ASSERT_EQ(list_.LoadFolder(folder().string()), 1);
    EXPECT_EQ(list_.Plugin(0).FormatCount(), CSpiPlugin::kMaxFormats);
    EXPECT_EQ(list_.Plugin(0).Patterns()[0], "*.x2");
    EXPECT_EQ(list_.CountFormats(), CSpiPlugin::kMaxFormats);
}

TEST_F(PluginFolder, FilterListsEveryFormatInLoadOrder) {
    Add("image_in");
    ASSERT_EQ(list_.LoadFolder(folder().string()), 1);
    const std::string two =
        "全Susieプラグイン対応画像|*.mag;*.pic|MAG (*.mag)|*.mag|PIC (*.pic)|*.pic|";
    EXPECT_EQ(list_.BuildFilter(), two);
    EXPECT_EQ(list_.BuildFilter(), two); // built afresh, not appended
    EXPECT_EQ(list_.FilterText(), two);

    Add("image_im", "later.spi");
    ASSERT_EQ(list_.LoadFolder(folder().string()), 1);
    EXPECT_EQ(list_.BuildFilter(), "全Susieプラグイン対応画像|*.mag;*.pic;*.fk|MAG (*.mag)|*.mag|"
                                   "PIC (*.pic)|*.pic|FAKE (*.fk)|*.fk|");
}

TEST_F(PluginFolder, MissingFilesAndArgumentsFailBeforeAnyCall) {
    Add("image_in");
    ASSERT_EQ(list_.LoadFolder(folder().string()), 1);
    SpiBlock header{}, bits{};
    EXPECT_EQ(list_.Decode(dir_.file("missing.fk").c_str(), &header, &bits, nullptr), 6);
    EXPECT_EQ(list_.Decode(dir_.path().c_str(), &header, &bits, nullptr), 6); // a folder
    EXPECT_EQ(list_.Decode(nullptr, &header, &bits, nullptr), 8);
    EXPECT_EQ(list_.Decode(picture().c_str(), nullptr, &bits, nullptr), 8);
    EXPECT_EQ(list_.Decode(picture().c_str(), &header, nullptr, nullptr), 8);
    EXPECT_EQ(CallLog(list_.Plugin(0)), "");
    EXPECT_EQ(list_.LastUsedIndex(), -1);
}

TEST_F(PluginFolder, FirstClaimingPluginDecodes) {
    Add("image_in", "a.spi");
    Add("image_im", "b.spi");
    ASSERT_EQ(list_.LoadFolder(folder().string()), 2);
    int code = -1;
    std::string text;
    DibPtr dib = Decode(list_, picture(), &code, &text);
    EXPECT_EQ(code, 0);
    ASSERT_TRUE(dib);
    EXPECT_EQ(DibBitCount(dib.get()), 24);
    EXPECT_EQ(PixelAt(dib.get(), 0, 0), kRed);
    EXPECT_EQ(PixelAt(dib.get(), 1, 0), kWhite);
    EXPECT_EQ(PixelAt(dib.get(), 2, 0), kBlack);
    EXPECT_EQ(PixelAt(dib.get(), 0, 1), kBlack);
    EXPECT_EQ(PixelAt(dib.get(), 2, 1), kRed);
    EXPECT_EQ(text, "fake picture");
    EXPECT_EQ(list_.LastUsedIndex(), 0);
    EXPECT_EQ(CallLog(list_.Plugin(0)), "IsSupported:0 GetPicture:0 GetPictureInfo:0 ");
    EXPECT_EQ(CallLog(list_.Plugin(1)), "");
}

TEST_F(PluginFolder, FailedDecodeIsRetriedThenPassedOn) {
    Add("fails", "a.spi");
    Add("image_im", "b.spi");
    ASSERT_EQ(list_.LoadFolder(folder().string()), 2);
    DibPtr dib = Decode(list_, picture());
    ASSERT_TRUE(dib);
    EXPECT_EQ(PixelAt(dib.get(), 0, 0), kGreen);
    EXPECT_EQ(list_.LastUsedIndex(), 1);
    EXPECT_EQ(CallLog(list_.Plugin(0)), "IsSupported:0 GetPicture:0 GetPicture:128 ");
    EXPECT_EQ(CallLog(list_.Plugin(1)), "IsSupported:0 GetPicture:0 GetPictureInfo:0 ");
}

TEST_F(PluginFolder, RetryWithTheFlagCanSucceed) {
    Add("retry");
    ASSERT_EQ(list_.LoadFolder(folder().string()), 1);
    DibPtr dib = Decode(list_, picture());
    ASSERT_TRUE(dib);
    EXPECT_EQ(PixelAt(dib.get(), 0, 0), kYellow);
    EXPECT_EQ(CallLog(list_.Plugin(0)),
              "IsSupported:0 GetPicture:0 GetPicture:128 GetPictureInfo:0 ");
}

TEST_F(PluginFolder, OnlyAnAnswerOfOneClaimsAFile) {
    Add("answers_two", "a.spi");
    ASSERT_EQ(list_.LoadFolder(folder().string()), 1);
    int code = -1;
    EXPECT_FALSE(Decode(list_, picture(), &code));
    EXPECT_EQ(code, 2);
    EXPECT_EQ(CallLog(list_.Plugin(0)), "IsSupported:0 ");

    Add("image_im", "b.spi");
    ASSERT_EQ(list_.LoadFolder(folder().string()), 1);
    DibPtr dib = Decode(list_, picture(), &code);
    ASSERT_TRUE(dib);
    EXPECT_EQ(PixelAt(dib.get(), 0, 0), kGreen);

    // A file nobody claims.
    testsupport::WriteFileBytes(dir_.file("other.fk"), "NOPE");
    EXPECT_FALSE(Decode(list_, dir_.file("other.fk"), &code));
    EXPECT_EQ(code, 2);
}

TEST_F(PluginFolder, NonsenseFromAPluginIsRefused) {
    Add("liar");
    ASSERT_EQ(list_.LoadFolder(folder().string()), 1);
    int code = -1;
    // Success without one of the blocks counts as failure (and the other block is freed).
    for (char mode : {'H', 'B'}) {
        EXPECT_FALSE(Decode(list_, Lie(mode), &code)) << mode;
        EXPECT_EQ(code, 2) << mode;
    }
    // Blocks that do not add up are delivered but make no picture.
    // 'L' overstates its pixel block: the length is cut to the allocation, the rows are short.
    for (char mode : {'S', 'Z', 'P', 'D', 'W', 'N', 'R', 'M', 'X', 'C', 'L'}) {
        EXPECT_FALSE(Decode(list_, Lie(mode), &code)) << mode;
        EXPECT_EQ(code, 0) << mode;
    }
    // Indices past a short table read black, also when the header block claims to hold more.
    for (char mode : {'T', 'U'}) {
        DibPtr dib = Decode(list_, Lie(mode), &code);
        ASSERT_TRUE(dib) << mode;
        EXPECT_EQ(PixelAt(dib.get(), 0, 1), kBlack) << mode;
        EXPECT_EQ(PixelAt(dib.get(), 1, 1), kWhite) << mode;
    }
    // A failed information call hands over no text, whatever it left in the record: not after
    // a second failure, and not when the retry succeeds without touching the text.
    for (char mode : {'I', 'J'}) {
        std::string text = "unset";
        DibPtr dib = Decode(list_, Lie(mode), &code, &text);
        EXPECT_TRUE(dib) << mode;
        EXPECT_EQ(text, "") << mode;
        EXPECT_TRUE(CallLog(list_.Plugin(0)).ends_with("GetPictureInfo:0 GetPictureInfo:128 "))
            << CallLog(list_.Plugin(0));
    }
}

// A plug-in's picture far bigger than its file can mean is not widened into a second copy.
TEST_F(PluginFolder, LoaderRefusesAPictureFarBeyondItsFile) {
    Add("liar");
    ASSERT_EQ(LoadPluginFolder(folder().string()), 1);
    LoadError why = LoadError::None;
    EXPECT_EQ(DibPtr(LoadImageFile(Lie('G'), &why)), nullptr);
    EXPECT_EQ(why, LoadError::Damaged);
}

TEST_F(PluginFolder, ProcessWideListDecodesForTheLoader) {
    Add("image_in");
    EXPECT_EQ(LoadPluginFolder(folder().string()), 1);
    EXPECT_EQ(CountPluginFormats(), 2);
    EXPECT_EQ(BuildPluginFilter(),
              "全Susieプラグイン対応画像|*.mag;*.pic|MAG (*.mag)|*.mag|PIC (*.pic)|*.pic|");
    PluginPicture decoded;
    ASSERT_EQ(DecodeWithPlugins(picture().c_str(), &decoded), 0);
    EXPECT_TRUE(decoded.header && decoded.bits && decoded.text);
    DibPtr dib(
        DibFromHeaderAndBits(decoded.header, decoded.headerBytes, decoded.bits, decoded.bitsBytes));
    ReleasePluginPicture(&decoded);
    ASSERT_TRUE(dib);
    EXPECT_EQ(PixelAt(dib.get(), 0, 0), kRed);
    EXPECT_EQ(decoded.header, nullptr);
    EXPECT_EQ(DecodeWithPlugins(dir_.file("missing").c_str(), &decoded), 6);
    EXPECT_EQ(decoded.bits, nullptr);
    EXPECT_EQ(DecodeWithPlugins(nullptr, &decoded), 8);
    EXPECT_EQ(DecodeWithPlugins(picture().c_str(), nullptr), 8);
}

} // namespace
