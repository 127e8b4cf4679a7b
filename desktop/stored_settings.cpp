#include "desktop/stored_settings.h"

#include "desktop/settings_store.h"

namespace {

QString FolderValue(const QSettings& settings, const char* key, const QString& defaultFolder) {
    const QString folder = settings.value(key).toString();
    return folder.isEmpty() ? defaultFolder : folder;
}

} // namespace

FrameSettings ReadFrameSettings(const QString& defaultFolder) {
    const auto settings = OpenUserSettings();
    settings->beginGroup(PhoneSettings::kSection);
    FrameSettings frame;
    frame.loadFolder = FolderValue(*settings, "LOAD_PATH", defaultFolder);
    frame.saveFolder = FolderValue(*settings, "SAVE_PATH", defaultFolder);
    settings->endGroup();
    return frame;
}

void WriteFrameSettings(const FrameSettings& frame) {
    const auto settings = OpenUserSettings();
    settings->beginGroup(PhoneSettings::kSection);
    settings->setValue("LOAD_PATH", frame.loadFolder);
    settings->setValue("SAVE_PATH", frame.saveFolder);
    settings->endGroup();
}

UserSettingsSection::UserSettingsSection() : settings_(OpenUserSettings()) {
    settings_->beginGroup(PhoneSettings::kSection);
}

UserSettingsSection::~UserSettingsSection() {
    settings_->endGroup();
}

std::optional<int> UserSettingsSection::ReadInt(const char* key) const {
    const QVariant value = settings_->value(key);
    bool ok = false;
    const int number = value.toInt(&ok);
    if (!value.isValid() || !ok)
        return std::nullopt;
    return number;
}

void UserSettingsSection::WriteInt(const char* key, int value) {
    settings_->setValue(key, value);
}
