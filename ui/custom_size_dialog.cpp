#include "ui/custom_size_dialog.h"

#include "ui/dialog_units.h"
#include "ui/integer_field.h"
#include "ui/up_down_buttons.h"
#include "ui/user_prompts.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

CCustomSizeDlg::CCustomSizeDlg(int width, int height, UserPrompts* prompts, QWidget* parent)
    : QDialog(parent), prompts_(prompts), width_(width), height_(height) {
    setWindowTitle(tr("カスタムサイズの定義"));
    setFont(DialogFont());
    const DialogUnits du = DialogUnits::FromFont(font());
    setFixedSize(du.X(150), du.Y(62));

    auto* widthLabel = new QLabel(tr("幅："), this);
    widthLabel->setGeometry(du.Rect(10, 12, 24, 10));
    widthEdit_ = new QLineEdit(QString::number(width), this);
    widthEdit_->setGeometry(du.Rect(36, 10, 34, 14));
    AttachUpDown(this, widthEdit_, du.Rect(70, 10, 10, 14), kMinSide, kMaxSide);
    widthLabel->setBuddy(widthEdit_);

    auto* heightLabel = new QLabel(tr("高さ："), this);
    heightLabel->setGeometry(du.Rect(10, 34, 24, 10));
    heightEdit_ = new QLineEdit(QString::number(height), this);
    heightEdit_->setGeometry(du.Rect(36, 32, 34, 14));
    AttachUpDown(this, heightEdit_, du.Rect(70, 32, 10, 14), kMinSide, kMaxSide);
    heightLabel->setBuddy(heightEdit_);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(du.Rect(93, 10, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CCustomSizeDlg::accept);
    auto* cancel = new QPushButton(tr("ｷｬﾝｾﾙ"), this);
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
