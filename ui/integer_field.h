// Reading a whole number typed into an edit field, as the dialogs check them on OK.
#pragma once

#include <QString>

enum class IntegerFieldCheck { kOk, kNotInteger, kOutOfRange };

// Optional blanks, an optional sign and digits, optional blanks; `value` receives the
// number when it is an integer at all.
IntegerFieldCheck CheckIntegerField(const QString& text, int low, int high, int* value);

// "整数を入力してください。"
QString NotIntegerPrompt();
// "%1 から %2 までの整数を入力してください。" filled with the bounds.
QString RangePrompt(int low, int high);
