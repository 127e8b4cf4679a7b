// The arithmetic of the source view: where the picture sits in the client area, how the
// selection converts to picture pixels and back, and the rectangle a drag produces.
// Rectangles are in client pixels unless named otherwise; right and bottom are exclusive.
#pragma once

#include "image/rect.h"

struct PictureLayout {
    ImageRect rect;     // where the picture is drawn
    double scale = 1.0; // screen pixels per picture pixel
};

// The picture 1:1 and centred when it is strictly smaller than the client area less a
// 10-pixel margin on every side, otherwise fitted into that inner area.
PictureLayout LayoutPicture(int clientWidth, int clientHeight, int pictureWidth, int pictureHeight);

// The selection clipped to the picture and turned into picture pixels (rounded), kept
// inside a picture of the given size.
ImageRect SelectionToPicturePixels(const ImageRect& selection, const PictureLayout& layout,
                                   int pictureWidth, int pictureHeight);
// Back to client pixels for a new layout (rounded).
ImageRect PicturePixelsToSelection(const ImageRect& pixels, const PictureLayout& layout);

// The 8 x 8 handle square centred on the selection's top-left corner.
ImageRect HandleRect(const ImageRect& selection);
bool Contains(const ImageRect& rect, int x, int y);
ImageRect Intersect(const ImageRect& a, const ImageRect& b);

// Moving by the handle: the selection's size with its top-left at (x, y), pushed back
// inside the picture rectangle.
ImageRect TrackMove(const ImageRect& selection, const ImageRect& picture, int x, int y);

// A new selection from the press point to (x, y), clipped to the picture; with the aspect
// lock the largest rectangle of the target's aspect inside it, hanging from the corner
// where the drag began.
ImageRect TrackNewSelection(int pressX, int pressY, int x, int y, const ImageRect& picture,
                            bool aspectLock, int targetWidth, int targetHeight);
