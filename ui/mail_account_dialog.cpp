#include "ui/mail_account_dialog.h"

#include "ui/dialog_units.h"
#include "ui/user_prompts.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

QLineEdit* AddField(QWidget* parent, const DialogUnits& du, const QString& label, int y,
                    const QString& text) {
    auto* caption = new QLabel(label, parent);
    caption->setGeometry(du.Rect(10, y + 2, 52, 10));
    auto* edit = new QLineEdit(text, parent);
    edit->setGeometry(du.Rect(64, y, 120, 14));
    caption->setBuddy(edit);
    return edit;
}

} // namespace

CMailAccountDlg::CMailAccountDlg(UserPrompts* prompts, QWidget* parent)
    : QDialog(parent), prompts_(prompts) {
    setWindowTitle(QStringLiteral("ﾒｰﾙｱｶｳﾝﾄの設定"));
    setFont(DialogFont());
    const DialogUnits du = DialogUnits::FromFont(font());
    setFixedSize(du.X(252), du.Y(118));

    const MailAccount account = LoadMailAccount();
    from_ = AddField(this, du, QStringLiteral("メールアドレス："), 10, account.from);
    auto* servers = new QGroupBox(QStringLiteral("メールサーバー"), this);
    servers->setGeometry(du.Rect(4, 30, 188, 48));
    smtp_ = AddField(this, du, QStringLiteral("SMTP："), 42, account.smtp);
    pop_ = AddField(this, du, QStringLiteral("POP："), 60, account.pop);
    // An ordinary field: the password is shown as typed, so that a slip can be seen.
    pass_ = AddField(this, du, QStringLiteral("ﾊﾟｽﾜｰﾄﾞ："), 88, account.pass);
    servers->lower();

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(du.Rect(196, 10, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CMailAccountDlg::accept);
    auto* cancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    cancel->setGeometry(du.Rect(196, 28, 50, 14));
    connect(cancel, &QPushButton::clicked, this, &CMailAccountDlg::reject);
}

void CMailAccountDlg::accept() {
    const MailAccount account{from_->text(), smtp_->text(), pop_->text(), pass_->text()};
    const struct {
        const QString& value;
        QLineEdit* edit;
        const char* message;
    } checks[] = {
        {account.from, from_, "ﾒｰﾙｱﾄﾞﾚｽが指定されていません。"},
        {account.smtp, smtp_, "SMTPｻｰﾊﾞが指定されていません。"},
        {account.pop, pop_, "POPｻｰﾊﾞが指定されていません。"},
        {account.pass, pass_, "POPﾊﾟｽﾜｰﾄﾞが指定されていません。"},
    };
    for (const auto& check : checks)
        if (check.value.isEmpty()) {
            prompts_->ShowMessage(this, QString::fromUtf8(check.message),
                                  UserPrompts::Icon::kWarning);
            check.edit->setFocus();
            return;
        }
    StoreMailAccount(account);
    QDialog::accept();
}
