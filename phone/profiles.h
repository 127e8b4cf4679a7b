// The built-in phone profiles, the custom size entry in front of them and the size key
// that packs a profile size into one list value.
#pragma once

#include <cstdint>
#include <span>
#include <string>

struct PhoneProfile {
    char carrier;     // 'J' (J-Sky) or 'E' (EZweb); carried as data only
    uint8_t flags;    // capability flags; carried as data only
    const char* name; // UTF-8
    int width;
    int height;
};

// The 151 rows in list order: J-Sky rows 1-83, EZweb rows 84-151 of the profile list.
std::span<const PhoneProfile> PhoneProfiles();

// Entries of the profile list: 0 is the custom size, 1..151 the table rows.
constexpr int kProfileListCount = 152;
constexpr int kCustomProfileIndex = 0;

// Custom sizes the size dialog accepts, inclusive.
constexpr int kCustomSizeMin = 20;
constexpr int kCustomSizeMax = 180;

// Width in the low 16 bits, height in the high 16 bits.
constexpr uint32_t MakeSizeKey(int width, int height) {
    return uint32_t(uint16_t(width)) | uint32_t(uint16_t(height)) << 16;
}
constexpr int SizeKeyWidth(uint32_t key) {
    return int(key & 0xFFFF);
}
constexpr int SizeKeyHeight(uint32_t key) {
    return int(key >> 16);
}

// "カスタムサイズ 80x80": the text of list entry 0.
std::string CustomProfileText(int width, int height);
