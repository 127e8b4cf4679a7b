#include "ui/mail_send_dialog.h"

#include "desktop/mail_settings.h"
#include "mail/mime_mail.h"
#include "mail/wire_text.h"
#include "ui/dialog_units.h"
#include "ui/mail_delivery.h"
#include "ui/recipient_history.h"
#include "ui/user_prompts.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

namespace {

QPushButton* AddButton(QWidget* parent, const QString& text, const QRect& place) {
    auto* button = new QPushButton(text, parent);
    button->setGeometry(place);
    // Enter belongs to the message text; no button takes it.
    button->setAutoDefault(false);
    return button;
}

} // namespace

CMailSendDlg::CMailSendDlg(const QString& currentImage, const QString& browseFolder,
                           UserPrompts* prompts, QWidget* parent)
    : QDialog(parent), prompts_(prompts), currentImage_(currentImage), browseFolder_(browseFolder),
      delivery_(new CMailDelivery(this)) {
    setWindowTitle(tr("Eﾒｰﾙ送信"));
    setFont(DialogFont());
    const DialogUnits du = DialogUnits::FromFont(font());
    setFixedSize(du.X(250), du.Y(212));

    account_ = LoadMailAccount();
    smtp_ = account_.smtp;
    from_ = account_.from;

    (new QLabel(tr("FROM："), this))->setGeometry(du.Rect(7, 9, 30, 10));
    sender_ = new QLabel(from_, this);
    sender_->setGeometry(du.Rect(40, 9, 150, 10));
    sender_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* toLabel = new QLabel(tr("宛先： "), this);
    toLabel->setGeometry(du.Rect(7, 26, 30, 10));
    recipients_ = new QComboBox(this);
    recipients_->setEditable(true);
    recipients_->setInsertPolicy(QComboBox::NoInsert);
    recipients_->setGeometry(du.X(40), du.Y(24), du.X(150), recipients_->sizeHint().height());
    toLabel->setBuddy(recipients_);

    currentImageBox_ = new QCheckBox(tr("現在の編集画像を送信"), this);
    currentImageBox_->setGeometry(du.Rect(7, 44, 150, 10));
    currentImageBox_->setChecked(true);
    attachment_ = new QLineEdit(LoadMailImageFile(), this);
    attachment_->setGeometry(du.Rect(7, 58, 183, 14));
    auto* browse = AddButton(this, tr("参照"), du.Rect(194, 58, 50, 14));
    connect(browse, &QPushButton::clicked, this, &CMailSendDlg::Browse);

    body_ = new QPlainTextEdit(LoadMailBody(), this);
    body_->setGeometry(du.Rect(7, 80, 237, 124));
    body_->setTabChangesFocus(true);

    send_ = AddButton(this, tr("送信"), du.Rect(194, 7, 50, 14));
    connect(send_, &QPushButton::clicked, this, &CMailSendDlg::Send);
    auto* cancel = AddButton(this, tr("ｷｬﾝｾﾙ"), du.Rect(194, 24, 50, 14));
    connect(cancel, &QPushButton::clicked, this, &CMailSendDlg::reject);

    if (currentImage_.isEmpty()) {
        currentImageBox_->setChecked(false);
        currentImageBox_->setEnabled(false);
    }
    FillRecipientBox(recipients_, LoadRecipientHistory());
    connect(delivery_, &CMailDelivery::finished, this, &CMailSendDlg::OnDelivered);
}

CMailSendDlg::~CMailSendDlg() = default;

void CMailSendDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    // Told over the open dialog, which opens all the same.
    if (smtp_.isEmpty())
        QTimer::singleShot(0, this, [this] {
            prompts_->ShowMessage(this,
                                  tr("SMTPサーバーが指定されていません。\r\n"
                                     "先にメールアカウントの設定を行ってください。"),
                                  UserPrompts::Icon::kWarning);
        });
}

void CMailSendDlg::Browse() {
    FileDialogRequest request;
    request.title = tr("携帯画像ファイルの選択");
    request.folder = browseFolder_;
    request.filter = tr("携帯画像ファイル (*.jpg;*.png)|*.jpg;*.jpeg;*.png|JPEG (*.jpg;*.jpeg)|"
                        "*.jpg;*.jpeg|PNG (*.png)|*.png|すべてのファイル (*.*)|*.*||");
    request.filterIndex = 1;
    const FileDialogResult result = prompts_->OpenFile(this, request);
    if (!result.path.isEmpty())
        attachment_->setText(result.path);
}

void CMailSendDlg::Send() {
    if (delivery_->IsRunning())
        return;
    const QString recipient = recipients_->currentText();
    const QString body = body_->toPlainText();
    const bool sendCurrent = currentImageBox_->isChecked();
    const QString attachment = attachment_->text();
    const char* problem = nullptr;
    if (recipient.isEmpty())
        problem = QT_TR_NOOP("宛先が未入力です。");
    else if (body.isEmpty())
        problem = QT_TR_NOOP("本文が未入力です。");
    else if (smtp_.isEmpty())
        problem = QT_TR_NOOP("SMTPサーバーが指定されていません。");
    else if (from_.isEmpty())
        problem = QT_TR_NOOP("送信者が未入力です。");
    else if (!sendCurrent && !QFileInfo(attachment).isFile())
        problem = QT_TR_NOOP("送信画像ファイルが未選択です。");
    if (problem) {
        prompts_->ShowMessage(this, tr(problem), UserPrompts::Icon::kWarning);
        return;
    }

    auto mail = std::make_unique<CMimeMail>();
    mail->from = from_.toStdString();
    mail->subject = ImageMailSubject();
    mail->body = body.toStdString();
    mail->AddRecipients(recipient.toStdString(), RECIPIENT_TO);
    const std::string path = (sendCurrent ? currentImage_ : attachment).toStdString();
    // A file name without extension gives nothing to send.
    const std::optional<int> type = AttachmentPartType(path);
    if (!type)
        return;
    mail->AddPart(path, *type, "");
    const std::optional<SmtpSettings> settings = AccountSmtpSettings(account_, *prompts_, this);
    if (!settings)
        return;

    setEnabled(false);
    delivery_->Start(*settings, std::move(mail), this);
}

void CMailSendDlg::OnDelivered() {
    TellDeliveryResult(*prompts_, this, delivery_->Result());
    setEnabled(true);
    // Cancelled by the user, who may change something and send again.
    if (delivery_->Result().outcome == SmtpOutcome::Cancelled)
        return;
    StoreMailTexts(body_->toPlainText(), attachment_->text());
    RememberRecipient(recipients_);
    accept();
}

void CMailSendDlg::reject() {
    if (!delivery_->IsRunning())
        QDialog::reject();
}

void CMailSendDlg::closeEvent(QCloseEvent* event) {
    if (delivery_->IsRunning())
        event->ignore();
    else
        QDialog::closeEvent(event);
}
