#include "phone/settings.h"

PhoneSettings ReadPhoneSettings(const SettingsStore& store) {
    PhoneSettings s;
    s.customWidth = store.ReadInt(PhoneSettings::kCustomWidthKey).value_or(s.customWidth);
    s.customHeight = store.ReadInt(PhoneSettings::kCustomHeightKey).value_or(s.customHeight);
    s.selectedProfile = store.ReadInt(PhoneSettings::kProfileKey).value_or(s.selectedProfile);
    s.selectedFormat = store.ReadInt(PhoneSettings::kFormatKey).value_or(s.selectedFormat);
    s.aspectLock = store.ReadInt(PhoneSettings::kAspectLockKey).value_or(0) != 0;
    // An unknown value is taken as the default, like a missing one.
    const int resampling = store.ReadInt(PhoneSettings::kResamplingKey).value_or(0);
    if (resampling >= 0 && resampling <= int(ResamplingChoice::Lanczos))
        s.resampling = ResamplingChoice(resampling);
    return s;
}

void WritePhoneSettings(SettingsStore& store, const PhoneSettings& settings) {
    store.WriteInt(PhoneSettings::kCustomWidthKey, settings.customWidth);
    store.WriteInt(PhoneSettings::kCustomHeightKey, settings.customHeight);
    store.WriteInt(PhoneSettings::kProfileKey, settings.selectedProfile);
    store.WriteInt(PhoneSettings::kFormatKey, settings.selectedFormat);
    store.WriteInt(PhoneSettings::kAspectLockKey, settings.aspectLock ? 1 : 0);
    store.WriteInt(PhoneSettings::kResamplingKey, int(settings.resampling));
}
