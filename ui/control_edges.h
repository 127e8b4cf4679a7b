// The two-ring edges the owner-drawn controls frame their parts with.
#pragma once

#include "ui/hls_color.h"

#include <QColor>
#include <QPalette>
#include <QRect>

class QPainter;

inline QColor ToQColor(ColorWord c) {
    return QColor(ColorRed(c), ColorGreen(c), ColorBlue(c));
}

// A 2-pixel sunken edge just outside `inside`.
void DrawSunkenEdge(QPainter& p, const QRect& inside, const QPalette& pal);
// A bump edge on the outermost pixels of `box`: a raised outer ring, a sunken inner ring.
void DrawBumpEdge(QPainter& p, const QRect& box, const QPalette& pal);
