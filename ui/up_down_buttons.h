// A spin button bound to an edit field: a pair of arrow buttons that step the field's
// whole number within a range and write it back. The field's text stays free, so the
// dialog can still refuse what was typed.
#pragma once

#include <QRect>

class QLineEdit;
class QToolButton;
class QWidget;

struct UpDownButtons {
    QToolButton* up = nullptr;
    QToolButton* down = nullptr;
};

// Places the pair in `place` (upper half up, lower half down). A press takes the field's
// number, or the last value the pair wrote when the text holds none, moves it one step
// within [low, high] without wrapping around and writes it into the field.
UpDownButtons AttachUpDown(QWidget* parent, QLineEdit* edit, const QRect& place, int low, int high);
