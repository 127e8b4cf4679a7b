#include "ui/dialog_units.h"

#include <QFontMetrics>
#include <QStringList>

#include <cstdlib>

QFont DialogFont() {
    QFont font(QStringLiteral("IPAPGothic"));
    font.setFamilies(QStringList() << "IPAPGothic"
                                   << "IPAGothic"
                                   << "Noto Sans CJK JP");
    font.setPointSize(9);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

DialogUnits DialogUnits::FromFont(const QFont& font) {
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return DialogUnits((width / 26 + 1) / 2, metrics.height());
}

int DialogUnits::MulDivRound(int value, int multiplier, int divisor) {
    const long long product = (long long)value * multiplier;
    const long long half = divisor / 2;
    return int(product >= 0 ? (product + half) / divisor : -((-product + half) / divisor));
}
