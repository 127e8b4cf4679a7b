#include "phone/selection_geometry.h"

#include "phone/selection.h"

#include <algorithm>

PictureLayout LayoutPicture(int clientWidth, int clientHeight, int pictureWidth,
                            int pictureHeight) {
    const ImageRect inner{10, 10, clientWidth - 10, clientHeight - 10};
    PictureLayout layout;
    if (pictureWidth < inner.Width() && pictureHeight < inner.Height()) {
        const int left = inner.left + (inner.Width() - pictureWidth) / 2;
        const int top = inner.top + (inner.Height() - pictureHeight) / 2;
        layout.rect = {left, top, left + pictureWidth, top + pictureHeight};
        layout.scale = 1.0;
        return layout;
    }
    if (inner.Empty() || pictureWidth <= 0 || pictureHeight <= 0)
        return {inner, 1.0};
    layout.rect = FitAspectRect(inner, pictureWidth, pictureHeight, &layout.scale);
    if (layout.scale <= 0)
        layout.scale = 1.0;
    return layout;
}

ImageRect Intersect(const ImageRect& a, const ImageRect& b) {
    const ImageRect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                      std::min(a.bottom, b.bottom)};
    return r.Empty() ? ImageRect{} : r;
}

bool Contains(const ImageRect& rect, int x, int y) {
    return x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
}

ImageRect SelectionToPicturePixels(const ImageRect& selection, const PictureLayout& layout,
                                   int pictureWidth, int pictureHeight) {
    const ImageRect clipped = Intersect(selection, layout.rect);
    if (clipped.Empty())
        return {};
    auto convert = [&](int value, int origin, int limit) {
        return std::clamp(int((value - origin) * (1.0 / layout.scale) + 0.5), 0, limit);
    };
    return {convert(clipped.left, layout.rect.left, pictureWidth),
            convert(clipped.top, layout.rect.top, pictureHeight),
            convert(clipped.right, layout.rect.left, pictureWidth),
            convert(clipped.bottom, layout.rect.top, pictureHeight)};
}

ImageRect PicturePixelsToSelection(const ImageRect& pixels, const PictureLayout& layout) {
    auto convert = [&](int value, int origin) { return int(value * layout.scale + 0.5) + origin; };
    return {convert(pixels.left, layout.rect.left), convert(pixels.top, layout.rect.top),
            convert(pixels.right, layout.rect.left), convert(pixels.bottom, layout.rect.top)};
}

ImageRect HandleRect(const ImageRect& selection) {
    return {selection.left - 4, selection.top - 4, selection.left + 4, selection.top + 4};
}

ImageRect TrackMove(const ImageRect& selection, const ImageRect& picture, int x, int y) {
    ImageRect r{x, y, x + selection.Width(), y + selection.Height()};
    auto shift = [&r](int dx, int dy) { r.left += dx, r.right += dx, r.top += dy, r.bottom += dy; };
    if (r.left < picture.left)
        shift(picture.left - r.left, 0);
    if (r.right > picture.right)
        shift(picture.right - r.right, 0);
    if (r.top < picture.top)
        shift(0, picture.top - r.top);
    if (r.bottom > picture.bottom)
        shift(0, picture.bottom - r.bottom);
    return r;
}

ImageRect TrackNewSelection(int pressX, int pressY, int x, int y, const ImageRect& picture,
                            bool aspectLock, int targetWidth, int targetHeight) {
    const ImageRect spanned{std::min(pressX, x), std::min(pressY, y), std::max(pressX, x),
                            std::max(pressY, y)};
    const ImageRect rect = Intersect(spanned, picture);
    if (!aspectLock || rect.Empty() || targetWidth <= 0 || targetHeight <= 0)
        return rect;
    ImageRect fit = FitAspectRect(rect, targetWidth, targetHeight);
    const int dx = fit.left - rect.left;
    const int dy = fit.top - rect.top;
    if (x < pressX)
        fit.left += dx, fit.right += dx;
    else
        fit.left -= dx, fit.right -= dx;
    if (y < pressY)
        fit.top += dy, fit.bottom += dy;
    else
        fit.top -= dy, fit.bottom -= dy;
    return fit;
}
