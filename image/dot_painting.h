// Pixel painting of the dot editor on 24-bit pictures: the square pen and the region fill.
// Coordinates count from the top-left corner; colours are 0x00BBGGRR words.
#pragma once

#include "image/dib.h"

#include <cstdint>

// Sets every pixel of the square of side 2 r + 1 centred on (x, y) that lies inside the
// picture; the number of pixels set.
int StampPen(PackedDib* image, int x, int y, int r, uint32_t color);

// Called once for every pixel the fill examines, with the whole part of its distance to
// the start colour.
using FillTrace = void (*)(void* context, int distance);

// Fills the 4-connected area around (x, y) whose colours lie within `tolerance` of the
// start pixel's colour (Euclidean distance in red, green, blue; the bound included). The
// pending pixels are kept on an explicit stack, so a fill over the whole picture costs no
// call depth. The number of pixels filled; 0 for a point outside the picture.
int FillRegion(PackedDib* image, int x, int y, uint32_t color, int tolerance,
               FillTrace trace = nullptr, void* traceContext = nullptr);
