// The four remembered choices of the output panel with their defaults. The application
// reads and writes them in its settings store; the core takes and returns the values.
#pragma once

struct PhoneSettings {
    static constexpr const char* kSection = "SETTING";
    static constexpr const char* kCustomWidthKey = "CUSTSIZE_WIDTH";
    static constexpr const char* kCustomHeightKey = "CUSTSIZE_HEIGHT";
    static constexpr const char* kProfileKey = "SELECT_PROFILE";
    static constexpr const char* kFormatKey = "SELECT_FFORMAT";

    int customWidth = 80;
    int customHeight = 80;
    int selectedProfile = 0; // 0 custom size, 1..151 table rows
    int selectedFormat = 3;  // "PNG 最適化 12色"

    friend bool operator==(const PhoneSettings&, const PhoneSettings&) = default;
};
