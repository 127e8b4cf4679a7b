// The commands' texts (ui/command_table.h) in the user's language.
#pragma once

#include <QString>

struct CommandInfo;

// A menu or submenu text of the table, translated.
QString CommandText(const char* text);
// The status-bar half and the tool-tip half of a command's prompt; empty without one.
QString CommandStatusText(const CommandInfo& info);
QString CommandTipText(const CommandInfo& info);
