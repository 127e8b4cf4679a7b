#include "ui/color_swatch.h"

#include "ui/control_edges.h"

#include <QMouseEvent>
#include <QPainter>

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
        DrawBumpEdge(p, box, palette());
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
