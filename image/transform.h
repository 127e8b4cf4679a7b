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

// The lossless transforms, by their transform codes. The menu's "horizontal" flip turns the
// picture upside down and its "vertical" flip mirrors it.
enum class RightAngle : int {
    Clockwise = 1, // a quarter turn clockwise
    HalfTurn = 2,
    CounterClockwise = 3, // a quarter turn counter-clockwise
    UpsideDown = 4,       // rows in reverse order
    Mirror = 5,           // left and right exchanged
};

// Turns the picture clockwise by whole degrees; multiples of 90 go to TransformRightAngle
// with angle / 90 as the code, so 360 turns it upside down and 450 mirrors it. None when
// out of memory.
[[nodiscard]] DibPtr RotateImage(int angle, const PackedDib* source);

// None when out of memory; any other code than the five gives a black picture.
[[nodiscard]] DibPtr TransformRightAngle(RightAngle transform, const PackedDib* source);
