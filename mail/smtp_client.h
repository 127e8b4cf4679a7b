// Delivers one composed message to one SMTP server: HELO, MAIL From, one RCPT TO per
// recipient, DATA, QUIT. No extensions, no authentication.
#pragma once

#include "mail/plain_mail.h"

#include <chrono>
#include <memory>
#include <string>

inline constexpr std::chrono::milliseconds kSmtpDefaultTimeout{30000};

// Every failure is a false result with the reason in LastErrorText(). One object serves one
// thread at a time; a worker thread may own it while the user interface waits.
class CSmtpClient {
public:
    CSmtpClient(std::string server, int port);
    virtual ~CSmtpClient();
    CSmtpClient(const CSmtpClient&) = delete;
    CSmtpClient& operator=(const CSmtpClient&) = delete;

    // Bounds the wait for the connection, for each reply and for each stalled send.
    void SetTimeout(std::chrono::milliseconds timeout) { timeout_ = timeout; }

    bool Connect();
    // Formats the message (once) and sends it; needs a connection and at least one To
    // recipient. A refused recipient does not stop the sending.
    bool SendMail(CPlainMail& message);
    // Sends QUIT and closes the connection whatever the reply.
    bool Disconnect();

    bool IsConnected() const { return connected_; }
    std::string LastErrorText() const { return lastError_; }

protected:
    virtual bool Prepare(CPlainMail& message);
    virtual bool Transmit(CPlainMail& message);

private:
    bool CheckReply(int index);
    // Reads one whole reply, which may come in several pieces and span several lines; its
    // code is the number its first three characters make. False (nothing came) when the
    // connection broke or the wait ran out before its first byte.
    bool ReceiveReply(int& code);
    void Send(std::string_view text);
    bool WaitFor(short events, std::chrono::steady_clock::time_point deadline);
    bool ConnectSocket();
    void CloseConnection();

    std::string lastError_;
    bool connected_ = false;
    int port_;
    std::string server_;
    int socket_ = -1;
    std::unique_ptr<char[]> replyBuffer_;
    // Bytes received after the end of the last reply: the beginning of the next one.
    size_t replyStart_ = 0;
    size_t replyEnd_ = 0;
    std::chrono::milliseconds timeout_ = kSmtpDefaultTimeout;
    bool broken_ = false; // a send failed; the replies are not worth waiting for
};

// The whole exchange as the mail dialogs run it: connect, send, disconnect (whose outcome
// does not count). Blocks for the exchange, so call it from a worker thread.
enum class SmtpOutcome { ConnectFailed, SendFailed, Sent };
struct SmtpDelivery {
    SmtpOutcome outcome;
    // The client's LastErrorText() at the end: the reason of a failure; after a sending
    // it is "OK" or the reply to a refused recipient.
    std::string errorText;
};
SmtpDelivery DeliverMail(const std::string& server, int port, CPlainMail& message,
                         std::chrono::milliseconds timeout = kSmtpDefaultTimeout);
