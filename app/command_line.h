// The program's command line: only the switches that suppress the start-up picture count.
#pragma once

#include <QStringList>

// False when an argument (after the program name) is /Embedding, -Embedding, /Automation
// or -Automation in any case; file names and other switches are ignored.
bool StartupPictureWanted(const QStringList& arguments);
