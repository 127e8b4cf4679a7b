// The remembered choices of the picture document with their defaults, and the store they
// are kept in between runs. The application supplies the store; the core reads and writes
// the values through it.
#pragma once

#include "phone/resampling_choice.h"

#include <optional>

// Whole numbers by key, in the settings section the document's values live in.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // None when the key is missing or its value is no whole number.
    virtual std::optional<int> ReadInt(const char* key) const = 0;
    virtual void WriteInt(const char* key, int value) = 0;
};

struct PhoneSettings {
    static constexpr const char* kSection = "SETTING";
    static constexpr const char* kCustomWidthKey = "CUSTSIZE_WIDTH";
    static constexpr const char* kCustomHeightKey = "CUSTSIZE_HEIGHT";
    static constexpr const char* kProfileKey = "SELECT_PROFILE";
    static constexpr const char* kFormatKey = "SELECT_FFORMAT";
    static constexpr const char* kAspectLockKey = "HV_LOCK";
    // 0 auto, 1 classic, 2 area, 3 lanczos; files written before it was added lack it.
    static constexpr const char* kResamplingKey = "RESAMPLING";

    int customWidth = 80;
    int customHeight = 80;
    int selectedProfile = 0; // 0 custom size, 1..151 table rows
    int selectedFormat = 3;  // "PNG 最適化 12色"
    bool aspectLock = false;
    ResamplingChoice resampling = ResamplingChoice::Auto;

    friend bool operator==(const PhoneSettings&, const PhoneSettings&) = default;
};

// Missing or unreadable values keep their defaults; values out of range are taken as they
// stand and fall back when the document uses them.
PhoneSettings ReadPhoneSettings(const SettingsStore& store);
void WritePhoneSettings(SettingsStore& store, const PhoneSettings& settings);
