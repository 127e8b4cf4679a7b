// `mokoa-convert --info FILE...`: what each file loads as, one line per file.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// Loads every file and prints "PATH: WIDTHxHEIGHT, N bits" or "PATH: REASON". 0 when every
// file loaded, else 1.
int RunInfoCommand(const std::vector<std::string>& files, std::ostream& out);
