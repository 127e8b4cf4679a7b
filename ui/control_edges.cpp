#include "ui/control_edges.h"

#include <QPainter>

namespace {

void Ring(QPainter& p, const QRect& box, const QColor& topLeft, const QColor& bottomRight) {
    p.setPen(topLeft);
    p.drawLine(box.topLeft(), box.topRight());
    p.drawLine(box.topLeft(), box.bottomLeft());
    p.setPen(bottomRight);
    p.drawLine(box.bottomLeft(), box.bottomRight());
    p.drawLine(box.topRight(), box.bottomRight());
}

} // namespace

void DrawSunkenEdge(QPainter& p, const QRect& inside, const QPalette& pal) {
    Ring(p, inside.adjusted(-2, -2, 2, 2), pal.color(QPalette::Mid), pal.color(QPalette::Light));
    Ring(p, inside.adjusted(-1, -1, 1, 1), pal.color(QPalette::Dark),
         pal.color(QPalette::Midlight));
}

void DrawBumpEdge(QPainter& p, const QRect& box, const QPalette& pal) {
    Ring(p, box, pal.color(QPalette::Light), pal.color(QPalette::Dark));
    Ring(p, box.adjusted(1, 1, -1, -1), pal.color(QPalette::Dark), pal.color(QPalette::Light));
}
