// Packed bitmaps to and from QImage, the platform bitmap of the program.
#pragma once

#include "image/dib.h"

#include <QImage>
#include <QList>
#include <QRect>
#include <QRgb>

// New image of the bitmap's depth and size (1, 8, 16, 24 or 32 bits; formats without a
// packed-bitmap equivalent come out at 32 bits), or none for a null bitmap.
[[nodiscard]] DibPtr DibFromDeviceBitmap(const QImage& bitmap);

// An RGB32 copy of the picture for drawing; a null image for none.
QImage DibToQImage(const PackedDib* dib);
// The same for a rectangle of the picture (top-left origin), cut to the picture.
QImage DibToQImage(const PackedDib* dib, const QRect& area);

// The picture scaled to `size` for drawing, as RGB32: each pixel takes the picture's pixel
// under its centre (nearest neighbour). Made straight from the picture, whatever its depth,
// without a full-size copy; a null image for none or an empty size.
QImage DibToScaledQImage(const PackedDib* dib, const QSize& size);

// Fills the colour table from a palette; an empty list means the default palette. 0 for
// no image, else 1.
int DibSetColorTable(PackedDib* dib, const QList<QRgb>& palette);
