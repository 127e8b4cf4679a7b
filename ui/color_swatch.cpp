#include "ui/color_swatch.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

namespace {

QColor ToQColor(ColorWord c) {
    return QColor(ColorRed(c), ColorGreen(c), ColorBlue(c));
}

// A bump edge: a raised outer ring and a sunken inner ring.
void DrawBump(QPainter& p, const QRect& r, const QPalette& pal) {
    auto ring = [&](const QRect& box, const QColor& topLeft, const QColor& bottomRight) {
        p.setPen(topLeft);
        p.drawLine(box.topLeft(), box.topRight());
        p.drawLine(box.topLeft(), box.bottomLeft());
        p.setPen(bottomRight);
        p.drawLine(box.bottomLeft(), box.bottomRight());
        p.drawLine(box.topRight(), box.bottomRight());
    };
    ring(r, pal.color(QPalette::Light), pal.color(QPalette::Dark));
    ring(r.adjusted(1, 1, -1, -1), pal.color(QPalette::Dark), pal.color(QPalette::Light));
}

} // namespace

CColorSwatch::CColorSwatch(QWidget* parent) : QWidget(parent) {}

void CColorSwatch::SetColor(ColorWord color) {
    mainColor_ = color & 0xFFFFFF;
    update();
    emit colorChanged(mainColor_);
}

void CColorSwatch::SetTwoSwatches(bool two) {
    twoSwatches_ = two;
    update();
}

void CColorSwatch::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Button));
    const QRect inner = rect().adjusted(1, 1, -1, -1);
    auto swatch = [&](const QRect& box, ColorWord color) {
        p.fillRect(box, ToQColor(color));
        DrawBump(p, box, palette());
    };
    if (!twoSwatches_) {
        swatch(inner, mainColor_);
        return;
    }
    const int w = inner.width() * 2 / 3, h = inner.height() * 2 / 3;
    swatch(QRect(inner.right() - w + 1, inner.bottom() - h + 1, w, h), secondColor_);
    swatch(QRect(inner.left(), inner.top(), w, h), mainColor_);
}

void CColorSwatch::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit colorChanged(mainColor_);
}
