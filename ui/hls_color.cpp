#include "ui/hls_color.h"

#include <algorithm>

void RgbToHls(double r, double g, double b, Hls* hls) {
    const double max = std::max({r, g, b});
    const double min = std::min({r, g, b});
    hls->l = (max + min) / 2;
    if (hls->l <= 0)
        return;
    const double d = max - min;
    hls->s = d;
    if (d <= 0)
        return;
    hls->s = hls->l <= 0.5 ? d / (max + min) : d / (2 - max - min);
    const double rc = (max - r) / d, gc = (max - g) / d, bc = (max - b) / d;
    double h;
    if (r == max)
        h = g == min ? 5 + bc : 1 - gc;
    else if (g == max)
        h = b == min ? 1 + rc : 3 - bc;
    else
        h = r == min ? 3 + gc : 5 - rc;
    hls->h = h / 6;
}

void HlsToRgb(const Hls& hls, double* r, double* g, double* b) {
    const double v = hls.l <= 0.5 ? hls.l * (1 + hls.s) : hls.l + hls.s - hls.l * hls.s;
    if (v <= 0) {
        *r = *g = *b = 0;
        return;
    }
    const double m = 2 * hls.l - v;
    const double sv = (v - m) / v;
    double h = hls.h >= 1 ? 0 : hls.h;
    h *= 6;
    const int sextant = int(h);
    const double f = h - sextant;
    const double vsf = v * sv * f;
    const double up = m + vsf, down = v - vsf;
    switch (sextant) {
    case 0:
        *r = v, *g = up, *b = m;
        break;
    case 1:
        *r = down, *g = v, *b = m;
        break;
    case 2:
        *r = m, *g = v, *b = up;
        break;
    case 3:
        *r = m, *g = down, *b = v;
        break;
    case 4:
        *r = up, *g = m, *b = v;
        break;
    default:
        *r = v, *g = m, *b = down;
        break;
    }
}

ColorWord HlsToColor(const Hls& hls) {
    double r, g, b;
    HlsToRgb(hls, &r, &g, &b);
    auto channel = [](double value) { return std::clamp(int(value * 255), 0, 255); };
    return MakeColorWord(channel(r), channel(g), channel(b));
}

ColorWord WebSafeColor(int index) {
    return MakeColorWord(51 * (index % 6), 51 * (index / 36), 51 * ((index / 6) % 6));
}

int FindWebSafeIndex(ColorWord color) {
    color &= 0xFFFFFF;
    for (int i = 0; i < kWebSafeCount; ++i)
        if (WebSafeColor(i) == color)
            return i;
    return -1;
}

ColorMapLayout LayoutColorMap(const QSize& control) {
    ColorMapLayout layout;
    const QRect inner(4, 4, control.width() - 8, control.height() - 8);
    const int mapWidth = inner.width() - 22;
    layout.columns = std::max(0, mapWidth / 3);
    layout.rows = std::max(0, inner.height() / 3);
    layout.map = QRect(inner.left(), inner.top(), 3 * layout.columns, 3 * layout.rows);
    const int barLeft = inner.left() + mapWidth + 5;
    layout.bar = QRect(barLeft, inner.top(), 17, 3 * layout.rows);
    layout.mapHit = layout.map.adjusted(-1, -1, 1, 1);
    layout.barHit = layout.bar.adjusted(-1, -1, 1, 1);
    return layout;
}

QPoint MapMarkerPosition(const ColorMapLayout& layout, const Hls& hls) {
    return {layout.map.left() + int(3 * layout.columns * hls.h) - 2,
            layout.map.top() + int(3 * layout.rows * hls.s) - 2};
}

QPoint BarMarkerPosition(const ColorMapLayout& layout, const Hls& hls) {
    return {layout.bar.left() + 6, layout.bar.top() + int(3 * layout.rows * hls.l) - 2};
}

bool PickOnColorMap(const ColorMapLayout& layout, const QPoint& point, Hls* hls) {
    const QRect& map = layout.mapHit;
    const QRect& bar = layout.barHit;
    if (map.contains(point)) {
        hls->h = double(point.x() - map.left()) / map.width();
        hls->s = double(point.y() - map.top()) / map.height();
        hls->l = std::clamp(hls->l, 0.0, 1.0);
        hls->h = std::clamp(hls->h, 0.0, 0.999);
        hls->s = std::clamp(hls->s, 0.0, 0.995);
        return true;
    }
    if (bar.contains(point)) {
        hls->l = double(point.y() - bar.top()) / bar.height();
        return true;
    }
    return false;
}

PaletteLayout LayoutPalette(const QSize& control) {
    PaletteLayout layout;
    layout.inner = QRect(4, 4, control.width() - 8, control.height() - 8);
    layout.columns = std::max(1, layout.inner.width() / 10);
    return layout;
}

QRect PaletteCell(const PaletteLayout& layout, int index) {
    return QRect(layout.inner.left() + 10 * (index % layout.columns),
                 layout.inner.top() + 10 * (index / layout.columns), 10, 10);
}

int PickOnPalette(const PaletteLayout& layout, const QPoint& point) {
    if (!layout.inner.contains(point))
        return -1;
    const int column = (point.x() - layout.inner.left()) / 10;
    const int row = (point.y() - layout.inner.top()) / 10;
    if (column >= layout.columns)
        return -1;
    const int index = row * layout.columns + column;
    return index >= 0 && index < kWebSafeCount ? index : -1;
}
