// `mokoa-convert --info FILE...`: what each file loads as, one line per file.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// Reads every file's header and prints "PATH: WIDTHxHEIGHT, N bits" (as the picture loads)
// or "PATH: REASON". 0 when every header was read, else 1. The pictures are not decoded,
// so damage beyond the header goes unnoticed.
int RunInfoCommand(const std::vector<std::string>& files, std::ostream& out);
