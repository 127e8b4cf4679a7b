// Colour words and the hue/lightness/saturation arithmetic of the colour selector, plus
// the geometry its two pages draw and pick by. Pure functions, no widgets.
#pragma once

#include <QPoint>
#include <QRect>

#include <cstdint>

// Red in the low byte, then green, then blue: 0x00BBGGRR.
using ColorWord = uint32_t;

constexpr ColorWord MakeColorWord(int red, int green, int blue) {
    return ColorWord(red & 0xFF) | (ColorWord(green & 0xFF) << 8) | (ColorWord(blue & 0xFF) << 16);
}
constexpr int ColorRed(ColorWord c) {
    return int(c & 0xFF);
}
constexpr int ColorGreen(ColorWord c) {
    return int((c >> 8) & 0xFF);
}
constexpr int ColorBlue(ColorWord c) {
    return int((c >> 16) & 0xFF);
}

// Hue in sixths (pure red is 1.0), saturation and lightness, each 0..1.
struct Hls {
    double h = 0, s = 0, l = 0;
};

// Updates `hls` from red, green and blue in 0..1. For black the previous hue and
// saturation stay, for greys the previous hue (saturation becomes 0).
void RgbToHls(double r, double g, double b, Hls* hls);
void HlsToRgb(const Hls& hls, double* r, double* g, double* b);
ColorWord HlsToColor(const Hls& hls);

// The 216 web-safe colours: red changes fastest, then blue, then green.
constexpr int kWebSafeCount = 216;
ColorWord WebSafeColor(int index);
// The first entry equal to the colour, or -1.
int FindWebSafeIndex(ColorWord color);

// Map page of a control of the given size (client coordinates).
struct ColorMapLayout {
    int columns = 0, rows = 0; // cells of 3 x 3 pixels
    QRect map;                 // the cells
    QRect bar;                 // the lightness bar, 17 pixels wide
    QRect mapHit, barHit;      // grown by 1 pixel, for picking
};
ColorMapLayout LayoutColorMap(const QSize& control);
// Top-left corners of the 5 x 5 markers for the colour `hls`.
QPoint MapMarkerPosition(const ColorMapLayout& layout, const Hls& hls);
QPoint BarMarkerPosition(const ColorMapLayout& layout, const Hls& hls);
// Applies a pick at `point`; false when the point is on neither the map nor the bar.
bool PickOnColorMap(const ColorMapLayout& layout, const QPoint& point, Hls* hls);

// Palette page: 10 x 10 cells, `columns` a row.
struct PaletteLayout {
    QRect inner;
    int columns = 0;
};
PaletteLayout LayoutPalette(const QSize& control);
QRect PaletteCell(const PaletteLayout& layout, int index);
// The entry under `point`, or -1.
int PickOnPalette(const PaletteLayout& layout, const QPoint& point);
