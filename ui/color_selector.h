// The colour picker of the output panel: a hue/saturation map with a lightness bar, or
// the 216 web-safe colours, one page at a time. Every pick lands in the linked swatch.
#pragma once

#include "ui/hls_color.h"

#include <QPointer>
#include <QWidget>

class CColorSwatch;

class CColorSelector : public QWidget {
    Q_OBJECT
public:
    enum Mode { kMapMode = 0, kPaletteMode = 1 };

    explicit CColorSelector(QWidget* parent = nullptr);

    void SetMode(int mode);
    int Mode() const { return mode_; }
    // As the eyedropper sets it: both the map position and the palette entry follow.
    void SetColorFromOutside(ColorWord color);
    void Link(CColorSwatch* swatch) { swatch_ = swatch; }

    ColorWord CurrentColor() const { return color_; }
    const Hls& CurrentHls() const { return hls_; }
    int SelectedPaletteIndex() const { return selected_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    enum class PickKind { kMap, kPalette, kOutside };
    void SetCurrentColor(ColorWord color, PickKind kind);
    void PickAt(const QPoint& point);
    void PaintMap(class QPainter& p);
    void PaintPalette(class QPainter& p);

    int mode_ = kMapMode;
    ColorWord color_ = 0;
    Hls hls_;
    int selected_ = 0;
    QPointer<CColorSwatch> swatch_;
};
