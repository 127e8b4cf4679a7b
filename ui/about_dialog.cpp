#include "ui/about_dialog.h"

#include "ui/dialog_units.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("モコア のﾊﾞｰｼﾞｮﾝ情報"));
    setFont(DialogFont());
    const DialogUnits du = DialogUnits::FromFont(font());
    setFixedSize(du.X(173), du.Y(97));

    auto* icon = new QLabel(this);
    icon->setPixmap(QApplication::windowIcon().pixmap(32, 32));
    icon->setGeometry(du.X(13), du.Y(10), 32, 32);
    auto* version = new QLabel(tr("モコア Ver 1.01"), this);
    version->setGeometry(du.Rect(44, 11, 119, 8));
    auto* second = new QLabel(tr("携帯電話用の画像づくり (Linux 版)"), this);
    second->setGeometry(du.Rect(44, 22, 125, 8));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(du.Rect(137, 81, 31, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
