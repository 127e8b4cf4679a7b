// The values of section SETTING: read once when their owners are made (the main window and
// its document) and written back when they go. Whatever a hand-edited file holds, the
// values read are usable: the document's indices and sizes are checked by the phone model,
// which falls back to its defaults.
#pragma once

#include "phone/settings.h"

#include <QString>

#include <memory>

class QSettings;

struct FrameSettings {
    QString loadFolder; // where the Open dialog starts
    QString saveFolder; // where the Save dialog starts
};

// An empty or unreadable folder value gives defaultFolder.
FrameSettings ReadFrameSettings(const QString& defaultFolder);
void WriteFrameSettings(const FrameSettings& frame);

// Section SETTING of the user's settings file as the document's store. A value that is no
// whole number (text, a list, a number beyond int) reads as missing.
class UserSettingsSection : public SettingsStore {
public:
    UserSettingsSection();
    ~UserSettingsSection() override;

    std::optional<int> ReadInt(const char* key) const override;
    void WriteInt(const char* key, int value) override;

private:
    std::unique_ptr<QSettings> settings_;
};
