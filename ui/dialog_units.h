// Layout in dialog units: a horizontal unit is a quarter of the dialog font's average
// character width, a vertical unit an eighth of its height, as the platform's dialog
// templates count them.
#pragma once

#include <QFont>
#include <QRect>

// The Japanese Gothic font the panels and dialogs use (9 point).
QFont DialogFont();

class DialogUnits {
public:
    DialogUnits(int baseX, int baseY) : baseX_(baseX), baseY_(baseY) {}
    // Average width of the 52 Latin letters (rounded to whole pixels) and the line height.
    static DialogUnits FromFont(const QFont& font);

    int baseX() const { return baseX_; }
    int baseY() const { return baseY_; }
    int X(int units) const { return MulDivRound(units, baseX_, 4); }
    int Y(int units) const { return MulDivRound(units, baseY_, 8); }
    QRect Rect(int x, int y, int width, int height) const {
        return QRect(X(x), Y(y), X(width), Y(height));
    }

private:
    static int MulDivRound(int value, int multiplier, int divisor);
    int baseX_, baseY_;
};
