#include "mail/smtp_client.h"

#include "mail/base64_coder.h"
#include "mail/tcp_transport.h"

#include <algorithm>
#include <cctype>
#include <new>
#include <unistd.h>

namespace {

constexpr size_t kReplyBufferSize = 1024;
constexpr size_t kHostNameMax = 80;
// Of a reply's text, kept for the user and for reading the server's extensions.
constexpr size_t kReplyTextMax = 4096;
// Of the server's words quoted in a message to the user.
constexpr size_t kQuotedTextMax = 160;

struct ExpectedReply {
    int code;
    const char* text;
};
constexpr ExpectedReply kExpected[] = {
    {250, "SMTP server error"},
    {220, "SMTP server not available"},
    {354, "SMTP server not ready for data"},
    {221, "SMTP server didn't terminate session"},
};
enum { kReplyOk = 0, kReplyGreeting = 1, kReplyData = 2, kReplyQuit = 3 };

// A CR or LF inside an address would end the command and start another.
std::string OneLine(std::string_view s) {
    std::string out;
    for (const char c : s) {
        if (c != '\r' && c != '\n')
            out += c;
    }
    return out;
}

// Doubles the period at the start of every line so that no line of the data can end it.
std::string DotStuffed(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 64 + 1);
    bool lineStart = true;
    for (const char c : text) {
        if (lineStart && c == '.')
            out += '.';
        out += c;
        lineStart = c == '\n';
    }
    return out;
}

std::string LocalHostName() {
    char name[kHostNameMax + 1] = {};
    if (gethostname(name, kHostNameMax) != 0 || name[0] == '\0')
        return "localhost";
    name[kHostNameMax] = '\0';
    return name;
}

std::string Base64(std::string_view bytes) {
    return CBase64Coder().Encode(bytes.data(), bytes.size());
}

std::string Upper(std::string text) {
    for (char& c : text)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string Capitalised(std::string text) {
    if (!text.empty())
        text[0] = char(std::toupper(static_cast<unsigned char>(text[0])));
    return text;
}

} // namespace

CSmtpClient::CSmtpClient(std::string server, int port)
    : lastError_("OK"), port_(port), server_(std::move(server)) {}

CSmtpClient::~CSmtpClient() {
    if (connected_)
        Disconnect();
    CloseConnection();
}

void CSmtpClient::SetSecurity(SmtpSecurity security, std::string caFile) {
    security_ = security;
    caFile_ = std::move(caFile);
}

void CSmtpClient::SetLogin(std::string user, std::string password) {
    user_ = std::move(user);
    password_ = std::move(password);
}

void CSmtpClient::SetTransport(std::unique_ptr<SmtpTransport> transport) {
    transport_ = std::move(transport);
}

SmtpClock::time_point CSmtpClient::WaitEnd() const {
    const SmtpClock::time_point now = SmtpClock::now();
    return deadline_ - now > timeout_ ? now + timeout_ : deadline_;
}

bool CSmtpClient::ReceiveReply(int& code) {
    // A reply ends with the line feed of a line that does not continue it ("250-" does).
    // The whole of it is read, so that a reply sent in pieces is judged once it is there
    // and the next check does not take its remainder for the next reply.
    const auto deadline = WaitEnd();
    code = 0;
    replyText_.clear();
    size_t column = 0; // of the current line
    bool received = false, firstLine = true, lastLine = true;
    for (;;) {
        while (replyStart_ < replyEnd_) {
            const char c = replyBuffer_[replyStart_++];
            received = true;
            if (c == '\n') {
                if (lastLine)
                    return true;
                column = 0;
                firstLine = false;
                lastLine = true;
                if (replyText_.size() < kReplyTextMax)
                    replyText_ += '\n';
                continue;
            }
            if (firstLine && column < 3) {
                if (c < '0' || c > '9') {
                    // No reply at all: judged as it stands, and what else came is dropped.
                    replyStart_ = replyEnd_;
                    return true;
                }
                code = code * 10 + (c - '0');
            }
            if (column == 3)
                lastLine = c != '-';
            else if (column > 3 && c != '\r' && replyText_.size() < kReplyTextMax)
                replyText_ += c;
            ++column;
        }
        replyStart_ = replyEnd_ = 0;
        // A peer that never stops talking is judged on what came within the wait.
        if (SmtpClock::now() >= deadline) {
            lastIo_ = IoStatus::TimedOut;
            return received;
        }
        // A connection that closes or goes quiet within a reply leaves what came to be judged.
        if (broken_ || !transport_)
            return received;
        size_t n = 0;
        lastIo_ = transport_->Receive(replyBuffer_.get(), kReplyBufferSize, n, deadline);
        if (lastIo_ != IoStatus::Done)
            return received;
        replyEnd_ = n;
    }
}

bool CSmtpClient::CheckReply(int index) {
    const ExpectedReply& expected = kExpected[index];
    int code = 0;
    // A closed connection or a wait that ran out counts as a failed receive.
    if (!ReceiveReply(code)) {
        cancelled_ = cancelled_ || lastIo_ == IoStatus::Cancelled;
        lastError_ = cancelled_ ? "Cancelled" : "Socket Error";
        return false;
    }
    if (code == expected.code)
        return true;
    lastError_ = std::to_string(code) + ":" + expected.text;
    return false;
}

bool CSmtpClient::ExpectReply(int& code) {
    if (ReceiveReply(code))
        return true;
    switch (lastIo_) {
    case IoStatus::Cancelled:
        cancelled_ = true;
        lastError_ = "Cancelled";
        break;
    case IoStatus::TimedOut:
        lastError_ = SmtpClock::now() >= deadline_
                         ? "The sending took longer than " + std::to_string(limit_.count() / 1000) +
                               " s and was stopped"
                         : "The server did not answer in time";
        break;
    case IoStatus::Closed:
        lastError_ = "The server closed the connection";
        break;
    default:
        lastError_ = "The connection to the server broke";
    }
    return false;
}

void CSmtpClient::Send(std::string_view text) {
    if (broken_ || !transport_)
        return;
    const IoStatus status = transport_->Send(text, timeout_, deadline_);
    if (status != IoStatus::Done) {
        broken_ = true;
        lastIo_ = status;
    }
}

void CSmtpClient::CloseConnection() {
    if (transport_)
        transport_->Close();
    replyBuffer_.reset();
    replyStart_ = replyEnd_ = 0;
    broken_ = false;
}

bool CSmtpClient::Stop(std::string text) {
    lastError_ = std::move(text);
    setupFailed_ = true;
    return false;
}

std::string CSmtpClient::ServerText() const {
    // The server's words, as far as they are plain text, on one line.
    std::string text;
    for (const char c : replyText_) {
        if (text.size() >= kQuotedTextMax)
            break;
        if (c == '\n')
            text += ' ';
        else if (c >= 0x20 && c < 0x7F)
            text += c;
    }
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

bool CSmtpClient::Connect() {
    if (connected_)
        return true;
    cancelled_ = setupFailed_ = false;
    deadline_ = SmtpClock::now() + limit_;
    if (security_ == SmtpSecurity::None && !user_.empty())
        return Stop("A user name needs a secure connection (STARTTLS or SSL/TLS); the password "
                    "was not sent");
    replyBuffer_.reset(new (std::nothrow) char[kReplyBufferSize]);
    if (!replyBuffer_) {
        lastError_ = "Not enough memory";
        return false;
    }
    if (!transport_)
        transport_ = std::make_unique<CTcpTransport>();
    transport_->SetCancelFlag(cancel_);
    broken_ = false;
    lastIo_ = IoStatus::Done;
    switch (transport_->Open(server_, port_, WaitEnd())) {
    case IoStatus::Done:
        break;
    case IoStatus::NoSocket:
        lastError_ = "Unable to create the socket.";
        CloseConnection();
        return false;
    case IoStatus::Cancelled:
        cancelled_ = true;
        lastError_ = "Cancelled";
        CloseConnection();
        return false;
    default:
        lastError_ = "Unable to connect to server";
        CloseConnection();
        return false;
    }
    if (security_ == SmtpSecurity::Tls && !Secure()) {
        CloseConnection();
        return false;
    }
    if (!CheckReply(kReplyGreeting)) {
        if (!cancelled_)
            lastError_ = "Server didn't respond.";
        CloseConnection();
        return false;
    }
    if (!Extended()) {
        Send("HELO " + LocalHostName() + "\r\n");
        if (!CheckReply(kReplyOk)) {
            CloseConnection();
            return false;
        }
    } else if (!Ehlo() || (security_ == SmtpSecurity::StartTls && !StartTls()) ||
               (!user_.empty() && !Authenticate())) {
        setupFailed_ = !cancelled_;
        CloseConnection();
        return false;
    }
    connected_ = true;
    return true;
}

bool CSmtpClient::Secure() {
    // Whatever came before the handshake is no reply from inside it.
    replyStart_ = replyEnd_ = 0;
    std::string why;
    const IoStatus status = transport_->StartTls({server_, caFile_}, WaitEnd(), why);
    if (status == IoStatus::Cancelled) {
        cancelled_ = true;
        lastError_ = "Cancelled";
        return false;
    }
    if (status != IoStatus::Done)
        return Stop(Capitalised(why));
    offersStartTls_ = false;
    authMechanisms_.clear();
    return true;
}

bool CSmtpClient::Ehlo() {
    Send("EHLO " + LocalHostName() + "\r\n");
    int code = 0;
    if (!ExpectReply(code))
        return false;
    if (code != 250)
        return Stop("The server refused EHLO (" + std::to_string(code) + " " + ServerText() + ")");
    // The first line greets; each further one names an extension and its parameters.
    offersStartTls_ = false;
    authMechanisms_.clear();
    size_t start = replyText_.find('\n');
    while (start != std::string::npos) {
        const size_t end = replyText_.find('\n', start + 1);
        const std::string line = Upper(replyText_.substr(start + 1, end - start - 1));
        start = end;
        if (line == "STARTTLS" || line.rfind("STARTTLS ", 0) == 0)
            offersStartTls_ = true;
        // "AUTH=" is how some older servers say it.
        if (line.rfind("AUTH ", 0) != 0 && line.rfind("AUTH=", 0) != 0)
            continue;
        size_t at = 5;
        while (at < line.size()) {
            const size_t space = line.find(' ', at);
            const std::string word = line.substr(at, space - at);
            if (!word.empty())
                authMechanisms_.push_back(word);
            at = space == std::string::npos ? line.size() : space + 1;
        }
    }
    return true;
}

bool CSmtpClient::StartTls() {
    if (!offersStartTls_)
        return Stop("The server does not offer STARTTLS, so the connection cannot be secured; "
                    "nothing more was sent");
    Send("STARTTLS\r\n");
    int code = 0;
    if (!ExpectReply(code))
        return false;
    if (code != 220)
        return Stop("The server refused STARTTLS (" + std::to_string(code) + " " + ServerText() +
                    ")");
    // The extensions are asked again: what was offered before TLS may have been forged.
    return Secure() && Ehlo();
}

bool CSmtpClient::Authenticate() {
    if (!transport_->IsSecure())
        return Stop("The connection is not secured, so the password was not sent");
    const auto offers = [&](const char* mechanism) {
        return std::find(authMechanisms_.begin(), authMechanisms_.end(), mechanism) !=
               authMechanisms_.end();
    };
    int code = 0;
    if (offers("PLAIN"))
        return SendCredential("AUTH PLAIN " +
                                  Base64(std::string(1, '\0') + user_ + '\0' + password_) + "\r\n",
                              235, code);
    if (offers("LOGIN"))
        return SendCredential("AUTH LOGIN\r\n", 334, code) &&
               SendCredential(Base64(user_) + "\r\n", 334, code) &&
               SendCredential(Base64(password_) + "\r\n", 235, code);
    return Stop("The server offers no login this program knows (AUTH PLAIN or LOGIN); the "
                "password was not sent");
}

bool CSmtpClient::SendCredential(const std::string& text, int expected, int& code) {
    Send(text);
    if (!ExpectReply(code))
        return false;
    if (code == expected)
        return true;
    const std::string reply = " (" + std::to_string(code) + " " + ServerText() + ")";
    switch (code) {
    case 535:
        return Stop("The server refused the user name or password" + reply);
    case 534:
        return Stop("The server wants another way of logging in, for example an app password" +
                    reply);
    case 454:
        return Stop("The server cannot check the password just now; try again later" + reply);
    default:
        return Stop("The server refused the login" + reply);
    }
}

bool CSmtpClient::Refused(int code, const std::string& what) {
    const std::string reply = " (" + std::to_string(code) + " " + ServerText() + ")";
    if (code == 530)
        lastError_ = "The server wants a login first: set the user name and password of the "
                     "mail account" +
                     reply;
    else if (code >= 400 && code < 500)
        lastError_ = "The server cannot take the message just now; try again later" + reply;
    else if (!what.empty() && code != 554)
        lastError_ = "The server refused " + what + reply;
    else
        lastError_ = "The server refused the message" + reply;
    return false;
}

bool CSmtpClient::SendMail(CPlainMail& message) {
    if (!connected_) {
        lastError_ = "Must be connected";
        return false;
    }
    return Prepare(message) && Transmit(message);
}

bool CSmtpClient::Prepare(CPlainMail& message) {
    if (message.RecipientCount(RECIPIENT_TO) == 0) {
        lastError_ = "No Recipients";
        return false;
    }
    message.FormatMessage();
    return true;
}

bool CSmtpClient::Transmit(CPlainMail& message) {
    if (!connected_) {
        lastError_ = "Must be connected";
        return false;
    }
    // The classic exchange judges each reply by the design's table; the extended one names
    // what the server refused.
    const bool extended = Extended();
    const auto accepted = [&](int index, int expected, const std::string& what) {
        if (!extended)
            return CheckReply(index);
        int code = 0;
        if (!ExpectReply(code))
            return false;
        return code == expected || (expected == 250 && code == 251) || Refused(code, what);
    };
    Send("MAIL From: <" + OneLine(message.from) + ">\r\n");
    if (!accepted(kReplyOk, 250, "the sender <" + OneLine(message.from) + ">"))
        return false;
    for (const RecipientKind kind : {RECIPIENT_TO, RECIPIENT_CC, RECIPIENT_BCC}) {
        std::string address, name;
        for (size_t i = 0; message.GetRecipient(i, kind, address, name); ++i) {
            Send("RCPT TO: <" + OneLine(address) + ">\r\n");
            // Classic: a refused recipient leaves its reply in lastError and the sending goes
            // on. Extended: told rather than sent to the others only, so that the user can
            // mend the address.
            if (!accepted(kReplyOk, 250, "the recipient <" + OneLine(address) + ">") && extended)
                return false;
        }
    }
    Send("DATA\r\n");
    if (!accepted(kReplyData, 354, {}))
        return false;
    // The header is stuffed as well: a caller's text with a line break must not end the data.
    // One write, so that the short final line does not wait for the acknowledgement of the
    // rest (40 ms on an idle connection).
    Send(DotStuffed(message.header) + DotStuffed(message.body) + "\r\n.\r\n");
    return accepted(kReplyOk, 250, {});
}

bool CSmtpClient::Disconnect() {
    if (!connected_)
        return true;
    Send("QUIT\r\n");
    const bool ok = CheckReply(kReplyQuit);
    CloseConnection();
    connected_ = false;
    return ok;
}

SmtpDelivery DeliverMail(const SmtpSettings& settings, CPlainMail& message,
                         const std::atomic<bool>* cancel) {
    CSmtpClient client(settings.host, settings.port);
    client.SetTimeout(settings.timeout);
    client.SetSendingLimit(settings.limit);
    client.SetSecurity(settings.security, settings.caFile);
    client.SetLogin(settings.user, settings.password);
    client.SetCancelFlag(cancel);
    if (!client.Connect()) {
        const SmtpOutcome outcome = client.WasCancelled()  ? SmtpOutcome::Cancelled
                                    : client.SetupFailed() ? SmtpOutcome::SetupFailed
                                                           : SmtpOutcome::ConnectFailed;
        return {outcome, client.LastErrorText()};
    }
    const bool sent = client.SendMail(message);
    SmtpDelivery result{sent                    ? SmtpOutcome::Sent
                        : client.WasCancelled() ? SmtpOutcome::Cancelled
                                                : SmtpOutcome::SendFailed,
                        client.LastErrorText()};
    client.Disconnect();
    return result;
}

SmtpDelivery DeliverMail(const std::string& server, int port, CPlainMail& message,
                         std::chrono::milliseconds timeout) {
    SmtpSettings settings;
    settings.host = server;
    settings.port = port;
    settings.timeout = timeout;
    return DeliverMail(settings, message);
}
