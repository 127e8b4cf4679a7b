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

// A big shrink with area means or Lanczos may start from the picture decoded at a fraction
// of its size (a JPEG's scaled transform) as long as the selection keeps at least this many
// reduced pixels for each target pixel across and down.
constexpr int kReducedSourcePixels = 4;

// The largest reduction (8, 4 or 2) that keeps that many for `selection` resampled to
// `size`; 1 when none does.
int ReductionForShrink(const ImageRect& selection, OutputSize size);

// The base image of `selection` (pixels of the whole picture) resampled with `how` from
// the picture reduced by `reduction`, at the size OutputSizeForSelection gives the
// selection itself. None when it cannot be made.
DibPtr MakeBaseImageReduced(const PackedDib* reduced, int reduction, const ImageRect& selection,
                            int targetWidth, int targetHeight, bool aspectLock, Resampling how);
