// The source picture of a conversion: read from a file and adjusted as the editing
// commands would before a selection is made.
#pragma once

#include "cli/convert_options.h"
#include "image/dib.h"

#include <string>

// A 24-bit picture, or none with the reason in `error`. Plug-ins are loaded the first time
// a format needs them.
DibPtr LoadSourcePicture(const std::string& path, std::string* error);

// Rotation, flips, free rotation, brightness and contrast, then colour offsets; none when
// memory runs out.
DibPtr AdjustSourcePicture(DibPtr picture, const ConvertOptions& options);
