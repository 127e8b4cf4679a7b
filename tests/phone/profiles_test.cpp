#include "phone/formats.h"
#include "phone/profile_selection.h"
#include "phone/profiles.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(PhoneProfiles, TableRowsAndCarriers) {
    const auto rows = PhoneProfiles();
    ASSERT_EQ(rows.size(), 151u);
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].carrier, i < 83 ? 'J' : 'E') << "row " << i + 1;
        EXPECT_GT(rows[i].width, 0);
        EXPECT_GT(rows[i].height, 0);
        EXPECT_LT(std::string(rows[i].name).size(), 102u) << "fits the stored name field";
    }
    struct Row {
        int number;
        const char* name;
        int width, height;
        uint8_t flags;
    };
    const Row spots[] = {
        {1, "J-P02(着信/アラーム)", 48, 35, 0x08},
        {5, "J-P03(着信/アラーム)", 48, 35, 0x08},
        {16, "J-SH04(壁紙)", 96, 130, 0x08},
        {22, "J-SH05(待受/壁紙)", 120, 160, 0x10},
        {41, "J-SA02(壁紙・小)", 96, 40, 0x08},
        {83, "J-NM01(アラーム)", 120, 64, 0x08},
        {84, "C201H", 120, 51, 0x01},
        {90, "C305S(Web)", 120, 98, 0x02},
        {124, "D302T/701G(Web)", 120, 84, 0x01},
        {151, "TD11", 120, 117, 0x08},
    };
    for (const Row& r : spots) {
        const PhoneProfile& p = rows[size_t(r.number - 1)];
        EXPECT_STREQ(p.name, r.name);
        EXPECT_EQ(p.width, r.width) << r.name;
        EXPECT_EQ(p.height, r.height) << r.name;
        EXPECT_EQ(p.flags, r.flags) << r.name;
    }
}

TEST(PhoneProfiles, SizeKeyPacksWidthLow) {
    EXPECT_EQ(MakeSizeKey(96, 130), 0x00820060u);
    EXPECT_EQ(SizeKeyWidth(MakeSizeKey(180, 20)), 180);
    EXPECT_EQ(SizeKeyHeight(MakeSizeKey(180, 20)), 20);
}

TEST(ProfileSelection, FirstStartIsTheCustomSize) {
    ProfileSelection s(80, 80, 0);
    EXPECT_EQ(s.ItemText(0), "カスタムサイズ 80x80");
    EXPECT_EQ(s.TargetWidth(), 80);
    EXPECT_EQ(s.TargetHeight(), 80);
    EXPECT_EQ(s.Caption(), "モコア カスタムサイズ 80x80  [80 x 80]");
}

TEST(ProfileSelection, RowsAndCaption) {
    ProfileSelection s(80, 80, 0);
    ASSERT_TRUE(s.Select(16));
    EXPECT_EQ(s.Caption(), "モコア J-SH04(壁紙)  [96 x 130]");
    ASSERT_TRUE(s.Select(1));
    EXPECT_EQ(s.SelectedIndex(), 1);
    EXPECT_EQ(s.TargetWidth(), 48);
    EXPECT_EQ(s.TargetHeight(), 35);
    EXPECT_EQ(s.ItemSizeKey(1), MakeSizeKey(48, 35));
    EXPECT_FALSE(s.Select(152));
    EXPECT_FALSE(s.Select(-1));
    EXPECT_EQ(s.SelectedIndex(), 1);
}

TEST(ProfileSelection, CustomSizeReplacesEntryZeroAndSelectsIt) {
    ProfileSelection s(80, 80, 16);
    ASSERT_TRUE(s.SetCustomSize(180, 20));
    EXPECT_EQ(s.SelectedIndex(), 0);
    EXPECT_EQ(s.ItemText(0), "カスタムサイズ 180x20");
    EXPECT_EQ(s.TargetWidth(), 180);
    EXPECT_EQ(s.TargetHeight(), 20);
    EXPECT_FALSE(s.SetCustomSize(19, 80));
    EXPECT_FALSE(s.SetCustomSize(80, 181));
    EXPECT_EQ(s.CustomWidth(), 180);
}

TEST(ProfileSelection, StoredValuesOutOfRangeFallBack) {
    ProfileSelection bad(0, 5000, 999);
    EXPECT_EQ(bad.SelectedIndex(), 0);
    EXPECT_EQ(bad.TargetWidth(), 80);
    EXPECT_EQ(bad.TargetHeight(), 80);
    ProfileSelection stored(20, 180, 151);
    EXPECT_EQ(stored.CustomWidth(), 20);
    EXPECT_EQ(stored.TargetWidth(), 120);
}

TEST(ProfileSelection, FindByName) {
    EXPECT_EQ(FindProfileByName("J-SH04(壁紙)", 80, 80), 16);
    EXPECT_EQ(FindProfileByName("カスタムサイズ 100x90", 100, 90), 0);
    EXPECT_EQ(FindProfileByName("J-SH04", 80, 80), -1);
}

TEST(OutputFormats, ListEntries) {
    const auto formats = OutputFormats();
    ASSERT_EQ(formats.size(), 22u);
    EXPECT_STREQ(formats[kDefaultFormatIndex].text, "PNG 最適化 12色");
    const OutputFormat& grey16 = formats[0].format;
    EXPECT_TRUE(grey16.IsPng() && grey16.grey && !grey16.webPalette);
    EXPECT_EQ(grey16.colors, 16);
    const OutputFormat& webSafe = formats[9].format;
    EXPECT_TRUE(webSafe.IsPng() && webSafe.webPalette && !webSafe.grey);
    EXPECT_EQ(webSafe.colors, 256);
    EXPECT_EQ(formats[10].format, OutputFormat::Png(0));
    const int qualities[4] = {50, 65, 75, 90};
    for (int i = 0; i < 4; ++i) {
        const OutputFormat& jpeg = formats[size_t(11 + i)].format;
        EXPECT_TRUE(jpeg.IsJpeg());
        EXPECT_EQ(jpeg.colors, 0);
        // Classic coding: the library's tables, no optimisation, subsampled colour.
        EXPECT_EQ(jpeg.jpeg, JpegSettings{qualities[i]});
    }
    EXPECT_EQ(FindFormatByText("JPEG 90%"), 14);
    // The high-quality palettes follow.
    const int counts[7] = {8, 12, 16, 32, 64, 128, 256};
    for (int i = 0; i < 7; ++i) {
        const OutputFormat& format = formats[size_t(kClassicFormatCount + i)].format;
        EXPECT_EQ(format, OutputFormat::HighQualityPng(counts[i], 100));
        EXPECT_EQ(formats[size_t(kClassicFormatCount + i)].text,
                  "PNG 高画質 " + std::to_string(counts[i]) + "色");
    }
    for (int i = 0; i < kClassicFormatCount; ++i)
        EXPECT_FALSE(formats[size_t(i)].format.highQuality);
    EXPECT_EQ(FindFormatByText("JPEG 100%"), -1);
}

} // namespace
