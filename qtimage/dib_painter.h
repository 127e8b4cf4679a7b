// Drawing packed bitmaps on a QPainter. Source rectangles count from the picture's top-left
// corner; a width or height of -1 means the whole picture.
#pragma once

#include "image/dib.h"

class QPainter;

// Draws the source rectangle scaled into the destination rectangle, nearest neighbour (rows
// and columns are dropped or repeated, never blended); a negative destination width or
// height mirrors. 0 when image or painter is missing, else 1.
int DibStretchDraw(const PackedDib* dib, QPainter* painter, int sx, int sy, int sw, int sh, int dx,
                   int dy, int dw, int dh);

// Draws the picture unscaled: width x height pixels from (sx, sy) of the picture to (dx, dy).
// 0 when image or painter is missing, else 1.
int DibDraw(const PackedDib* dib, QPainter* painter, int dx, int dy, int width, int height,
            int sx = 0, int sy = 0);
