// A look at the settings file's text before QSettings parses it.
#pragma once

#include <string_view>

// Whether QSettings would read a value of this INI text as serialized data: a value, or an
// item of a list, that starts with "@Variant(" or "@DateTime(" however escaped or quoted. Qt
// rebuilds such a value from the counts inside it without checking them, so a damaged or
// hand-edited file can make it allocate without bound. The text is split into lines, values
// and items as Qt's reader splits it, so a marker inside a quoted text (such as a mail body
// with a comma before it) is text; the answer errs towards yes only where the forms differ
// in what follows the marker.
bool HoldsSerializedSettingsValue(std::string_view text);
