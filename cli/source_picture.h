// The source picture of a conversion, adjusted as the editing commands would before a
// selection is made.
#pragma once

#include "cli/convert_options.h"

class PhoneImageDocument;

// Rotation, flips, free rotation, brightness and contrast, then colour offsets, each as its
// command does it in the windows. False when memory runs out (the picture is then left
// part way).
bool AdjustSourcePicture(PhoneImageDocument& document, const ConvertOptions& options);

// Whether the options change the source picture at all.
bool AdjustsSourcePicture(const ConvertOptions& options);
