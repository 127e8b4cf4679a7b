// The per-user settings file. It holds a mail password, so it is created readable and
// writable by the user only.
#pragma once

#include <QSettings>
#include <QString>

#include <memory>

inline constexpr const char* kOrganisationName = "NAVA";
// UTF-8 for "モコア"; names the settings file and the windows.
inline constexpr const char* kApplicationName = "\xE3\x83\xA2\xE3\x82\xB3\xE3\x82\xA2";

// <user config folder>/NAVA/モコア.ini
QString UserSettingsPath();

// Opens the settings file in INI format, creating it with mode 0600 (and missing folders
// with 0700) first and narrowing the mode of an existing file that others could read. A
// settings file that is a symbolic link or another user's, or a folder others could plant
// one in, is neither read nor written: the session runs on the defaults.
std::unique_ptr<QSettings> OpenUserSettings();
