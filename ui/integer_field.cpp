#include "ui/integer_field.h"

#include <QCoreApplication>
#include <QRegularExpression>

IntegerFieldCheck CheckIntegerField(const QString& text, int low, int high, int* value) {
    static const QRegularExpression pattern(QStringLiteral("^\\s*([+-]?\\d+)\\s*$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return IntegerFieldCheck::kNotInteger;
    bool ok = false;
    const int number = match.captured(1).toInt(&ok);
    if (!ok)
        return IntegerFieldCheck::kNotInteger;
    *value = number;
    return number < low || number > high ? IntegerFieldCheck::kOutOfRange : IntegerFieldCheck::kOk;
}

QString NotIntegerPrompt() {
    return QCoreApplication::translate("IntegerField", "整数を入力してください。");
}

QString RangePrompt(int low, int high) {
    return QCoreApplication::translate("IntegerField", "%1 から %2 までの整数を入力してください。")
        .arg(low)
        .arg(high);
}
