#include "phone/profile_selection.h"

#include <cstdio>

namespace {

bool CustomSideAllowed(int side) {
    return side >= kCustomSizeMin && side <= kCustomSizeMax;
}

} // namespace

ProfileSelection::ProfileSelection(int customWidth, int customHeight, int selectedIndex)
    : customWidth_(80), customHeight_(80) {
    if (CustomSideAllowed(customWidth) && CustomSideAllowed(customHeight)) {
        customWidth_ = customWidth;
        customHeight_ = customHeight;
    }
    if (!Select(selectedIndex))
        Select(kCustomProfileIndex);
}

bool ProfileSelection::Select(int index) {
    if (index < 0 || index >= kProfileListCount)
        return false;
    const uint32_t key = ItemSizeKey(index);
    targetWidth_ = SizeKeyWidth(key);
    targetHeight_ = SizeKeyHeight(key);
    selected_ = index;
    return true;
}

bool ProfileSelection::SetCustomSize(int width, int height) {
    if (!CustomSideAllowed(width) || !CustomSideAllowed(height))
        return false;
    customWidth_ = width;
    customHeight_ = height;
    return Select(kCustomProfileIndex);
}

std::string ProfileSelection::ItemText(int index) const {
    if (index == kCustomProfileIndex)
        return CustomProfileText(customWidth_, customHeight_);
    if (index < 0 || index >= kProfileListCount)
        return {};
    return PhoneProfiles()[size_t(index - 1)].name;
}

uint32_t ProfileSelection::ItemSizeKey(int index) const {
    if (index == kCustomProfileIndex)
        return MakeSizeKey(customWidth_, customHeight_);
    if (index < 0 || index >= kProfileListCount)
        return 0;
    const PhoneProfile& p = PhoneProfiles()[size_t(index - 1)];
    return MakeSizeKey(p.width, p.height);
}

std::string ProfileSelection::Caption() const {
    char size[48];
    std::snprintf(size, sizeof size, " [%d x %d]", targetWidth_, targetHeight_);
    return "モコア " + ItemText(selected_) + " " + size;
}

int FindProfileByName(const std::string& name, int customWidth, int customHeight) {
    if (name == CustomProfileText(customWidth, customHeight))
        return kCustomProfileIndex;
    const auto profiles = PhoneProfiles();
    for (size_t i = 0; i < profiles.size(); ++i)
        if (name == profiles[i].name)
            return int(i) + 1;
    return -1;
}
