// Delivers one composed message to one SMTP server. Without security and user name it speaks
// the classic exchange: HELO, MAIL From, one RCPT TO per recipient, DATA, QUIT. With them it
// says EHLO, secures the connection (STARTTLS, or TLS from the first byte) and logs in with
// AUTH PLAIN or LOGIN, the password only ever inside a verified TLS connection.
#pragma once

#include "mail/plain_mail.h"
#include "mail/smtp_transport.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

inline constexpr std::chrono::milliseconds kSmtpDefaultTimeout{30000};
// One whole sending, from the connection to QUIT, whatever the server does.
inline constexpr std::chrono::milliseconds kSmtpSendingLimit{60000};

enum class SmtpSecurity {
    None,     // plain TCP
    StartTls, // plain TCP upgraded with STARTTLS before anything else is said
    Tls,      // TLS from the first byte (the submission port 465)
};

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
    // Bounds everything from Connect to the end of Disconnect.
    void SetSendingLimit(std::chrono::milliseconds limit) { limit_ = limit; }
    // `caFile` names one more certificate authority to trust (PEM).
    void SetSecurity(SmtpSecurity security, std::string caFile = {});
    // An empty user name means no login.
    void SetLogin(std::string user, std::string password);
    // Every wait ends soon after the flag turns true; it must outlive the client.
    void SetCancelFlag(const std::atomic<bool>* cancel) { cancel_ = cancel; }
    // The connection to use instead of a TCP socket of its own.
    void SetTransport(std::unique_ptr<SmtpTransport> transport);

    bool Connect();
    // Formats the message (once) and sends it; needs a connection and at least one To
    // recipient. In the classic exchange a refused recipient does not stop the sending.
    bool SendMail(CPlainMail& message);
    // Sends QUIT and closes the connection whatever the reply.
    bool Disconnect();

    bool IsConnected() const { return connected_; }
    std::string LastErrorText() const { return lastError_; }
    bool WasCancelled() const { return cancelled_; }
    // The server was reached, but securing the connection or logging in failed.
    bool SetupFailed() const { return setupFailed_; }

protected:
    virtual bool Prepare(CPlainMail& message);
    virtual bool Transmit(CPlainMail& message);

private:
    // Whether the exchange goes beyond the classic one (EHLO, TLS, login).
    bool Extended() const { return security_ != SmtpSecurity::None || !user_.empty(); }
    bool CheckReply(int index);
    // Reads one whole reply, which may come in several pieces and span several lines; its
    // code is the number its first three characters make. False (nothing came) when the
    // connection broke or the wait ran out before its first byte.
    bool ReceiveReply(int& code);
    // Reads a reply in the extended exchange; false, with lastError set, when none came.
    bool ExpectReply(int& code);
    void Send(std::string_view text);
    SmtpClock::time_point WaitEnd() const;
    void CloseConnection();

    bool Secure(); // TLS on the open connection
    bool Ehlo();
    bool StartTls();
    bool Authenticate();
    bool SendCredential(const std::string& text, int expected, int& code);
    bool Refused(int code, const std::string& what);
    bool Stop(std::string text);
    std::string ServerText() const;

    std::string lastError_;
    bool connected_ = false;
    int port_;
    std::string server_;
    std::unique_ptr<SmtpTransport> transport_;
    std::unique_ptr<char[]> replyBuffer_;
    // Bytes received after the end of the last reply: the beginning of the next one.
    size_t replyStart_ = 0;
    size_t replyEnd_ = 0;
    std::string replyText_; // the last reply's lines (without line ends), for the user
    std::chrono::milliseconds timeout_ = kSmtpDefaultTimeout;
    std::chrono::milliseconds limit_ = kSmtpSendingLimit;
    SmtpClock::time_point deadline_ = SmtpClock::time_point::max();
    bool broken_ = false; // a send failed; the replies are not worth waiting for
    IoStatus lastIo_ = IoStatus::Done;

    SmtpSecurity security_ = SmtpSecurity::None;
    std::string caFile_, user_, password_;
    const std::atomic<bool>* cancel_ = nullptr;
    bool cancelled_ = false;
    bool setupFailed_ = false;
    // What the server's last EHLO reply offered.
    bool offersStartTls_ = false;
    std::vector<std::string> authMechanisms_;
};

// How to reach and log in to a server. A default value with a host gives the classic
// exchange on port 25.
struct SmtpSettings {
    std::string host;
    int port = 25;
    SmtpSecurity security = SmtpSecurity::None;
    std::string user; // empty: no login
    std::string password;
    std::string caFile; // one more certificate authority (PEM), empty for none
    std::chrono::milliseconds timeout = kSmtpDefaultTimeout;
    std::chrono::milliseconds limit = kSmtpSendingLimit;
};

// The whole exchange as the mail dialogs run it: connect, send, disconnect (whose outcome
// does not count). Blocks for the exchange, so call it from a worker thread.
enum class SmtpOutcome {
    ConnectFailed, // the server could not be reached or did not greet
    SendFailed,    // errorText says why
    Sent,
    SetupFailed, // reached, but not secured or not logged in; errorText says why
    Cancelled,
};
struct SmtpDelivery {
    SmtpOutcome outcome;
    // The client's LastErrorText() at the end: the reason of a failure; after a sending
    // it is "OK" or the reply to a refused recipient.
    std::string errorText;
};
SmtpDelivery DeliverMail(const SmtpSettings& settings, CPlainMail& message,
                         const std::atomic<bool>* cancel = nullptr);
SmtpDelivery DeliverMail(const std::string& server, int port, CPlainMail& message,
                         std::chrono::milliseconds timeout = kSmtpDefaultTimeout);
