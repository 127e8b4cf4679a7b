// Temporary files that must not outlive the program when it is told to stop. Their names are
// kept where a signal handler can reach them without allocating, and removed on SIGTERM,
// SIGHUP and SIGINT before the signal ends the program as it would have.
#pragma once

#include <string>

// Installs the handlers (once per process; later calls do nothing).
void RemoveTempFilesOnSignals();

// Puts a file on the list; false when the list is full or the path too long (the file then
// stays behind should a signal come).
bool AddTempFileToRemove(const std::string& path);

// Takes a file off the list and deletes it.
void RemoveTempFile(const std::string& path);
