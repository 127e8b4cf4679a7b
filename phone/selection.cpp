#include "phone/selection.h"

#include "image/resampling.h"
#include "image/sampled_picture.h"
#include "image/transform.h"

#include <algorithm>

ImageRect FitAspectRect(const ImageRect& rect, int aspectWidth, int aspectHeight, double* scale) {
    const int64_t width = rect.Width();
    const int64_t height = rect.Height();
    ImageRect fit = rect;
    double s;
    if (width * aspectHeight < height * aspectWidth) {
        s = double(width) / aspectWidth;
        const int h = int(s * aspectHeight);
        fit.top = rect.top + int(height - h) / 2;
        fit.bottom = fit.top + h;
    } else {
        s = double(height) / aspectHeight;
        const int w = int(aspectWidth * s);
        fit.left = rect.left + int(width - w) / 2;
        fit.right = fit.left + w;
    }
    if (scale)
        *scale = s;
    return fit;
}

OutputSize OutputSizeForSelection(int selectionWidth, int selectionHeight, int targetWidth,
                                  int targetHeight, bool aspectLock) {
    OutputSize size{targetWidth, targetHeight};
    if (aspectLock || selectionWidth <= 0 || selectionHeight <= 0)
        return size;
    const double ry = double(targetHeight) / selectionHeight;
    const double rx = double(targetWidth) / selectionWidth;
    if (rx >= ry)
        size.width = int(ry * selectionWidth);
    else
        size.height = int(rx * selectionHeight);
    // A hairline selection still gives a picture.
    size.width = std::max(size.width, 1);
    size.height = std::max(size.height, 1);
    return size;
}

DibPtr MakeBaseImage(const PackedDib* picture, const ImageRect& selection, int targetWidth,
                     int targetHeight, bool aspectLock, Resampling how) {
    if (!picture || selection.Empty() || targetWidth <= 0 || targetHeight <= 0)
        return nullptr;
    const OutputSize size = OutputSizeForSelection(selection.Width(), selection.Height(),
                                                   targetWidth, targetHeight, aspectLock);
    DibPtr base(DibCreate(24, size.width, size.height));
    if (!base || !ResampleRect(base.get(), picture, selection, how))
        return nullptr;
    return base;
}

DibPtr MakeBaseImage(const SampledPicture& samples, const ImageRect& selection, int targetWidth,
                     int targetHeight, bool aspectLock) {
    if (samples.Empty() || selection.Empty() || targetWidth <= 0 || targetHeight <= 0)
        return nullptr;
    const OutputSize size = OutputSizeForSelection(selection.Width(), selection.Height(),
                                                   targetWidth, targetHeight, aspectLock);
    DibPtr base(DibCreate(24, size.width, size.height));
    if (!base || !ResampleSampled(base.get(), samples, selection))
        return nullptr;
    return base;
}

int ReductionForShrink(const ImageRect& selection, OutputSize size) {
    for (int reduction : {8, 4, 2})
        if (int64_t(selection.Width()) >= int64_t(kReducedSourcePixels) * reduction * size.width &&
            int64_t(selection.Height()) >= int64_t(kReducedSourcePixels) * reduction * size.height)
            return reduction;
    return 1;
}

DibPtr MakeBaseImageReduced(const PackedDib* reduced, int reduction, const ImageRect& selection,
                            int targetWidth, int targetHeight, bool aspectLock, Resampling how) {
    if (!reduced || selection.Empty() || targetWidth <= 0 || targetHeight <= 0)
        return nullptr;
    const OutputSize size = OutputSizeForSelection(selection.Width(), selection.Height(),
                                                   targetWidth, targetHeight, aspectLock);
    DibPtr base(DibCreate(24, size.width, size.height));
    if (!base || !ResampleReducedRect(base.get(), reduced, reduction, selection, how))
        return nullptr;
    return base;
}
