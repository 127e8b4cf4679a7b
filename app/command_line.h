// The program's command line: the switches that suppress the start-up picture and the
// picture file to open.
#pragma once

#include <QStringList>

// False when an argument (after the program name) is /Embedding, -Embedding, /Automation
// or -Automation in any case; file names and other switches are ignored.
bool StartupPictureWanted(const QStringList& arguments);

// The first argument (after the program name) that names a file: a path or a file: URL,
// as file managers hand them over. Switches are skipped: anything starting with "-",
// and /Embedding and /Automation; after "--" every argument is a file. Empty when none.
QString PictureFileArgument(const QStringList& arguments);
