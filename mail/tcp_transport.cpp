#include "mail/tcp_transport.h"

#include "mail/tls_session.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The longest a wait goes without looking at the cancel flag.
constexpr std::chrono::milliseconds kCancelSlice{50};

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

SmtpClock::time_point Earlier(std::chrono::milliseconds stall, SmtpClock::time_point end) {
    return std::min(SmtpClock::now() + stall, end);
}

} // namespace

CTcpTransport::CTcpTransport() = default;

CTcpTransport::~CTcpTransport() {
    Close();
}

IoStatus CTcpTransport::WaitFor(short events, SmtpClock::time_point deadline) {
    if (socket_ < 0)
        return IoStatus::Failed;
    for (;;) {
        if (Cancelled())
            return IoStatus::Cancelled;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SmtpClock::now());
        const auto slice = std::clamp(left, std::chrono::milliseconds(0), kCancelSlice);
        pollfd p{socket_, events, 0};
        const int rc = poll(&p, 1, int(slice.count()));
        if (rc > 0)
            return IoStatus::Done;
        if (rc < 0 && errno != EINTR)
            return IoStatus::Failed;
        if (rc == 0 && left <= kCancelSlice)
            return IoStatus::TimedOut;
    }
}

IoStatus CTcpTransport::Open(const std::string& host, int port, SmtpClock::time_point deadline) {
    Close();
    socket_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (socket_ < 0)
        return IoStatus::NoSocket;
    sockaddr_in address;
    if (!ResolveIPv4(host, port, address)) {
        Close();
        return IoStatus::Failed;
    }
    if (Cancelled()) {
        Close();
        return IoStatus::Cancelled;
    }
    if (connect(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const IoStatus waited =
            errno == EINPROGRESS ? WaitFor(POLLOUT, deadline) : IoStatus::Failed;
        int error = 0;
        socklen_t size = sizeof error;
        if (waited != IoStatus::Done ||
            getsockopt(socket_, SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0) {
            Close();
            return waited == IoStatus::Done ? IoStatus::Failed : waited;
        }
    }
    return IoStatus::Done;
}

IoStatus CTcpTransport::Receive(char* buffer, size_t size, size_t& received,
                                SmtpClock::time_point deadline) {
    received = 0;
    for (;;) {
        if (socket_ < 0)
            return IoStatus::Failed;
        if (Cancelled())
            return IoStatus::Cancelled;
        short waitFor = POLLIN;
        if (tls_) {
            switch (tls_->Read(buffer, size, received)) {
            case CTlsSession::Step::Done:
                return IoStatus::Done;
            case CTlsSession::Step::WantRead:
                break;
            case CTlsSession::Step::WantWrite:
                waitFor = POLLOUT;
                break;
            case CTlsSession::Step::Closed:
                return IoStatus::Closed;
            case CTlsSession::Step::Failed:
                return IoStatus::Failed;
            }
        } else {
            const ssize_t n = recv(socket_, buffer, size, MSG_DONTWAIT);
            if (n > 0) {
                received = size_t(n);
                return IoStatus::Done;
            }
            if (n == 0)
                return IoStatus::Closed;
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK)
                return IoStatus::Failed;
        }
        const IoStatus waited = WaitFor(waitFor, deadline);
        if (waited != IoStatus::Done)
            return waited;
    }
}

IoStatus CTcpTransport::Send(std::string_view data, std::chrono::milliseconds stall,
                             SmtpClock::time_point end) {
    while (!data.empty()) {
        if (socket_ < 0)
            return IoStatus::Failed;
        if (Cancelled())
            return IoStatus::Cancelled;
        short waitFor = POLLOUT;
        if (tls_) {
            size_t put = 0;
            switch (tls_->Write(data.data(), data.size(), put)) {
            case CTlsSession::Step::Done:
                data.remove_prefix(put);
                continue;
            case CTlsSession::Step::WantRead:
                waitFor = POLLIN;
                break;
            case CTlsSession::Step::WantWrite:
                break;
            case CTlsSession::Step::Closed:
            case CTlsSession::Step::Failed:
                return IoStatus::Failed;
            }
        } else {
            // Never blocking: a peer that stops reading must not hold us past the wait.
            const ssize_t n = send(socket_, data.data(), data.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n > 0) {
                data.remove_prefix(size_t(n));
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
                return IoStatus::Failed;
        }
        const IoStatus waited = WaitFor(waitFor, Earlier(stall, end));
        if (waited != IoStatus::Done)
            return waited;
    }
    return IoStatus::Done;
}

IoStatus CTcpTransport::StartTls(const TlsPeer& peer, SmtpClock::time_point deadline,
                                 std::string& why) {
    if (socket_ < 0) {
        why = "the connection is closed";
        return IoStatus::Failed;
    }
    tls_ = CTlsSession::Create(socket_, peer, why);
    IoStatus status = tls_ ? IoStatus::Done : IoStatus::Failed;
    while (tls_) {
        const CTlsSession::Step step = tls_->Handshake();
        if (step == CTlsSession::Step::Done) {
            secure_ = true;
            return IoStatus::Done;
        }
        if (step == CTlsSession::Step::Closed || step == CTlsSession::Step::Failed) {
            why = tls_->HandshakeFailure();
            status = IoStatus::Failed;
            break;
        }
        status = WaitFor(step == CTlsSession::Step::WantRead ? POLLIN : POLLOUT, deadline);
        if (status == IoStatus::TimedOut)
            why = "the server did not complete the TLS handshake in time";
        if (status != IoStatus::Done)
            break;
    }
    // Nothing more may travel on a connection that was to be secured and is not.
    Close();
    if (why.empty())
        why = status == IoStatus::Cancelled ? "cancelled" : "the connection broke";
    return status;
}

bool CTcpTransport::IsSecure() const {
    return socket_ >= 0 && tls_ && secure_;
}

void CTcpTransport::Close() {
    tls_.reset();
    secure_ = false;
    if (socket_ >= 0)
        close(socket_);
    socket_ = -1;
}
