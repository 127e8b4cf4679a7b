#include "ui/mail_delivery.h"

#include "mail/plain_mail.h"
#include "ui/mail_settings.h"
#include "ui/user_prompts.h"

#include <QMetaObject>

CMailDelivery::CMailDelivery(QObject* parent) : QObject(parent) {}

CMailDelivery::~CMailDelivery() {
    // A result posted after this point is dropped together with this object.
    if (worker_.joinable())
        worker_.join();
}

bool CMailDelivery::Start(const QString& server, std::unique_ptr<CPlainMail> message) {
    if (running_)
        return false;
    if (worker_.joinable())
        worker_.join();
    running_ = true;
    const SmtpServerAddress address = ParseSmtpServer(server);
    worker_ = std::thread([this, address, timeout = timeout_, mail = std::move(message)] {
        SmtpDelivery delivery = DeliverMail(address.host, address.port, *mail, timeout);
        QMetaObject::invokeMethod(
            this,
            [this, delivery = std::move(delivery)] {
                if (worker_.joinable())
                    worker_.join();
                result_ = delivery;
                running_ = false;
                emit finished();
            },
            Qt::QueuedConnection);
    });
    return true;
}

QString DeliveryMessage(const SmtpDelivery& delivery) {
    switch (delivery.outcome) {
    case SmtpOutcome::ConnectFailed:
        return QStringLiteral("メールサーバーに接続できません。");
    case SmtpOutcome::SendFailed:
        return QString::fromStdString(delivery.errorText);
    case SmtpOutcome::Sent:
        break;
    }
    return QStringLiteral("送信完了しました。");
}

void TellDeliveryResult(UserPrompts& prompts, QWidget* parent, const SmtpDelivery& delivery) {
    prompts.ShowMessage(parent, DeliveryMessage(delivery),
                        delivery.outcome == SmtpOutcome::Sent ? UserPrompts::Icon::kInformation
                                                              : UserPrompts::Icon::kWarning);
}
