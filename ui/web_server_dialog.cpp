#include "ui/web_server_dialog.h"

#include "desktop/mail_settings.h"
#include "desktop/shell_open.h"
#include "mail/mime_mail.h"
#include "ui/dialog_units.h"
#include "ui/integer_field.h"
#include "ui/mail_delivery.h"
#include "ui/qr_code.h"
#include "ui/recipient_history.h"
#include "ui/user_prompts.h"
#include "web/local_address.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMetaObject>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>

namespace {

constexpr int kDefaultPort = 80;
// Shown when no address of this machine could be found: a browser on this PC still works.
constexpr const char* kFallbackHost = "127.0.0.1";

QPushButton* AddButton(QWidget* parent, const QString& text, const QRect& place) {
    auto* button = new QPushButton(text, parent);
    button->setGeometry(place);
    button->setAutoDefault(false);
    return button;
}

QLabel* AddLabel(QWidget* parent, const QString& text, const QRect& place) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(place);
    return label;
}

} // namespace

QString WebServerUrl(const QString& host, int port) {
    if (port == kDefaultPort)
        return QStringLiteral("http://%1/").arg(host);
    return QStringLiteral("http://%1:%2/").arg(host).arg(port);
}

CWebServerDlg::CWebServerDlg(const QString& imagePath, UserPrompts* prompts, QWidget* parent)
    : QDialog(parent), prompts_(prompts), imagePath_(imagePath.toStdString()),
      delivery_(new CMailDelivery(this)) {
    setWindowTitle(tr("携帯WEBサーバー"));
    setFont(DialogFont());
    const DialogUnits du = DialogUnits::FromFont(font());
    setFixedSize(du.X(356), du.Y(196));

    auto* icon = new QLabel(this);
    icon->setGeometry(du.Rect(7, 7, 20, 20));
    icon->setPixmap(QApplication::windowIcon().pixmap(32, 32));
    if (icon->pixmap().isNull())
        icon->setPixmap(style()->standardIcon(QStyle::SP_DriveNetIcon).pixmap(32, 32));

    AddLabel(this, tr("WebｻｰﾊﾞURL："), du.Rect(34, 7, 100, 10));
    urlEdit_ = new QLineEdit(this);
    urlEdit_->setReadOnly(true);
    urlEdit_->setGeometry(du.Rect(34, 18, 150, 14));
    auto* browser = AddButton(this, tr("ﾌﾞﾗｳｻﾞ表示"), du.Rect(188, 18, 56, 14));
    connect(browser, &QPushButton::clicked, this, &CWebServerDlg::OpenInBrowser);

    AddLabel(this, tr("ｱﾄﾞﾚｽ："), du.Rect(34, 39, 30, 10));
    hosts_ = new QComboBox(this);
    hosts_->setGeometry(du.X(66), du.Y(37), du.X(118), hosts_->sizeHint().height());
    hosts_->setEnabled(false);
    connect(hosts_, &QComboBox::currentIndexChanged, this, [this] {
        if (running_ && hosts_->currentIndex() >= 0) {
            url_ = WebServerUrl(hosts_->currentData().toString(), port_);
            ShowValues();
        }
    });

    AddLabel(this, tr("携帯ｱﾄﾞﾚｽ："), du.Rect(7, 60, 44, 10));
    phones_ = new QComboBox(this);
    phones_->setEditable(true);
    phones_->setInsertPolicy(QComboBox::NoInsert);
    phones_->setGeometry(du.X(52), du.Y(58), du.X(132), phones_->sizeHint().height());
    mailButton_ = AddButton(this, tr("URLﾒｰﾙ通知"), du.Rect(188, 58, 56, 14));
    connect(mailButton_, &QPushButton::clicked, this, &CWebServerDlg::MailUrl);

    AddLabel(this, tr("アクセスログ："), du.Rect(7, 78, 80, 10));
    log_ = new QListWidget(this);
    log_->setGeometry(du.Rect(7, 89, 342, 78));
    log_->setSortingEnabled(true);

    AddLabel(this, tr("ポート番号："), du.Rect(7, 177, 44, 10));
    portEdit_ = new QLineEdit(this);
    portEdit_->setGeometry(du.Rect(52, 175, 40, 14));
    startStop_ = AddButton(this, tr("起動"), du.Rect(96, 175, 50, 14));
    connect(startStop_, &QPushButton::clicked, this, &CWebServerDlg::StartStop);
    portNote_ = AddLabel(this, QString(), du.Rect(150, 172, 145, 20));
    portNote_->setWordWrap(true);
    auto* close = new QPushButton(tr("終了"), this);
    close->setGeometry(du.Rect(299, 175, 50, 14));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    qr_ = new QLabel(this);
    qr_->setGeometry(du.Rect(252, 7, 97, 78));
    qr_->setAlignment(Qt::AlignCenter);

    ShowValues();
    server_.SetOwner(this);
    FillRecipientBox(phones_, LoadRecipientHistory());
    connect(delivery_, &CMailDelivery::finished, this, &CWebServerDlg::OnMailed);
}

CWebServerDlg::~CWebServerDlg() {
    server_.Stop();
}

std::string CWebServerDlg::ImagePath() const {
    return imagePath_;
}

void CWebServerDlg::AddAccessLog(const std::string& line) {
    // Called on connection threads, possibly while this thread waits inside Stop: queue the
    // line and let the event loop add it.
    std::lock_guard lock(logLock_);
    pendingLog_.append(QString::fromStdString(line));
    if (!drainPosted_) {
        drainPosted_ = true;
        QMetaObject::invokeMethod(this, &CWebServerDlg::DrainAccessLog, Qt::QueuedConnection);
    }
}

void CWebServerDlg::DrainAccessLog() {
    QStringList lines;
    {
        std::lock_guard lock(logLock_);
        lines.swap(pendingLog_);
        drainPosted_ = false;
    }
    log_->addItems(lines);
}

void CWebServerDlg::FillHosts() {
    // The server's choice first, then every other address of this machine.
    QStringList texts;
    const QString first = QString::fromStdString(server_.HostText());
    hosts_->clear();
    if (!first.isEmpty()) {
        hosts_->addItem(first, first);
        texts.append(first);
    }
    for (const LocalAddress& address : ListLocalAddresses()) {
        const QString text = QString::fromStdString(address.text);
        if (texts.contains(text))
            continue;
        texts.append(text);
        hosts_->addItem(
            QStringLiteral("%1 (%2)").arg(text, QString::fromStdString(address.interfaceName)),
            text);
    }
    if (hosts_->count() == 0)
        hosts_->addItem(QString::fromUtf8(kFallbackHost), QString::fromUtf8(kFallbackHost));
    hosts_->setCurrentIndex(0);
}

void CWebServerDlg::ShowValues() {
    urlEdit_->setText(url_);
    portEdit_->setText(QString::number(port_));
    qr_->setPixmap(url_.isEmpty() ? QPixmap() : QPixmap::fromImage(QrCodeImage(url_, 3)));
    hosts_->setEnabled(running_ && hosts_->count() > 1);
}

void CWebServerDlg::StartStop() {
    if (running_) {
        // The port field plays no part in stopping.
        StopServer();
        return;
    }
    int port = 0;
    switch (CheckIntegerField(portEdit_->text(), 1, 65535, &port)) {
    case IntegerFieldCheck::kOk:
        break;
    case IntegerFieldCheck::kNotInteger:
        prompts_->ShowMessage(this, NotIntegerPrompt(), UserPrompts::Icon::kWarning);
        portEdit_->setFocus();
        return;
    case IntegerFieldCheck::kOutOfRange:
        prompts_->ShowMessage(this, RangePrompt(1, 65535), UserPrompts::Icon::kWarning);
        portEdit_->setFocus();
        return;
    }
    if (port < 1 || port > 65534)
        port = kDefaultPort;
    server_.SetPort(uint16_t(port));
    if (!server_.Start()) {
        prompts_->ShowMessage(this,
                              tr("サーバーが起動できません\r\n\r\n"
                                 "* インターネット接続状態(TCP/IPが利用できる環境)に"
                                 "なっているか\r\n"
                                 "* すでに同じポート番号のサーバーが起動されていないか"
                                 "\r\n確認してみてください。"),
                              UserPrompts::Icon::kWarning);
        return;
    }
    running_ = true;
    port_ = server_.Port();
    // Ports below 1024 are the administrator's: the server went to another one.
    if (server_.RefusedPort() != 0)
        portNote_->setText(tr("ポート%1は管理者権限が必要なため\nポート%2で起動しました。")
                               .arg(server_.RefusedPort())
                               .arg(port_));
    {
        const QSignalBlocker quiet(hosts_);
        FillHosts();
    }
    url_ = WebServerUrl(hosts_->currentData().toString(), port_);
    startStop_->setText(tr("停止"));
    ShowValues();
}

void CWebServerDlg::StopServer() {
    server_.Stop();
    running_ = false;
    url_.clear();
    portNote_->clear();
    startStop_->setText(tr("起動"));
    ShowValues();
}

void CWebServerDlg::OpenInBrowser() {
    if (!url_.isEmpty())
        ShellOpen(url_);
}

void CWebServerDlg::MailUrl() {
    if (delivery_->IsRunning())
        return;
    const MailAccount account = LoadMailAccount();
    if (url_.isEmpty())
        return;
    const char* problem = nullptr;
    if (account.from.isEmpty())
        problem = QT_TR_NOOP("ﾒｰﾙｱﾄﾞﾚｽが指定されていません。\r\n"
                             "先にメールアカウントの設定を行ってください。");
    else if (account.smtp.isEmpty())
        problem = QT_TR_NOOP("SMTPｻｰﾊﾞが指定されていません。\r\n"
                             "先にメールアカウントの設定を行ってください。");
    else if (phones_->currentText().isEmpty())
        problem = QT_TR_NOOP("宛先が未入力です。");
    if (problem) {
        prompts_->ShowMessage(this, tr(problem), UserPrompts::Icon::kWarning);
        return;
    }
    auto mail = std::make_unique<CMimeMail>();
    mail->from = account.from.toStdString();
    mail->subject = "MOKOA-WebServer";
    mail->body = "MOKOA-WebServer\n" + url_.toStdString() + "\n";
    mail->AddRecipients(phones_->currentText().toStdString(), RECIPIENT_TO);
    const std::optional<SmtpSettings> settings = AccountSmtpSettings(account, *prompts_, this);
    if (!settings)
        return;
    setEnabled(false);
    delivery_->Start(*settings, std::move(mail), this);
}

void CWebServerDlg::OnMailed() {
    TellDeliveryResult(*prompts_, this, delivery_->Result());
    setEnabled(true);
    RememberRecipient(phones_);
}

void CWebServerDlg::done(int result) {
    if (delivery_->IsRunning())
        return;
    if (running_)
        StopServer();
    QDialog::done(result);
}
