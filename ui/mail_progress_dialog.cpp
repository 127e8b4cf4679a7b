#include "ui/mail_progress_dialog.h"

#include "ui/dialog_units.h"
#include "ui/mail_delivery.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

CMailProgressDlg::CMailProgressDlg(CMailDelivery* delivery, QWidget* parent)
    : QDialog(parent), delivery_(delivery) {
    setWindowTitle(tr("Eﾒｰﾙ送信"));
    setWindowModality(Qt::WindowModal);
    setFont(DialogFont());
    const DialogUnits du = DialogUnits::FromFont(font());
    setFixedSize(du.X(160), du.Y(62));

    text_ = new QLabel(tr("メールを送信しています…"), this);
    text_->setGeometry(du.Rect(7, 7, 146, 10));
    auto* bar = new QProgressBar(this);
    bar->setRange(0, 0); // no measure of how far it is, only that it goes on
    bar->setGeometry(du.Rect(7, 21, 146, 12));
    cancel_ = new QPushButton(tr("中止"), this);
    cancel_->setGeometry(du.Rect(55, 41, 50, 14));
    connect(cancel_, &QPushButton::clicked, this, &CMailProgressDlg::reject);
}

void CMailProgressDlg::reject() {
    delivery_->Cancel();
    cancel_->setEnabled(false);
    text_->setText(tr("送信を中止しています…"));
}
