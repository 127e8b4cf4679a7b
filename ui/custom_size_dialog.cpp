#include "ui/custom_size_dialog.h"

#include "ui/dialog_units.h"
#include "ui/integer_field.h"
#include "ui/user_prompts.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include <algorithm>
#include <climits>

namespace {

// An up-down pair beside an edit field; the text stays free so that OK can refuse it.
void AddUpDown(QWidget* dialog, QLineEdit* edit, const QRect& place) {
    auto step = [edit](int delta) {
        int value = 0;
        if (CheckIntegerField(edit->text(), INT_MIN, INT_MAX, &value) != IntegerFieldCheck::kOk)
            value = CCustomSizeDlg::kMinSide;
        value =
            std::clamp(value + delta, int(CCustomSizeDlg::kMinSide), int(CCustomSizeDlg::kMaxSide));
        edit->setText(QString::number(value));
    };
    auto* up = new QToolButton(dialog);
    up->setArrowType(Qt::UpArrow);
    up->setGeometry(place.x(), place.y(), place.width(), place.height() / 2);
    up->setAutoRepeat(true);
    QObject::connect(up, &QToolButton::clicked, dialog, [step] { step(1); });
    auto* down = new QToolButton(dialog);
    down->setArrowType(Qt::DownArrow);
    down->setGeometry(place.x(), place.y() + place.height() / 2, place.width(),
                      place.height() - place.height() / 2);
    down->setAutoRepeat(true);
    QObject::connect(down, &QToolButton::clicked, dialog, [step] { step(-1); });
}

} // namespace

CCustomSizeDlg::CCustomSizeDlg(int width, int height, UserPrompts* prompts, QWidget* parent)
    : QDialog(parent), prompts_(prompts), width_(width), height_(height) {
    setWindowTitle(QStringLiteral("カスタムサイズの定義"));
    setFont(DialogFont());
    const DialogUnits du = DialogUnits::FromFont(font());
    setFixedSize(du.X(150), du.Y(62));

    auto* widthLabel = new QLabel(QStringLiteral("幅："), this);
    widthLabel->setGeometry(du.Rect(10, 12, 24, 10));
    widthEdit_ = new QLineEdit(QString::number(width), this);
    widthEdit_->setGeometry(du.Rect(36, 10, 34, 14));
    AddUpDown(this, widthEdit_, du.Rect(70, 10, 10, 14));
    widthLabel->setBuddy(widthEdit_);

    auto* heightLabel = new QLabel(QStringLiteral("高さ："), this);
    heightLabel->setGeometry(du.Rect(10, 34, 24, 10));
    heightEdit_ = new QLineEdit(QString::number(height), this);
    heightEdit_->setGeometry(du.Rect(36, 32, 34, 14));
    AddUpDown(this, heightEdit_, du.Rect(70, 32, 10, 14));
    heightLabel->setBuddy(heightEdit_);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(du.Rect(93, 10, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CCustomSizeDlg::accept);
    auto* cancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    cancel->setGeometry(du.Rect(93, 32, 50, 14));
    connect(cancel, &QPushButton::clicked, this, &CCustomSizeDlg::reject);
}

bool CCustomSizeDlg::CheckField(QLineEdit* edit, int* value) {
    switch (CheckIntegerField(edit->text(), kMinSide, kMaxSide, value)) {
    case IntegerFieldCheck::kOk:
        return true;
    case IntegerFieldCheck::kNotInteger:
        prompts_->ShowMessage(this, NotIntegerPrompt(), UserPrompts::Icon::kWarning);
        break;
    case IntegerFieldCheck::kOutOfRange:
        prompts_->ShowMessage(this, RangePrompt(kMinSide, kMaxSide), UserPrompts::Icon::kWarning);
        break;
    }
    edit->setFocus();
    edit->selectAll();
    return false;
}

void CCustomSizeDlg::accept() {
    int width = 0, height = 0;
    if (!CheckField(widthEdit_, &width) || !CheckField(heightEdit_, &height))
        return;
    width_ = width;
    height_ = height;
    QDialog::accept();
}
