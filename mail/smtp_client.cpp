#include "mail/smtp_client.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <limits>
#include <netdb.h>
#include <netinet/in.h>
#include <new>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr size_t kReplyBufferSize = 1024;
constexpr size_t kHostNameMax = 80;

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

bool ResolveIPv4(const std::string& server, int port, sockaddr_in& address) {
    if (server.empty() || port <= 0 || port > 65535)
        return false;
    address = sockaddr_in{};
    address.sin_family = AF_INET;
    address.sin_port = htons(uint16_t(port));
    if (inet_pton(AF_INET, server.c_str(), &address.sin_addr) == 1)
        return true;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(server.c_str(), nullptr, &hints, &found) != 0 || !found)
        return false;
    address.sin_addr = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
    freeaddrinfo(found);
    return true;
}

} // namespace

CSmtpClient::CSmtpClient(std::string server, int port)
    : lastError_("OK"), port_(port), server_(std::move(server)) {}

CSmtpClient::~CSmtpClient() {
    if (connected_)
        Disconnect();
    CloseConnection();
}

bool CSmtpClient::WaitFor(short events, std::chrono::steady_clock::time_point deadline) {
    if (broken_ || socket_ < 0)
        return false;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd p{socket_, events, 0};
        const int64_t ms = std::clamp<int64_t>(left.count(), 0, std::numeric_limits<int>::max());
        const int rc = poll(&p, 1, int(ms));
        if (rc > 0)
            return true;
        if (rc == 0 || errno != EINTR)
            return false;
    }
}

bool CSmtpClient::ReceiveReply(int& code) {
    // A reply ends with the line feed of a line that does not continue it ("250-" does).
    // The whole of it is read, so that a reply sent in pieces is judged once it is there
    // and the next check does not take its remainder for the next reply.
    const auto deadline = std::chrono::steady_clock::now() + timeout_;
    code = 0;
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
            ++column;
        }
        replyStart_ = replyEnd_ = 0;
        // A peer that never stops talking is judged on what came within the wait.
        if (std::chrono::steady_clock::now() >= deadline)
            return received;
        ssize_t n = -1;
        if (WaitFor(POLLIN, deadline)) {
            do {
                n = recv(socket_, replyBuffer_.get(), kReplyBufferSize, 0);
            } while (n < 0 && errno == EINTR);
        }
        // A connection that closes or goes quiet within a reply leaves what came to be judged.
        if (n <= 0)
            return received;
        replyEnd_ = size_t(n);
    }
}

bool CSmtpClient::CheckReply(int index) {
    const ExpectedReply& expected = kExpected[index];
    int code = 0;
    // A closed connection or a wait that ran out counts as a failed receive.
    if (!ReceiveReply(code)) {
        lastError_ = "Socket Error";
        return false;
    }
    if (code == expected.code)
        return true;
    lastError_ = std::to_string(code) + ":" + expected.text;
    return false;
}

void CSmtpClient::Send(std::string_view text) {
    while (!text.empty() && !broken_) {
        if (!WaitFor(POLLOUT, std::chrono::steady_clock::now() + timeout_)) {
            broken_ = true;
            break;
        }
        // Never blocking: a peer that stops reading must not hold us past the wait.
        const ssize_t n = send(socket_, text.data(), text.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK))
            continue;
        if (n <= 0) {
            broken_ = true;
            break;
        }
        text.remove_prefix(size_t(n));
    }
}

bool CSmtpClient::ConnectSocket() {
    sockaddr_in address;
    if (!ResolveIPv4(server_, port_, address))
        return false;
    const int flags = fcntl(socket_, F_GETFL);
    if (flags < 0 || fcntl(socket_, F_SETFL, flags | O_NONBLOCK) != 0)
        return false;
    if (connect(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        if (errno != EINPROGRESS || !WaitFor(POLLOUT, std::chrono::steady_clock::now() + timeout_))
            return false;
        int error = 0;
        socklen_t size = sizeof error;
        if (getsockopt(socket_, SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0)
            return false;
    }
    return fcntl(socket_, F_SETFL, flags) == 0;
}

void CSmtpClient::CloseConnection() {
    if (socket_ >= 0)
        close(socket_);
    socket_ = -1;
    replyBuffer_.reset();
    replyStart_ = replyEnd_ = 0;
    broken_ = false;
}

bool CSmtpClient::Connect() {
    if (connected_)
        return true;
    replyBuffer_.reset(new (std::nothrow) char[kReplyBufferSize]);
    if (!replyBuffer_) {
        lastError_ = "Not enough memory";
        return false;
    }
    socket_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socket_ < 0) {
        lastError_ = "Unable to create the socket.";
        CloseConnection();
        return false;
    }
    broken_ = false;
    if (!ConnectSocket()) {
        lastError_ = "Unable to connect to server";
        CloseConnection();
        return false;
    }
    if (!CheckReply(kReplyGreeting)) {
        lastError_ = "Server didn't respond.";
        CloseConnection();
        return false;
    }
    Send("HELO " + LocalHostName() + "\r\n");
    if (!CheckReply(kReplyOk)) {
        CloseConnection();
        return false;
    }
    connected_ = true;
    return true;
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
    Send("MAIL From: <" + OneLine(message.from) + ">\r\n");
    if (!CheckReply(kReplyOk))
        return false;
    for (const RecipientKind kind : {RECIPIENT_TO, RECIPIENT_CC, RECIPIENT_BCC}) {
        std::string address, name;
        for (size_t i = 0; message.GetRecipient(i, kind, address, name); ++i) {
            Send("RCPT TO: <" + OneLine(address) + ">\r\n");
            // A refused recipient leaves its reply in lastError and the sending goes on.
            CheckReply(kReplyOk);
        }
    }
    Send("DATA\r\n");
    if (!CheckReply(kReplyData))
        return false;
    // The header is stuffed as well: a caller's text with a line break must not end the data.
    // One write, so that the short final line does not wait for the acknowledgement of the
    // rest (40 ms on an idle connection).
    Send(DotStuffed(message.header) + DotStuffed(message.body) + "\r\n.\r\n");
    return CheckReply(kReplyOk);
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

SmtpDelivery DeliverMail(const std::string& server, int port, CPlainMail& message,
                         std::chrono::milliseconds timeout) {
    CSmtpClient client(server, port);
    client.SetTimeout(timeout);
    if (!client.Connect())
        return {SmtpOutcome::ConnectFailed, client.LastErrorText()};
    const bool sent = client.SendMail(message);
    SmtpDelivery result{sent ? SmtpOutcome::Sent : SmtpOutcome::SendFailed, client.LastErrorText()};
    client.Disconnect();
    return result;
}
