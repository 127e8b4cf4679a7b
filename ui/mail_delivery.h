// One SMTP exchange run on a worker thread, so that the window keeps repainting while a
// slow or silent server is waited for. The result comes back on the thread that owns this
// object, through its event loop.
#pragma once

#include "mail/smtp_client.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <thread>

class CMailProgressDlg;
class CPlainMail;
class QWidget;
class UserPrompts;
struct MailAccount;

class CMailDelivery : public QObject {
    Q_OBJECT
public:
    explicit CMailDelivery(QObject* parent = nullptr);
    // Cancels an exchange still running and waits for it to notice (a moment).
    ~CMailDelivery() override;

    void SetTimeout(std::chrono::milliseconds timeout) { timeout_ = timeout; }

    // Sends the message as the settings say; false while another exchange runs. The
    // message is formatted and sent on the worker thread. With `progressOver`, a window
    // over it shows that the sending is under way and offers to cancel it.
    bool Start(SmtpSettings settings, std::unique_ptr<CPlainMail> message,
               QWidget* progressOver = nullptr);
    // Ends a running exchange within a moment; its result then says it was cancelled.
    void Cancel();
    bool IsRunning() const { return running_; }
    // The outcome of the exchange last finished.
    const SmtpDelivery& Result() const { return result_; }
    // The progress window of the running exchange, if any.
    CMailProgressDlg* Progress() const;

signals:
    void finished();

private:
    std::thread worker_;
    std::shared_ptr<std::atomic<bool>> cancel_;
    bool running_ = false;
    SmtpDelivery result_{SmtpOutcome::ConnectFailed, {}};
    std::chrono::milliseconds timeout_ = kSmtpDefaultTimeout;
    QPointer<CMailProgressDlg> progress_;
};

// The account's server and login, with the password from the settings file or the secret
// store; none, after telling the user, when a login is set up but no password is found.
std::optional<SmtpSettings> AccountSmtpSettings(const MailAccount& account, UserPrompts& prompts,
                                                QWidget* parent);

// What the mail dialogs tell the user after an exchange, and telling it.
QString DeliveryMessage(const SmtpDelivery& delivery);
void TellDeliveryResult(UserPrompts& prompts, QWidget* parent, const SmtpDelivery& delivery);
