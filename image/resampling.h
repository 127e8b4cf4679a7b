// The ways a selection of a picture becomes the phone-sized picture.
#pragma once

#include "image/dib.h"
#include "image/rect.h"

enum class Resampling {
    // ResampleImage (image/transform.h): one bilinear sample at each target pixel's
    // top-left corner. Quick, but a large shrink skips most of the picture.
    Classic,
    // Each target pixel is the mean of the area it covers, exact in whole numbers for any
    // ratio (rounded half up). A side that grows is interpolated bilinearly about pixel
    // centres.
    Area,
    // Lanczos-3 about pixel centres, the selection's edges repeated outward. Beyond a
    // shrink of three, the selection is first area-averaged to three times the target.
    Lanczos,
};

// Fills the whole of `dest` (24 bits) from the rectangle `from` of `source` (any depth).
// Classic gives exactly ResampleImage's bytes. For Area and Lanczos the rectangle must be
// inside the picture and not empty; they read nothing outside it. False when nothing was
// written (no picture, a rectangle refused, out of memory).
[[nodiscard]] bool ResampleRect(PackedDib* dest, const PackedDib* source, const ImageRect& from,
                                Resampling how);

// The same from a picture decoded at 1/reduction of its size (ReadJpegReduced), each of its
// pixels standing for a reduction-square of the whole picture: `from` is in pixels of the
// whole picture, and area means weigh every reduced pixel by exactly the part of `from` it
// stands for. Area and Lanczos only, 24 bits, and only for a shrink of at least the
// reduction either way; false (nothing written) otherwise.
[[nodiscard]] bool ResampleReducedRect(PackedDib* dest, const PackedDib* reduced, int reduction,
                                       const ImageRect& from, Resampling how);
