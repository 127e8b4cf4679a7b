// Opening a document, folder or web page with the desktop's own programs.
#pragma once

#include <QString>

// A local path (absolute) or an address with a scheme; true when the desktop accepted it.
bool ShellOpen(const QString& target);
