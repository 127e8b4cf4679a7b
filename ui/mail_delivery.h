// One SMTP exchange run on a worker thread, so that the window keeps repainting while a
// slow or silent server is waited for. The result comes back on the thread that owns this
// object, through its event loop.
#pragma once

#include "mail/smtp_client.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <memory>
#include <thread>

class CPlainMail;
class QWidget;
class UserPrompts;

class CMailDelivery : public QObject {
    Q_OBJECT
public:
    explicit CMailDelivery(QObject* parent = nullptr);
    // Waits for an exchange still running (each of its waits is bounded by the timeout).
    ~CMailDelivery() override;

    void SetTimeout(std::chrono::milliseconds timeout) { timeout_ = timeout; }

    // Sends the message to the server ("host" or "host:port"); false while another exchange
    // runs. The message is formatted and sent on the worker thread.
    bool Start(const QString& server, std::unique_ptr<CPlainMail> message);
    bool IsRunning() const { return running_; }
    // The outcome of the exchange last finished.
    const SmtpDelivery& Result() const { return result_; }

signals:
    void finished();

private:
    std::thread worker_;
    bool running_ = false;
    SmtpDelivery result_{SmtpOutcome::ConnectFailed, {}};
    std::chrono::milliseconds timeout_ = kSmtpDefaultTimeout;
};

// What the mail dialogs tell the user after an exchange, and telling it.
QString DeliveryMessage(const SmtpDelivery& delivery);
void TellDeliveryResult(UserPrompts& prompts, QWidget* parent, const SmtpDelivery& delivery);
