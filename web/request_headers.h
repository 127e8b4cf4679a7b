// Looking up header lines of a request: the request line first, then one header per line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Index of the first line at or after first that begins with name and a colon, letter
// case ignored; -1 when there is none. Index 0, the request line, takes part too.
int FindHeader(const std::vector<std::string>& lines, std::string_view name, int first);

// The value of the line at index: what follows "name: ", or, with no space after the
// colon, what follows the colon with blanks trimmed. Empty when the index is out of range
// or the line has no colon.
std::string HeaderValue(const std::vector<std::string>& lines, int index);
