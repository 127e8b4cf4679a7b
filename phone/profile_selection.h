// Which profile is chosen and the target size it gives: the logic behind the profile list
// and the custom size dialog.
#pragma once

#include "phone/profiles.h"

#include <string>

class ProfileSelection {
public:
    // An index outside the list falls back to the custom entry; a custom size outside
    // 20..180 falls back to 80 x 80.
    ProfileSelection(int customWidth, int customHeight, int selectedIndex);

    // Profile change: selects list entry `index` and takes its size as the target. False
    // (nothing changed) for an index outside the list. The caller then resets the
    // selection to the whole picture and produces a new base image.
    bool Select(int index);
    // Custom size change: replaces entry 0 and selects it. False (nothing changed) when a
    // side is outside 20..180.
    bool SetCustomSize(int width, int height);

    int SelectedIndex() const { return selected_; }
    int CustomWidth() const { return customWidth_; }
    int CustomHeight() const { return customHeight_; }
    int TargetWidth() const { return targetWidth_; }
    int TargetHeight() const { return targetHeight_; }

    // Text and size key of list entry `index` (0..151); empty text and key 0 outside.
    std::string ItemText(int index) const;
    uint32_t ItemSizeKey(int index) const;
    // "モコア <entry text>  [W x H]" for the main window.
    std::string Caption() const;

private:
    int customWidth_;
    int customHeight_;
    int selected_ = 0;
    int targetWidth_ = 0;
    int targetHeight_ = 0;
};

// Index of the list entry whose text is exactly `name`, or -1.
int FindProfileByName(const std::string& name, int customWidth, int customHeight);
