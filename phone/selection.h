// From a selection of the source picture to the phone-sized base image.
#pragma once

#include "image/dib.h"
#include "image/rect.h"
#include "image/resampling.h"

class SampledPicture;

// The largest rectangle of aspect width : height centred in `rect`; `scale` (when given)
// receives its size over the aspect size. Ties keep the full height.
ImageRect FitAspectRect(const ImageRect& rect, int aspectWidth, int aspectHeight,
                        double* scale = nullptr);

struct OutputSize {
    int width;
    int height;
    friend bool operator==(const OutputSize&, const OutputSize&) = default;
};

// The size of the base image for a selection: the target itself with the aspect lock on,
// otherwise the selection's proportions fitted inside the target box (at least 1 x 1).
OutputSize OutputSizeForSelection(int selectionWidth, int selectionHeight, int targetWidth,
                                  int targetHeight, bool aspectLock);

// Resamples `selection` (picture pixels, inside the picture, not empty) of a 24-bit
// picture to the size OutputSizeForSelection gives; none when it cannot be made.
DibPtr MakeBaseImage(const PackedDib* picture, const ImageRect& selection, int targetWidth,
                     int targetHeight, bool aspectLock, Resampling how = Resampling::Classic);

// The same from the rows and columns of a picture that were sampled for exactly this
// selection and size (image/sampled_picture.h): the classic resampling's bytes. None otherwise.
DibPtr MakeBaseImage(const SampledPicture& samples, const ImageRect& selection, int targetWidth,
                     int targetHeight, bool aspectLock);
