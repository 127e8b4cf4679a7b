// A look at the settings file's text before QSettings parses it.
#pragma once

#include <string_view>

// Whether QSettings could read a value of this INI text as serialized data ("@Variant(...)"
// or "@DateTime(...)", however escaped or quoted). Qt rebuilds such a value from the counts
// inside it without checking them, so a damaged or hand-edited file can make it allocate
// without bound. The program never writes such values; the answer errs towards yes.
bool HoldsSerializedSettingsValue(std::string_view text);
