#include "ui/color_selector.h"

#include "ui/color_swatch.h"

#include "ui/control_edges.h"

#include <QMouseEvent>
#include <QPainter>

namespace {

void DrawMarker(QPainter& p, const QPoint& topLeft) {
    p.setPen(Qt::black);
    p.setBrush(QColor(255, 255, 0));
    p.drawRect(QRect(topLeft, QSize(4, 4)));
    p.setBrush(Qt::NoBrush);
}

} // namespace

CColorSelector::CColorSelector(QWidget* parent) : QWidget(parent) {}

void CColorSelector::SetMode(int mode) {
    mode_ = mode == kPaletteMode ? kPaletteMode : kMapMode;
    update();
}

void CColorSelector::SetColorFromOutside(ColorWord color) {
    SetCurrentColor(color, PickKind::kOutside);
    update();
}

void CColorSelector::SetCurrentColor(ColorWord color, PickKind kind) {
    color &= 0xFFFFFF;
    if (swatch_)
        swatch_->SetColor(color);
    color_ = color;
    if (kind != PickKind::kMap)
        RgbToHls(ColorRed(color) / 255.0, ColorGreen(color) / 255.0, ColorBlue(color) / 255.0,
                 &hls_);
    if (kind != PickKind::kPalette)
        selected_ = FindWebSafeIndex(color);
}

void CColorSelector::PickAt(const QPoint& point) {
    if (mode_ == kMapMode) {
        if (PickOnColorMap(LayoutColorMap(size()), point, &hls_)) {
            SetCurrentColor(HlsToColor(hls_), PickKind::kMap);
            update();
        }
        return;
    }
    const PaletteLayout layout = LayoutPalette(size());
    const int index = PickOnPalette(layout, point);
    if (index < 0)
        return;
    if (selected_ >= 0)
        update(PaletteCell(layout, selected_).adjusted(-1, -1, 1, 1));
    update(PaletteCell(layout, index).adjusted(-1, -1, 1, 1));
    selected_ = index;
    SetCurrentColor(WebSafeColor(index), PickKind::kPalette);
}

void CColorSelector::mouseMoveEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    if ((event->buttons() & Qt::LeftButton) && rect().contains(point))
        PickAt(point);
}

void CColorSelector::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        PickAt(event->position().toPoint());
}

void CColorSelector::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Button));
    if (mode_ == kMapMode)
        PaintMap(p);
    else
        PaintPalette(p);
}

void CColorSelector::PaintMap(QPainter& p) {
    const ColorMapLayout layout = LayoutColorMap(size());
    for (int j = 0; j < layout.rows; ++j)
        for (int i = 0; i < layout.columns; ++i) {
            const Hls cell{double(i) / layout.columns, double(j) / layout.rows, 0.5};
            p.fillRect(layout.map.left() + 3 * i, layout.map.top() + 3 * j, 3, 3,
                       ToQColor(HlsToColor(cell)));
        }
    p.setPen(palette().color(QPalette::Button));
    p.drawRect(layout.map.adjusted(-3, -3, 2, 2));
    p.drawRect(layout.map.adjusted(-4, -4, 3, 3));
    DrawSunkenEdge(p, layout.map, palette());
    DrawMarker(p, MapMarkerPosition(layout, hls_));

    for (int j = 0; j < layout.rows; ++j) {
        const Hls band{hls_.h, hls_.s, double(j) / layout.rows};
        p.fillRect(layout.bar.left(), layout.bar.top() + 3 * j, layout.bar.width(), 3,
                   ToQColor(HlsToColor(band)));
    }
    DrawSunkenEdge(p, layout.bar, palette());
    DrawMarker(p, BarMarkerPosition(layout, hls_));
}

void CColorSelector::PaintPalette(QPainter& p) {
    const PaletteLayout layout = LayoutPalette(size());
    for (int i = 0; i < kWebSafeCount; ++i) {
        const QRect cell = PaletteCell(layout, i);
        p.fillRect(cell, ToQColor(WebSafeColor(i)));
        p.setPen(i == selected_ ? Qt::white : Qt::black);
        p.drawRect(cell.adjusted(0, 0, -1, -1));
    }
    const QRect block(layout.inner.left(), layout.inner.top(), 10 * layout.columns,
                      10 * (215 / layout.columns + 1));
    DrawSunkenEdge(p, block, palette());
}
