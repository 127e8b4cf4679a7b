// The current-colour button of the output panel.
#pragma once

#include "ui/hls_color.h"

#include <QWidget>

class CColorSwatch : public QWidget {
    Q_OBJECT
public:
    explicit CColorSwatch(QWidget* parent = nullptr);

    ColorWord Color() const { return mainColor_; }
    ColorWord SecondColor() const { return secondColor_; }
    // Stores the main colour, redraws and announces it.
    void SetColor(ColorWord color);
    void SetTwoSwatches(bool two);

signals:
    // Sent on every SetColor and on a click, like the button notification it stands for.
    void colorChanged(ColorWord color);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    ColorWord mainColor_ = MakeColorWord(255, 255, 255);
    ColorWord secondColor_ = MakeColorWord(0, 0, 0);
    bool twoSwatches_ = true;
};
