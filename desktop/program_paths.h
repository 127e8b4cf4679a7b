// Files the program keeps beside its executable.
#pragma once

#include <QString>

// The executable's folder, ending in "/".
QString ExecutableFolder();

// help/top.htm beside the executable.
QString HelpFilePath();

// The local pages behind the three web-page commands.
QString PluginPagePath();
QString TransferPagePath();
QString UpdatePagePath();
