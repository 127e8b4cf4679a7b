#include "desktop/stored_settings.h"

#include "desktop/settings_store.h"

namespace {

constexpr const char* kFrameSection = "SETTING";

// A value that is no whole number (text, a list, a number beyond int) keeps the default.
int IntValue(const QSettings& settings, const char* key, int defaultValue) {
    bool ok = false;
    const int value = settings.value(key, defaultValue).toInt(&ok);
    return ok ? value : defaultValue;
}

QString FolderValue(const QSettings& settings, const char* key, const QString& defaultFolder) {
    const QString folder = settings.value(key).toString();
    return folder.isEmpty() ? defaultFolder : folder;
}

} // namespace

FrameSettings ReadFrameSettings(const QString& defaultFolder) {
    const auto settings = OpenUserSettings();
    settings->beginGroup(kFrameSection);
    FrameSettings frame;
    frame.loadFolder = FolderValue(*settings, "LOAD_PATH", defaultFolder);
    frame.saveFolder = FolderValue(*settings, "SAVE_PATH", defaultFolder);
    frame.aspectLock = IntValue(*settings, "HV_LOCK", 0) != 0;
    settings->endGroup();
    return frame;
}

void WriteFrameSettings(const FrameSettings& frame) {
    const auto settings = OpenUserSettings();
    settings->beginGroup(kFrameSection);
    settings->setValue("LOAD_PATH", frame.loadFolder);
    settings->setValue("SAVE_PATH", frame.saveFolder);
    settings->setValue("HV_LOCK", frame.aspectLock ? 1 : 0);
    settings->endGroup();
}

PhoneSettings ReadPhoneSettings() {
    const auto settings = OpenUserSettings();
    settings->beginGroup(PhoneSettings::kSection);
    PhoneSettings phone;
    phone.customWidth = IntValue(*settings, PhoneSettings::kCustomWidthKey, phone.customWidth);
    phone.customHeight = IntValue(*settings, PhoneSettings::kCustomHeightKey, phone.customHeight);
    phone.selectedProfile = IntValue(*settings, PhoneSettings::kProfileKey, phone.selectedProfile);
    phone.selectedFormat = IntValue(*settings, PhoneSettings::kFormatKey, phone.selectedFormat);
    settings->endGroup();
    return phone;
}

void WritePhoneSettings(const PhoneSettings& phone) {
    const auto settings = OpenUserSettings();
    settings->beginGroup(PhoneSettings::kSection);
    settings->setValue(PhoneSettings::kCustomWidthKey, phone.customWidth);
    settings->setValue(PhoneSettings::kCustomHeightKey, phone.customHeight);
    settings->setValue(PhoneSettings::kProfileKey, phone.selectedProfile);
    settings->setValue(PhoneSettings::kFormatKey, phone.selectedFormat);
    settings->endGroup();
}
