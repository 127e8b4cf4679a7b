#include "ui/rotate_dialog.h"

#include "image/transform.h"
#include "qtimage/dib_painter.h"
#include "ui/control_edges.h"
#include "ui/dialog_units.h"
#include "ui/integer_field.h"
#include "ui/rotate_geometry.h"
#include "ui/up_down_buttons.h"
#include "ui/user_prompts.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

#include <algorithm>
#include <climits>

CRotateDlg::CRotateDlg(const PackedDib* source, UserPrompts* prompts, QWidget* parent)
    : QDialog(parent), source_(source), prompts_(prompts) {
    setWindowTitle(tr("画像の回転"));
    setFont(DialogFont());
    const DialogUnits du = DialogUnits::FromFont(font());

    const QSize thumb = source ? RotateThumbnailSize(source->width, source->height) : QSize();
    if (!thumb.isEmpty())
        thumbnail_ = DibCreate(DibBitCount(source), thumb.width(), thumb.height());
    if (thumbnail_) {
        ResampleImage(thumbnail_.get(), 0, 0, -1, -1, source, 0, 0, -1, -1);
        preview_ = DibDuplicate(thumbnail_.get(), nullptr);
        boxSide_ = PreviewBoxSide(thumb);
    }

    // The controls stand to the right of the preview box.
    const int x0 = kBoxLeft + std::max(boxSide_, 145) + 16;
    auto* text =
        new QLabel(tr("右の画像をﾄﾞﾗｯｸﾞするか\n回転角度を入力してください (0～359)"), this);
    text->setGeometry(x0, kBoxTop, du.X(120), du.Y(20));
    edit_ = new QLineEdit(QStringLiteral("0"), this);
    edit_->setObjectName("angle");
    edit_->setGeometry(x0, kBoxTop + du.Y(26), du.X(40), du.Y(14));
    const UpDownButtons spin = AttachUpDown(
        this, edit_, QRect(x0 + du.X(40), kBoxTop + du.Y(26), du.X(10), du.Y(14)), 0, 359);
    spinUp_ = spin.up;
    spinDown_ = spin.down;
    auto* line = new QFrame(this);
    line->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    line->setGeometry(x0, kBoxTop + du.Y(46), du.X(120), 2);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(x0 + du.X(12), kBoxTop + du.Y(54), du.X(50), du.Y(14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CRotateDlg::accept);
    auto* cancel = new QPushButton(tr("ｷｬﾝｾﾙ"), this);
    cancel->setGeometry(x0 + du.X(68), kBoxTop + du.Y(54), du.X(50), du.Y(14));
    connect(cancel, &QPushButton::clicked, this, &CRotateDlg::reject);
    setFixedSize(x0 + du.X(128),
                 std::max(kBoxTop + std::max(boxSide_, 145) + 10, kBoxTop + du.Y(76)));

    connect(edit_, &QLineEdit::textChanged, this, &CRotateDlg::OnEditChanged);
}

DibPtr CRotateDlg::Run(const PackedDib* source, UserPrompts* prompts, QWidget* parent) {
    CRotateDlg dialog(source, prompts, parent);
    if (dialog.exec() != QDialog::Accepted)
        return nullptr;
    return dialog.Rotated();
}

DibPtr CRotateDlg::Rotated() const {
    // Always from the full source, never from the preview.
    return DibPtr(source_ ? RotateImage(ReduceAngle(angle_), source_) : nullptr);
}

bool CRotateDlg::TakeAngleFromEdit() {
    int value = 0;
    if (CheckIntegerField(edit_->text(), INT_MIN, INT_MAX, &value) != IntegerFieldCheck::kOk) {
        prompts_->ShowMessage(this, NotIntegerPrompt(), UserPrompts::Icon::kWarning);
        return false;
    }
    // 360 and 450 would reach the rotation as its two flips, and any other number
    // outside 0..359 is the same turn as its remainder.
    angle_ = ReduceAngle(value);
    return true;
}

void CRotateDlg::OnEditChanged() {
    TakeAngleFromEdit();
    if (thumbnail_)
        RotatePreview();
}

void CRotateDlg::RotatePreview() {
    if (DibPtr turned{RotateImage(angle_, thumbnail_.get())})
        preview_ = std::move(turned);
    repaint(PreviewBox());
}

void CRotateDlg::accept() {
    if (!TakeAngleFromEdit()) {
        edit_->setFocus();
        return;
    }
    QDialog::accept();
}

void CRotateDlg::paintEvent(QPaintEvent*) {
    if (!preview_)
        return;
    QPainter p(this);
    const int left = kBoxLeft + (boxSide_ - preview_->width) / 2;
    const int top = kBoxTop + (boxSide_ - preview_->height) / 2;
    DibDraw(preview_.get(), &p, left, top, preview_->width, preview_->height);
    // Along the inside of the box, over the preview's edge.
    DrawSunkenEdge(p, PreviewBox().adjusted(2, 2, -2, -2), palette());
}

void CRotateDlg::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    // QRect::contains takes the left and top edges and leaves out the right and bottom.
    if (event->button() != Qt::LeftButton || !thumbnail_ || !PreviewBox().contains(at))
        return;
    TakeAngleFromEdit();
    angleAtPress_ = angle_;
    press_ = at;
    const DragSigns signs = DragSignsAt(at, PreviewBox().topLeft(), boxSide_);
    sx_ = signs.sx;
    sy_ = signs.sy;
    dragging_ = true;
}

void CRotateDlg::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_)
        return;
    angle_ = DragAngle(angleAtPress_, press_, event->position().toPoint(), {sx_, sy_});
    RotatePreview();
}

void CRotateDlg::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !dragging_)
        return;
    dragging_ = false;
    edit_->setText(QString::number(angle_));
}
