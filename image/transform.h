// Resampling and geometric transforms of 24-bit pictures. Coordinates count from the
// top-left corner, y downwards; rectangles are left, top, right, bottom (exclusive).
#pragma once

#include "image/dib.h"

// Writes the blue, green, red bytes of pixel (x, y), with x and y forced into the picture.
void DibReadPixelClamped(const PackedDib* dib, int x, int y, uint8_t sample[3]);

// Bilinear sample at a real position; always 1.
int SampleBilinear(const PackedDib* dib, double x, double y, uint8_t sample[3]);

// Fills the destination rectangle in place from the source rectangle. A right or bottom of
// -1 means the full width or height. 0 when the destination is missing, else 1.
int ResampleImage(PackedDib* dest, int dx0, int dy0, int dx1, int dy1, const PackedDib* source,
                  int sx0, int sy0, int sx1, int sy1);

// Turns the picture clockwise by whole degrees (multiples of 90 go to TransformRightAngle,
// so 360 turns it upside down and 450 mirrors it); none when out of memory.
PackedDib* RotateImage(int angle, const PackedDib* source);

// 1 quarter turn clockwise, 2 half turn, 3 quarter turn counter-clockwise, 4 upside down,
// 5 mirror; none when out of memory.
PackedDib* TransformRightAngle(int code, const PackedDib* source);
