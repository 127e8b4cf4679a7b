#include "ui/rotate_geometry.h"

#include <algorithm>
#include <cmath>

QSize RotateThumbnailSize(int width, int height) {
    if (width <= 0 || height <= 0)
        return {};
    // A very thin picture would otherwise get a side of 0, which no image can have.
    if (width > height)
        return {130, std::max(1, int(130.0 / width * height))};
    return {std::max(1, int(130.0 / height * width)), 130};
}

int PreviewBoxSide(const QSize& t) {
    return int(std::sqrt(double(t.width()) * t.width() + double(t.height()) * t.height()));
}

int ReduceAngle(int degrees) {
    const int r = degrees % 360;
    return r < 0 ? r + 360 : r;
}

DragSigns DragSignsAt(const QPoint& press, const QPoint& boxTopLeft, int d) {
    const int cx = boxTopLeft.x() + d / 2, cy = boxTopLeft.y() + d / 2;
    return {press.x() <= cx ? 1 : -1, press.y() <= cy ? -1 : 1};
}

int DragAngle(int angleAtPress, const QPoint& press, const QPoint& now, DragSigns s) {
    // In 64 bits: a drag far off the screen must not overflow before the reduction.
    const long long turned = (long long)angleAtPress + (long long)(press.y() - now.y()) * s.sx +
                             (long long)(press.x() - now.x()) * s.sy;
    return int(((turned % 360) + 360) % 360);
}
