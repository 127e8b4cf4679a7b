// The values of section SETTING: read once when their owners are made (the main window,
// the output panel) and written back when they go. Whatever a hand-edited file holds, the
// values read are usable: the output panel's indices and sizes are checked by the phone
// model, which falls back to its defaults.
#pragma once

#include "phone/settings.h"

#include <QString>

struct FrameSettings {
    QString loadFolder; // where the Open dialog starts
    QString saveFolder; // where the Save dialog starts
    bool aspectLock = false;
};

// An empty or unreadable folder value gives defaultFolder.
FrameSettings ReadFrameSettings(const QString& defaultFolder);
void WriteFrameSettings(const FrameSettings& frame);

// The output panel's four values; missing or unreadable ones take their defaults.
PhoneSettings ReadPhoneSettings();
void WritePhoneSettings(const PhoneSettings& phone);
