// Unique files in the user's temporary folder.
#pragma once

#include <string>

// The user's temporary folder ($TMPDIR, else /tmp).
std::string TempFolder();

// Creates a new empty file named prefix + six unique characters + suffix in the temporary
// folder and returns its path; empty when it cannot be created. The file is removed should
// the program be told to stop; its owner deletes it with RemoveTempFile
// (phone/temp_file_cleanup.h).
std::string CreateTempFile(const std::string& prefix, const std::string& suffix = "");
