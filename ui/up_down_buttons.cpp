#include "ui/up_down_buttons.h"

#include "ui/integer_field.h"

#include <QLineEdit>
#include <QToolButton>

#include <algorithm>
#include <climits>
#include <memory>

UpDownButtons AttachUpDown(QWidget* parent, QLineEdit* edit, const QRect& place, int low,
                           int high) {
    auto position = std::make_shared<int>(low);
    auto step = [edit, position, low, high](int delta) {
        int value = 0;
        if (CheckIntegerField(edit->text(), INT_MIN, INT_MAX, &value) == IntegerFieldCheck::kOk)
            *position = std::clamp(value, low, high);
        *position = std::clamp(*position + delta, low, high);
        edit->setText(QString::number(*position));
    };
    UpDownButtons pair;
    pair.up = new QToolButton(parent);
    pair.up->setArrowType(Qt::UpArrow);
    pair.up->setGeometry(place.x(), place.y(), place.width(), place.height() / 2);
    pair.up->setAutoRepeat(true);
    QObject::connect(pair.up, &QToolButton::clicked, parent, [step] { step(1); });
    pair.down = new QToolButton(parent);
    pair.down->setArrowType(Qt::DownArrow);
    pair.down->setGeometry(place.x(), place.y() + place.height() / 2, place.width(),
                           place.height() - place.height() / 2);
    pair.down->setAutoRepeat(true);
    QObject::connect(pair.down, &QToolButton::clicked, parent, [step] { step(-1); });
    return pair;
}
