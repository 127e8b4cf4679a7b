// Files the program keeps beside its executable.
#pragma once

#include "desktop/ui_language.h"

#include <QString>

// The executable's folder, ending in "/".
QString ExecutableFolder();

// help/top.htm beside the executable; the English pages are in help/en/.
QString HelpFilePath(UiLanguage language = UiLanguageOf());

// The local pages behind the three web-page commands.
QString PluginPagePath(UiLanguage language = UiLanguageOf());
QString TransferPagePath(UiLanguage language = UiLanguageOf());
QString UpdatePagePath(UiLanguage language = UiLanguageOf());
