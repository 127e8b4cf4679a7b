// The lists a user picks profiles and formats from, with their indices.
#pragma once

#include <ostream>

void PrintProfileList(std::ostream& out, int customWidth, int customHeight);
void PrintFormatList(std::ostream& out);
