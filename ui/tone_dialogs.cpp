#include "ui/tone_dialogs.h"

#include "ui/dialog_units.h"
#include "ui/integer_field.h"
#include "ui/up_down_buttons.h"
#include "ui/user_prompts.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>

#include <climits>
#include <cstdlib>

namespace {

void AddOkCancel(QDialog* dialog, const DialogUnits& du, int x, int y) {
    auto* ok = new QPushButton(QStringLiteral("OK"), dialog);
    ok->setGeometry(du.Rect(x, y, 50, 14));
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    auto* cancel = new QPushButton(QCoreApplication::translate("ToneDialogs", "ｷｬﾝｾﾙ"), dialog);
    cancel->setGeometry(du.Rect(x + 56, y, 50, 14));
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
}

} // namespace

CBrightnessContrastDlg::CBrightnessContrastDlg(AdjustTarget* target, QWidget* parent)
    : CAdjustDialog(target, parent) {
    setWindowTitle(tr("明るさ＆コントラスト処理"));
    setFont(DialogFont());
    const DialogUnits du = DialogUnits::FromFont(font());
    setFixedSize(du.X(220), du.Y(86));
    auto* label = new QLabel(tr("明るさ："), this);
    label->setGeometry(du.Rect(8, 10, 50, 10));
    brightness_ = AddSlider(-255, 255, du.Rect(60, 7, 152, 18));
    label = new QLabel(tr("コントラスト："), this);
    label->setGeometry(du.Rect(8, 36, 50, 10));
    contrast_ = AddSlider(-100, 100, du.Rect(60, 33, 152, 18));
    AddOkCancel(this, du, 100, 64);
}

void CBrightnessContrastDlg::SliderReleased() {
    Reapply(BrightnessContrastOp,
            BrightnessContrastParam(brightness_->value(), contrast_->value()));
}

int16_t ParseComponentText(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return int16_t(std::strtol(bytes.constData(), nullptr, 10));
}

CColorComponentDlg::CColorComponentDlg(AdjustTarget* target, UserPrompts* prompts, QWidget* parent)
    : CAdjustDialog(target, parent), prompts_(prompts) {
    setWindowTitle(tr("色成分調整処理(RGB/YCrCb)"));
    setFont(DialogFont());
    const DialogUnits du = DialogUnits::FromFont(font());
    setFixedSize(du.X(240), du.Y(126));

    auto* typeLabel = new QLabel(tr("カラータイプ :"), this);
    typeLabel->setGeometry(du.Rect(8, 10, 50, 10));
    typeList_ = new QComboBox(this);
    typeList_->addItems({QStringLiteral("RGB"), QStringLiteral("YCrCb")});
    typeList_->setGeometry(du.Rect(60, 8, 60, 14));
    static constexpr const char* kNames[] = {"R : ", "G : ", "B : "};
    for (int i = 0; i < 3; ++i) {
        const int y = 30 + 24 * i;
        Row& row = rows_[size_t(i)];
        row.label = new QLabel(QString::fromLatin1(kNames[i]), this);
        row.label->setGeometry(du.Rect(8, y + 3, 20, 10));
        row.slider = AddSlider(-255, 255, du.Rect(30, y, 140, 18));
        row.edit = new QLineEdit(QStringLiteral("0"), this);
        row.edit->setGeometry(du.Rect(176, y + 2, 36, 14));
        AttachUpDown(this, row.edit, du.Rect(212, y + 2, 10, 14), -255, 255);
        connect(row.edit, &QLineEdit::textChanged, this, &CColorComponentDlg::OnEditChanged);
    }
    AddOkCancel(this, du, 120, 106);
    connect(typeList_, &QComboBox::currentIndexChanged, this, &CColorComponentDlg::OnTypeChanged);
    ready_ = true;
}

void CColorComponentDlg::Apply() {
    Reapply(type_ == kRgb ? RgbOffsetOp : YCrCbOffsetOp, OffsetsParam(values_));
}

void CColorComponentDlg::ShowValues(bool sliders, bool edits) {
    const int16_t v[3] = {values_.first, values_.second, values_.third};
    for (size_t i = 0; i < 3; ++i) {
        // Values beyond the range show at the slider's end.
        if (sliders)
            rows_[i].slider->setValue(v[i]);
        if (edits) {
            const QSignalBlocker quiet(rows_[i].edit);
            rows_[i].edit->setText(QString::number(v[i]));
        }
    }
}

void CColorComponentDlg::SliderReleased() {
    values_ = {int16_t(rows_[0].slider->value()), int16_t(rows_[1].slider->value()),
               int16_t(rows_[2].slider->value())};
    Apply();
    ShowValues(false, true);
}

void CColorComponentDlg::OnEditChanged() {
    if (!ready_)
        return;
    values_ = {ParseComponentText(rows_[0].edit->text()), ParseComponentText(rows_[1].edit->text()),
               ParseComponentText(rows_[2].edit->text())};
    Apply();
    ShowValues(true, false);
}

void CColorComponentDlg::OnTypeChanged(int index) {
    const ColorType next = index == kYCrCb ? kYCrCb : kRgb;
    if (next == type_)
        return;
    static constexpr const char* kLabels[2][3] = {{"R : ", "G : ", "B : "},
                                                  {"Y : ", "Cr : ", "Cb : "}};
    for (size_t i = 0; i < 3; ++i)
        rows_[i].label->setText(QString::fromLatin1(kLabels[next][i]));
    remembered_[type_] = values_;
    type_ = next;
    values_ = remembered_[type_];
    Apply();
    ShowValues(true, true);
}

void CColorComponentDlg::accept() {
    for (const Row& row : rows_) {
        int value = 0;
        if (CheckIntegerField(row.edit->text(), INT_MIN, INT_MAX, &value) !=
            IntegerFieldCheck::kOk) {
            prompts_->ShowMessage(this, NotIntegerPrompt(), UserPrompts::Icon::kWarning);
            row.edit->setFocus();
            return;
        }
    }
    CAdjustDialog::accept();
}
