// Where the dot editor puts the enlarged picture, and which picture pixel lies under a
// point of its client area. Plain arithmetic so that it can be checked without widgets.
#pragma once

#include "image/rect.h"

struct DotEditGeometry {
    int width = 0, height = 0;    // picture size in pixels
    int zoom = 1;                 // screen pixels per picture pixel
    int extentX = 0, extentY = 0; // the picture plus a margin of two pixels on every side
    int originX = 0, originY = 0; // screen position of the picture's top-left corner

    // The picture rectangle on the screen.
    ImageRect PictureRect() const {
        return {originX, originY, originX + width * zoom, originY + height * zoom};
    }
};

// Picture w x h at `zoom` in a client area cw x ch scrolled to (scrollX, scrollY); a
// dimension whose extent is smaller than the client area is centred instead.
DotEditGeometry ComputeDotEditGeometry(int w, int h, int zoom, int cw, int ch, int scrollX,
                                       int scrollY);

// The picture pixel under screen point (mx, my); false when the point lies outside the
// picture (points left of or above it never round to column or row 0).
bool ScreenToPixel(const DotEditGeometry& g, int mx, int my, int* ix, int* iy);

// Screen rectangle of the pen's footprint, a square of 2 r + 1 pixels centred on (ix, iy).
ImageRect FootprintRect(const DotEditGeometry& g, int ix, int iy, int r);

struct ScrollBarNeed {
    bool horizontal = false, vertical = false;
};
// A bar for each direction whose extent exceeds the client area.
ScrollBarNeed NeededScrollBars(const DotEditGeometry& g, int cw, int ch);

// The tool change rule: selecting the current tool does nothing; otherwise the current
// tool becomes the previous one unless the new tool is the previous one already.
struct ToolState {
    int current = 0;
    int previous = 0; // 0: none
};
void ChangeTool(ToolState* state, int tool);
