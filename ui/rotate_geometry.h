// The numbers behind the free-rotation dialog's preview: thumbnail size, the square box
// that holds the turned thumbnail at any angle, and the drag-to-angle rule.
#pragma once

#include <QPoint>
#include <QSize>

// Longer side 130 pixels, the other in proportion (truncated, at least 1).
QSize RotateThumbnailSize(int width, int height);

// Side of the preview box: the thumbnail's diagonal, truncated.
int PreviewBoxSide(const QSize& thumbnail);

// Any whole number of degrees brought into 0..359.
int ReduceAngle(int degrees);

// Signs of a drag grabbed at `press` in a box of side d at `boxTopLeft`: sx = +1 on the
// left half (the centre included), sy = -1 on the upper half.
struct DragSigns {
    int sx = 1, sy = -1;
};
DragSigns DragSignsAt(const QPoint& press, const QPoint& boxTopLeft, int d);

// One pixel of travel is one degree; the picture follows the point it was grabbed at.
int DragAngle(int angleAtPress, const QPoint& press, const QPoint& now, DragSigns signs);
