// Replies of a misbehaving SMTP server. A scripted peer on a loopback port answers each
// command line of the real client (and the end of the message data) with the next piece of
// the input; pieces are separated by NUL bytes. An empty piece closes the connection, a
// piece starting with byte 1 makes the peer fall silent. The exchange must end in bounded
// time with one of the client's own error texts.
// An input starting with byte 2, 3 or 4 runs the extended exchange (EHLO and its
// extensions, STARTTLS, the login steps) over a connection that pretends TLS: 2 STARTTLS
// with a login, 3 TLS from the first byte with a login, 4 STARTTLS without one. The
// credentials must never reach the peer before TLS was set up.
#include "fuzz_support.h"

#include "mail/base64_coder.h"
#include "mail/smtp_client.h"
#include "mail/tcp_transport.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace {

// The client's wait for each reply: short, as a silent peer costs that much per input.
constexpr std::chrono::milliseconds kClientTimeout{20};

enum class Mode { Classic, StartTlsLogin, TlsLogin, StartTlsOnly };

constexpr const char* kUser = "fuzz-user";
constexpr const char* kPassword = "fuzz-password";

std::string Base64(std::string_view bytes) {
    return CBase64Coder().Encode(bytes.data(), bytes.size());
}

// The TCP connection with a handshake that always succeeds and changes nothing on the wire,
// so that the peer's plain bytes reach the client's steps inside TLS.
class PretendTls : public CTcpTransport {
public:
    explicit PretendTls(std::atomic<bool>& secured) : secured_(secured) {}
    IoStatus StartTls(const TlsPeer&, SmtpClock::time_point, std::string&) override {
        secured_ = true;
        return IoStatus::Done;
    }
    // Once set, for the rest of the input: the peer may read a line after the client has
    // hung up.
    bool IsSecure() const override { return secured_; }

private:
    std::atomic<bool>& secured_;
};
// The peer's wait for the client; running out means the client hung.
constexpr int kPeerWaitMs = 5000;

int Listener(uint16_t& port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(fd, 8) != 0 || getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        fuzzsupport::Fail("cannot listen on a loopback port");
    port = ntohs(address.sin_port);
    return fd;
}

bool WaitReadable(int fd) {
    pollfd p{fd, POLLIN, 0};
    int rc;
    do {
        rc = poll(&p, 1, kPeerWaitMs);
    } while (rc < 0 && errno == EINTR);
    return rc > 0;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(text[i])) != prefix[i])
            return false;
    return true;
}

// Plays the script on one accepted connection.
class ScriptedPeer {
public:
    ScriptedPeer(int connection, std::vector<std::string_view> script, Mode mode,
                 const std::atomic<bool>& secured)
        : fd_(connection), script_(std::move(script)), mode_(mode), secured_(secured) {}

    void Play() {
        Reply(); // the greeting
        std::string pending;
        char buffer[4096];
        while (!closed_) {
            if (!WaitReadable(fd_))
                fuzzsupport::Fail("the client neither sent nor closed");
            const ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            pending.append(buffer, size_t(n));
            size_t end;
            while (!closed_ && (end = pending.find('\n')) != std::string::npos) {
                OnLine(std::string_view(pending).substr(0, end + 1));
                pending.erase(0, end + 1);
            }
        }
        close(fd_);
    }

private:
    void OnLine(std::string_view line) {
        // After DATA the client either sends the message or, when it read a refusal, gives
        // up with QUIT; no line of the message is QUIT, and the peer cannot know which of
        // its replies the client took for the answer to DATA.
        if (inData_ && !(dataLines_ == 0 && line == "QUIT\r\n")) {
            ++dataLines_;
            if (line == ".\r\n") {
                inData_ = false;
                Reply();
            }
            return;
        }
        inData_ = false;
        static constexpr std::array<std::string_view, 8> kCommands = {
            "HELO ",    "MAIL FROM: <", "RCPT TO: <",   "DATA\r\n",
            "QUIT\r\n", "EHLO ",        "STARTTLS\r\n", "AUTH "};
        bool known = false;
        for (std::string_view command : kCommands)
            known = known || StartsWithNoCase(line, command);
        const bool credential = StartsWithNoCase(line, "AUTH ") || line == Base64(kUser) + "\r\n" ||
                                line == Base64(kPassword) + "\r\n";
        if (!known && !credential)
            fuzzsupport::Fail("the client sent a line that is no command");
        if (mode_ == Mode::Classic && !StartsWithNoCase(line, "HELO ") &&
            (StartsWithNoCase(line, "EHLO ") || StartsWithNoCase(line, "STARTTLS") || credential))
            fuzzsupport::Fail("the classic exchange went beyond HELO");
        if (credential && (mode_ == Mode::StartTlsOnly || !secured_))
            fuzzsupport::Fail("the login was sent outside TLS");
        if (line == "DATA\r\n") {
            inData_ = true;
            dataLines_ = 0;
        }
        Reply();
    }

    // Sends the next piece of the script.
    void Reply() {
        if (silent_ || closed_)
            return;
        if (next_ >= script_.size() || script_[next_].empty()) {
            shutdown(fd_, SHUT_RDWR);
            closed_ = true;
            return;
        }
        const std::string_view piece = script_[next_++];
        if (piece[0] == '\x01') {
            silent_ = true;
            return;
        }
        for (size_t sent = 0; sent < piece.size();) {
            const ssize_t n = send(fd_, piece.data() + sent, piece.size() - sent, MSG_NOSIGNAL);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            sent += size_t(n);
        }
    }

    int fd_;
    std::vector<std::string_view> script_;
    Mode mode_;
    const std::atomic<bool>& secured_;
    size_t next_ = 0;
    bool inData_ = false;
    size_t dataLines_ = 0;
    bool silent_ = false;
    bool closed_ = false;
};

// The client's own texts of the extended exchange start so; what follows quotes the server
// as plain printable text.
bool KnownExtendedText(const std::string& text) {
    static constexpr std::array<std::string_view, 14> kStarts = {
        "The server refused ",
        "The server does not offer STARTTLS",
        "The server did not answer in time",
        "The server closed the connection",
        "The connection to the server broke",
        "The server wants a login first",
        "The server wants another way of logging in",
        "The server cannot take the message just now",
        "The server cannot check the password just now",
        "The server offers no login this program knows",
        "The sending took longer than ",
        "Cancelled",
        "Server didn't respond.",
        "Unable to connect to server"};
    for (const char c : text)
        if (c < 0x20 || c > 0x7E)
            return false;
    for (std::string_view start : kStarts)
        if (text.rfind(start, 0) == 0)
            return true;
    return false;
}

bool KnownErrorText(const std::string& text) {
    static constexpr std::array<std::string_view, 8> kTexts = {"OK",
                                                               "Not enough memory",
                                                               "Unable to create the socket.",
                                                               "Unable to connect to server",
                                                               "Server didn't respond.",
                                                               "Must be connected",
                                                               "No Recipients",
                                                               "Socket Error"};
    for (std::string_view known : kTexts)
        if (text == known)
            return true;
    static constexpr std::array<std::string_view, 4> kReplyTexts = {
        "SMTP server error", "SMTP server not available", "SMTP server not ready for data",
        "SMTP server didn't terminate session"};
    const size_t colon = text.find(':');
    if (colon == std::string::npos || colon == 0 || colon > 3)
        return false;
    for (size_t i = 0; i < colon; ++i)
        if (!std::isdigit(static_cast<unsigned char>(text[i])))
            return false;
    for (std::string_view known : kReplyTexts)
        if (text.compare(colon + 1, std::string::npos, known) == 0)
            return true;
    return false;
}

CPlainMail TestMessage() {
    CPlainMail message;
    message.from = "sender@example.com";
    message.subject = "test";
    message.AddRecipient("one@example.com", "", RECIPIENT_TO);
    message.AddRecipient("two@example.com", "", RECIPIENT_TO);
    message.AddRecipient("copy@example.com", "", RECIPIENT_CC);
    message.AddRecipient("hidden@example.com", "", RECIPIENT_BCC);
    message.body = "first line\r\n.\r\n.. two dots\r\nlast line\r\n";
    return message;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static uint16_t port = 0;
    static const int listener = Listener(port);

    std::string_view input(reinterpret_cast<const char*>(data), size);
    Mode mode = Mode::Classic;
    if (!input.empty() && input[0] >= '\x02' && input[0] <= '\x04') {
        mode = Mode(input[0] - 1);
        input.remove_prefix(1);
    }
    std::vector<std::string_view> script;
    for (size_t start = 0;;) {
        const size_t end = input.find('\0', start);
        script.push_back(input.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }

    std::atomic<bool> secured{false};
    std::thread peer([&] {
        if (!WaitReadable(listener))
            fuzzsupport::Fail("the client did not connect");
        int connection;
        do {
            connection = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        } while (connection < 0 && errno == EINTR);
        if (connection < 0)
            fuzzsupport::Fail("cannot accept the client");
        ScriptedPeer(connection, script, mode, secured).Play();
    });
    CPlainMail message = TestMessage();
    SmtpDelivery result{SmtpOutcome::ConnectFailed, {}};
    if (mode == Mode::Classic) {
        result = DeliverMail("127.0.0.1", port, message, kClientTimeout);
    } else {
        // As DeliverMail runs it, over the pretended TLS.
        CSmtpClient client("127.0.0.1", port);
        client.SetTimeout(kClientTimeout);
        client.SetSecurity(mode == Mode::TlsLogin ? SmtpSecurity::Tls : SmtpSecurity::StartTls);
        if (mode != Mode::StartTlsOnly)
            client.SetLogin(kUser, kPassword);
        client.SetTransport(std::make_unique<PretendTls>(secured));
        if (!client.Connect()) {
            result = {client.SetupFailed() ? SmtpOutcome::SetupFailed : SmtpOutcome::ConnectFailed,
                      client.LastErrorText()};
        } else {
            const bool sent = client.SendMail(message);
            result = {sent ? SmtpOutcome::Sent : SmtpOutcome::SendFailed, client.LastErrorText()};
            client.Disconnect();
        }
    }
    peer.join();

    const bool known = mode == Mode::Classic ? KnownErrorText(result.errorText)
                                             : KnownErrorText(result.errorText) ||
                                                   KnownExtendedText(result.errorText);
    if (!known)
        fuzzsupport::Fail("the client reported a text of its own making");
    if (result.outcome == SmtpOutcome::ConnectFailed && result.errorText == "OK")
        fuzzsupport::Fail("a failed connection reported no reason");
    if (mode == Mode::Classic && result.outcome == SmtpOutcome::SetupFailed)
        fuzzsupport::Fail("the classic exchange failed a setup it has none of");
    return 0;
}
