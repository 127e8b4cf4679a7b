#include "web/web_connection.h"

#include "web/accept_thread.h"
#include "web/request_headers.h"
#include "web/web_server.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>

#include <sys/socket.h>

CWebConnection::CWebConnection(std::unique_ptr<CTcpSocket> socket) : socket_(std::move(socket)) {
    if (!socket_)
        socket_ = std::make_unique<CTcpSocket>();
}

CWebConnection::~CWebConnection() = default;

bool CWebConnection::InitInstance() {
    server_ = acceptThread_ ? &acceptThread_->Server() : nullptr;
    return true;
}

void CWebConnection::StartDeadline() {
    const int limit = socket_->WaitLimit();
    hasDeadline_ = limit >= 0;
    if (hasDeadline_)
        deadline_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(limit);
}

CWebConnection::Fill CWebConnection::FillInbox() {
    int wait = -1;
    if (hasDeadline_) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline_ - std::chrono::steady_clock::now());
        // Checked here too, or a peer that never lets the buffer run dry could go on
        // sending for ever.
        if (left.count() <= 0)
            return Fill::Failed;
        wait = int(left.count());
    }
    const size_t got = socket_->Receive(inbox_.data(), inbox_.size(), wait);
    inboxStart_ = 0;
    inboxEnd_ = got;
    if (got > 0)
        return Fill::Data;
    // A wait that ran out or was cut short (or a socket closed earlier) is a failure; the
    // peer closing or resetting ends the line with what came.
    const int error = socket_->LastError();
    return error == ETIMEDOUT || error == ECANCELED || error == EBADF ? Fill::Failed : Fill::Closed;
}

bool CWebConnection::ReadLine(char* buffer, size_t size) {
    size_t i = 0;
    while (i < size) {
        if (inboxStart_ == inboxEnd_) {
            const Fill fill = FillInbox();
            if (fill == Fill::Failed)
                return false;
            if (fill == Fill::Closed) {
                buffer[i] = 0;
                return true;
            }
        }
        const char c = inbox_[inboxStart_++];
        if (c == '\n') {
            buffer[i] = 0;
            return true;
        }
        if (c != '\r')
            buffer[i++] = c;
    }
    return false;
}

int CWebConnection::FindHeader(std::string_view name, int first) const {
    return ::FindHeader(requestLines_, name, first);
}

std::string CWebConnection::HeaderValue(int index) const {
    return ::HeaderValue(requestLines_, index);
}

void CWebConnection::ReceiveBody(size_t n) {
    postBody_.assign(n + 1, 0);
    StartDeadline();
    size_t have = 0;
    while (have < n) {
        if (inboxStart_ == inboxEnd_ && FillInbox() != Fill::Data)
            return;
        const size_t take = std::min(n - have, inboxEnd_ - inboxStart_);
        std::memcpy(postBody_.data() + have, inbox_.data() + inboxStart_, take);
        inboxStart_ += take;
        have += take;
    }
}

int CWebConnection::Run() {
    requestLines_.clear();
    postBody_.clear();
    StartDeadline();

    char line[kLineSize];
    for (;;) {
        std::memset(line, 0, sizeof line);
        if (!ReadLine(line, sizeof line))
            return 0;
        if (line[0] == 0)
            break;
        if (requestLines_.size() == kMaxRequestLines)
            return 0;
        requestLines_.emplace_back(line);
    }
    // A peer that closed or reset before the head was complete took the socket with it
    // (the receive closed it): nothing can be answered, and nothing must be logged.
    if (requestLines_.empty() || socket_->Handle() < 0)
        return 0;

    const std::string& request = requestLines_.front();
    if (request.starts_with("POST")) {
        const int i = FindHeader("Content-Length", 0);
        if (i > 0) {
            const std::string value = HeaderValue(i);
            long long n = 0;
            const auto parsed = std::from_chars(value.data(), value.data() + value.size(), n);
            if (parsed.ec == std::errc() && n > 0 && n <= static_cast<long long>(kMaxPostBody))
                ReceiveBody(size_t(n));
        }
    }

    socket_->Shutdown(SHUT_RD);
    if (request.starts_with("POST"))
        OnPost();
    else if (request.starts_with("GET"))
        OnGet();
    else if (request.starts_with("HEAD"))
        OnHead();
    socket_->Shutdown(SHUT_RDWR);
    return 1;
}

int CWebConnection::ExitInstance() {
    requestLines_.clear();
    socket_->Close();
    postBody_ = {};
    if (acceptThread_)
        acceptThread_->RemoveConnection(this);
    return 0;
}

int CWebConnection::OnGet() {
    static constexpr std::string_view kHeader = "HTTP/1.0 200\r\nContent-Type: text/html\r\n\r\n";
    static constexpr std::string_view kBody = "<HTML><BODY>TEST</BODY></HTML>";
    if (Socket().SendAll(kHeader.data(), kHeader.size(), true))
        Socket().SendAll(kBody.data(), kBody.size());
    return 0;
}
