#include "ui/mail_delivery.h"

#include "desktop/mail_password.h"
#include "desktop/mail_settings.h"
#include "mail/plain_mail.h"
#include "ui/mail_progress_dialog.h"
#include "ui/user_prompts.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QTimer>

CMailDelivery::CMailDelivery(QObject* parent) : QObject(parent) {}

CMailDelivery::~CMailDelivery() {
    // A result posted after this point is dropped together with this object.
    Cancel();
    if (worker_.joinable())
        worker_.join();
}

bool CMailDelivery::Start(SmtpSettings settings, std::unique_ptr<CPlainMail> message,
                          QWidget* progressOver) {
    if (running_)
        return false;
    if (worker_.joinable())
        worker_.join();
    running_ = true;
    settings.timeout = timeout_;
    cancel_ = std::make_shared<std::atomic<bool>>(false);
    worker_ = std::thread(
        [this, settings = std::move(settings), cancel = cancel_, mail = std::move(message)] {
            SmtpDelivery delivery = DeliverMail(settings, *mail, cancel.get());
            QMetaObject::invokeMethod(
                this,
                [this, delivery = std::move(delivery)] {
                    if (worker_.joinable())
                        worker_.join();
                    result_ = delivery;
                    running_ = false;
                    delete progress_;
                    emit finished();
                },
                Qt::QueuedConnection);
        });
    if (progressOver) {
        // Made now, while its parent may already be disabled, so that it stays usable.
        progress_ = new CMailProgressDlg(this, progressOver);
        // A quick sending ends before the window would only flash.
        QTimer::singleShot(CMailProgressDlg::kShowDelay, progress_.data(), &QWidget::show);
    }
    return true;
}

CMailProgressDlg* CMailDelivery::Progress() const {
    return progress_;
}

void CMailDelivery::Cancel() {
    if (cancel_)
        cancel_->store(true);
}

std::optional<SmtpSettings> AccountSmtpSettings(const MailAccount& account, UserPrompts& prompts,
                                                QWidget* parent) {
    const QString password = account.user.isEmpty() ? QString() : MailPassword(account);
    if (!account.user.isEmpty() && password.isEmpty()) {
        prompts.ShowMessage(parent,
                            QCoreApplication::translate(
                                "MailDelivery", "ﾊﾟｽﾜｰﾄﾞが見つかりません。\r\n"
                                                "先にメールアカウントの設定を行ってください。"),
                            UserPrompts::Icon::kWarning);
        return std::nullopt;
    }
    return MailSmtpSettings(account, password);
}

QString DeliveryMessage(const SmtpDelivery& delivery) {
    switch (delivery.outcome) {
    case SmtpOutcome::ConnectFailed:
        return QCoreApplication::translate("MailDelivery", "メールサーバーに接続できません。");
    case SmtpOutcome::SendFailed:
    case SmtpOutcome::SetupFailed:
        return QString::fromStdString(delivery.errorText);
    case SmtpOutcome::Cancelled:
        return QCoreApplication::translate("MailDelivery", "送信を中止しました。");
    case SmtpOutcome::Sent:
        break;
    }
    return QCoreApplication::translate("MailDelivery", "送信完了しました。");
}

void TellDeliveryResult(UserPrompts& prompts, QWidget* parent, const SmtpDelivery& delivery) {
    const bool fine =
        delivery.outcome == SmtpOutcome::Sent || delivery.outcome == SmtpOutcome::Cancelled;
    prompts.ShowMessage(parent, DeliveryMessage(delivery),
                        fine ? UserPrompts::Icon::kInformation : UserPrompts::Icon::kWarning);
}
