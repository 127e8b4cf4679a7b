// Peak signal-to-noise ratio of a picture against a reference, over the red, green and
// blue samples: the measure the fit to a carrier's limit maximises.
#pragma once

#include "image/dib.h"

// In dB; infinity for identical pictures, NaN when the two cannot be compared (none, or
// different sizes). Any depth; palette pictures count through their colour tables.
double PsnrDb(const PackedDib* picture, const PackedDib* reference);
