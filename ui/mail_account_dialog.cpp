#include "ui/mail_account_dialog.h"

#include "desktop/mail_password.h"
#include "ui/dialog_units.h"
#include "ui/user_prompts.h"

#include <algorithm>
#include <iterator>

#include <QComboBox>
#include <QGroupBox>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// The usual port of each security, in the order of SmtpSecurity: picking a security moves
// the port along while it holds one of these.
constexpr int kUsualPorts[] = {25, 587, 465};

QLabel* AddCaption(QWidget* parent, const DialogUnits& du, const QString& label, int x, int y,
                   int width) {
    auto* caption = new QLabel(label, parent);
    caption->setGeometry(du.Rect(x, y + 2, width, 10));
    return caption;
}

QLineEdit* AddField(QWidget* parent, const DialogUnits& du, const QString& label, int y,
                    const QString& text) {
    QLabel* caption = AddCaption(parent, du, label, 10, y, 52);
    auto* edit = new QLineEdit(text, parent);
    edit->setGeometry(du.Rect(64, y, 120, 14));
    caption->setBuddy(edit);
    return edit;
}

} // namespace

CMailAccountDlg::CMailAccountDlg(UserPrompts* prompts, QWidget* parent)
    : QDialog(parent), prompts_(prompts) {
    setWindowTitle(tr("ﾒｰﾙｱｶｳﾝﾄの設定"));
    setFont(DialogFont());
    const DialogUnits du = DialogUnits::FromFont(font());
    setFixedSize(du.X(252), du.Y(170));

    const MailAccount account = LoadMailAccount();
    // A port written into the server's name ("host:port") is shown in its own field.
    const SmtpServerAddress address = ParseSmtpServer(account.smtp);
    const QString host = address.portGiven ? QString::fromStdString(address.host) : account.smtp;
    const int port = MailSmtpSettings(account, {}).port;
    const SecretStoreRead secret = ReadMailSecret();
    secretStore_ = secret.answered;

    from_ = AddField(this, du, tr("メールアドレス："), 10, account.from);
    auto* servers = new QGroupBox(tr("メールサーバー"), this);
    servers->setGeometry(du.Rect(4, 30, 188, 102));
    smtp_ = AddField(this, du, tr("SMTP："), 42, host);

    QLabel* portCaption = AddCaption(this, du, tr("ポート："), 10, 60, 30);
    port_ = new QLineEdit(QString::number(port), this);
    portCaption->setBuddy(port_);
    port_->setGeometry(du.Rect(42, 60, 28, 14));
    port_->setValidator(new QIntValidator(1, 65535, port_));
    QLabel* securityCaption = AddCaption(this, du, tr("保護："), 76, 60, 24);
    security_ = new QComboBox(this);
    // The two usual set-ups of today's providers, each picked in one step.
    security_->addItems(
        {tr("なし"), QStringLiteral("STARTTLS (587)"), QStringLiteral("SSL/TLS (465)")});
    security_->setCurrentIndex(int(account.security));
    security_->setGeometry(du.X(100), du.Y(59), du.X(84), security_->sizeHint().height());
    securityCaption->setBuddy(security_);
    connect(security_, &QComboBox::currentIndexChanged, this, &CMailAccountDlg::OnSecurityChosen);

    user_ = AddField(this, du, tr("ユーザー名："), 78, account.user);
    pop_ = AddField(this, du, tr("POP："), 96, account.pop);
    servers->lower();
    // An ordinary field: the password is shown as typed, so that a slip can be seen.
    pass_ = AddField(this, du, tr("ﾊﾟｽﾜｰﾄﾞ："), 114,
                     account.pass.isEmpty() ? secret.password : account.pass);
    note_ = new QLabel(secretStore_ ? tr("パスワードはデスクトップのキーリングに保存します。")
                                    : tr("キーリングが使えないため、パスワードは設定ファイル"
                                         "（本人だけが読めます）に保存します。"),
                       this);
    note_->setWordWrap(true);
    note_->setGeometry(du.Rect(10, 134, 236, 28));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(du.Rect(196, 10, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CMailAccountDlg::accept);
    auto* cancel = new QPushButton(tr("ｷｬﾝｾﾙ"), this);
    cancel->setGeometry(du.Rect(196, 28, 50, 14));
    connect(cancel, &QPushButton::clicked, this, &CMailAccountDlg::reject);
}

void CMailAccountDlg::OnSecurityChosen(int index) {
    bool ok = false;
    const int port = port_->text().toInt(&ok);
    const bool usual =
        std::find(std::begin(kUsualPorts), std::end(kUsualPorts), port) != std::end(kUsualPorts);
    if ((!ok || usual) && index >= 0 && index < int(std::size(kUsualPorts)))
        port_->setText(QString::number(kUsualPorts[index]));
}

void CMailAccountDlg::accept() {
    MailAccount account{from_->text(), smtp_->text(), pop_->text(), pass_->text()};
    account.security = SmtpSecurity(security_->currentIndex());
    account.user = user_->text().trimmed();
    bool portOk = false;
    const int port = port_->text().toInt(&portOk);
    const struct {
        bool failed;
        QWidget* field;
        const char* message;
    } checks[] = {
        {account.from.isEmpty(), from_, QT_TR_NOOP("ﾒｰﾙｱﾄﾞﾚｽが指定されていません。")},
        {account.smtp.isEmpty(), smtp_, QT_TR_NOOP("SMTPｻｰﾊﾞが指定されていません。")},
        {account.pop.isEmpty(), pop_, QT_TR_NOOP("POPｻｰﾊﾞが指定されていません。")},
        {account.pass.isEmpty(), pass_, QT_TR_NOOP("POPﾊﾟｽﾜｰﾄﾞが指定されていません。")},
        {!portOk || port < 1 || port > 65535, port_,
         QT_TR_NOOP("ポート番号は 1 から 65535 で指定してください。")},
        // The password never goes over an unprotected connection.
        {!account.user.isEmpty() && account.security == SmtpSecurity::None, security_,
         QT_TR_NOOP("ユーザー名を使うときは、保護に STARTTLS か SSL/TLS を選んでください。")},
    };
    for (const auto& check : checks)
        if (check.failed) {
            prompts_->ShowMessage(this, tr(check.message), UserPrompts::Icon::kWarning);
            check.field->setFocus();
            return;
        }
    // Port 25 is what a classic settings file means without the key.
    account.port = port == kUsualPorts[0] ? 0 : port;
    const bool inSecretStore = WriteMailSecret(account.pass);
    if (inSecretStore)
        account.pass.clear();
    StoreMailAccount(account);
    if (!inSecretStore && secretStore_)
        prompts_->ShowMessage(this,
                              tr("キーリングに保存できなかったため、パスワードは"
                                 "設定ファイルに保存しました。"),
                              UserPrompts::Icon::kWarning);
    QDialog::accept();
}
