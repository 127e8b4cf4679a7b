#include "web/tcp_socket.h"

#include <cerrno>
#include <chrono>

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

sockaddr_in MakeAddress(uint32_t address, uint16_t port) {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    sa.sin_addr.s_addr = htonl(address);
    return sa;
}

} // namespace

CTcpSocket::~CTcpSocket() {
    if (handle_ >= 0)
        ::close(handle_);
}

bool CTcpSocket::Close() {
    if (handle_ < 0)
        return false;
    ::close(handle_);
    handle_ = -1;
    connected_ = false;
    lastError_ = 0;
    return true;
}

void CTcpSocket::Fail(int error) {
    Close();
    lastError_ = error;
}

bool CTcpSocket::Open(uint16_t port, uint32_t address, int backlog) {
    Close();
    // Non-blocking, so that an accept never waits for a connection that vanished after the
    // readiness wait.
    handle_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (handle_ < 0) {
        lastError_ = errno;
        handle_ = -1;
        return false;
    }
    // Lets a stopped server start again on its port while old connections linger in
    // TIME_WAIT; a port another program listens on still fails to bind.
    int on = 1;
    ::setsockopt(handle_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    const sockaddr_in sa = MakeAddress(address, port);
    if (::bind(handle_, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0 ||
        ::listen(handle_, backlog) != 0) {
        Fail(errno);
        return false;
    }
    return true;
}

std::unique_ptr<CTcpSocket> CTcpSocket::Accept() {
    if (waitLimit_ != 0 && WaitReadable(waitLimit_) <= 0)
        return nullptr;
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    const int handle =
        ::accept4(handle_, reinterpret_cast<sockaddr*>(&peer), &length, SOCK_CLOEXEC);
    if (handle < 0) {
        lastError_ = errno;
        return nullptr;
    }
    auto socket = std::make_unique<CTcpSocket>();
    socket->handle_ = handle;
    socket->peerAddress_ = ntohl(peer.sin_addr.s_addr);
    socket->connected_ = true;
    return socket;
}

int CTcpSocket::WaitFor(short events, int milliseconds) {
    if (handle_ < 0) {
        lastError_ = EBADF;
        return 0;
    }
    using Clock = std::chrono::steady_clock;
    const bool forData = events == POLLIN;
    std::optional<Clock::time_point> deadline;
    auto limitTo = [&deadline](Clock::time_point end) {
        if (!deadline || end < *deadline)
            deadline = end;
    };
    if (milliseconds >= 0)
        limitTo(Clock::now() + std::chrono::milliseconds(milliseconds));
    if (!forData && sendDeadline_)
        limitTo(*sendDeadline_);
    if (!forData && graceEnd_)
        limitTo(*graceEnd_);
    for (;;) {
        // A send wait stops watching the abort handle once its grace has begun: the handle
        // stays readable.
        const bool watchAbort = abortHandle_ >= 0 && (forData || !graceEnd_);
        pollfd fds[2] = {{handle_, events, 0}, {abortHandle_, POLLIN, 0}};
        int timeout = -1;
        if (deadline) {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now());
            timeout = left.count() > 0 ? int(left.count()) : 0;
        }
        const int ready = ::poll(fds, watchAbort ? 2 : 1, timeout);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0) {
            lastError_ = errno;
            return 0;
        }
        // Data that is already there is still taken when an abort comes at the same time.
        if (fds[0].revents != 0)
            return ready;
        if (ready == 0) {
            lastError_ = ETIMEDOUT;
            return 0;
        }
        if (forData) {
            lastError_ = ECANCELED;
            return 0;
        }
        graceEnd_ = Clock::now() + std::chrono::milliseconds(abortGrace_);
        limitTo(*graceEnd_);
    }
}

int CTcpSocket::WaitReadable(int milliseconds) {
    return WaitFor(POLLIN, milliseconds);
}

size_t CTcpSocket::Send(const void* data, size_t n, bool more) {
    // MSG_NOSIGNAL: a peer that has gone must not kill the process with SIGPIPE.
    const int flags = MSG_NOSIGNAL | MSG_DONTWAIT | (more ? MSG_MORE : 0);
    for (;;) {
        if (handle_ < 0) {
            lastError_ = EBADF;
            return 0;
        }
        if (sendDeadline_ && std::chrono::steady_clock::now() >= *sendDeadline_) {
            Fail(ETIMEDOUT);
            return 0;
        }
        const ssize_t sent = ::send(handle_, data, n, flags);
        if (sent > 0)
            return size_t(sent);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (WaitFor(POLLOUT, waitLimit_) > 0)
                continue;
            Fail(lastError_);
            return 0;
        }
        Fail(sent < 0 ? errno : EPIPE);
        return 0;
    }
}

size_t CTcpSocket::Receive(void* buffer, size_t n, int milliseconds) {
    for (;;) {
        if (handle_ < 0) {
            lastError_ = EBADF;
            return 0;
        }
        const ssize_t got = ::recv(handle_, buffer, n, MSG_DONTWAIT);
        if (got > 0)
            return size_t(got);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (WaitReadable(milliseconds) > 0)
                continue;
            Fail(lastError_);
            return 0;
        }
        Fail(got < 0 ? errno : 0);
        return 0;
    }
}

bool CTcpSocket::SendAll(const void* data, size_t n, bool more) {
    auto* bytes = static_cast<const unsigned char*>(data);
    while (n > 0) {
        const size_t sent = Send(bytes, n, more);
        if (sent == 0)
            return false;
        bytes += sent;
        n -= sent;
    }
    return true;
}

bool CTcpSocket::ReceiveExact(void* buffer, size_t n, int milliseconds) {
    auto* bytes = static_cast<unsigned char*>(buffer);
    while (n > 0) {
        const size_t got = Receive(bytes, n, milliseconds);
        if (got == 0)
            return false;
        bytes += got;
        n -= got;
    }
    return true;
}

bool CTcpSocket::Shutdown(int how) {
    if (handle_ < 0)
        return false;
    if (::shutdown(handle_, how) != 0) {
        lastError_ = errno;
        return false;
    }
    return true;
}

uint16_t CTcpSocket::LocalPort() const {
    sockaddr_in sa{};
    socklen_t length = sizeof sa;
    if (handle_ < 0 || ::getsockname(handle_, reinterpret_cast<sockaddr*>(&sa), &length) != 0)
        return 0;
    return ntohs(sa.sin_port);
}

std::optional<std::string> CTcpSocket::PeerHostName(uint32_t address) const {
    const sockaddr_in sa = MakeAddress(address != 0 ? address : peerAddress_, 0);
    char host[NI_MAXHOST];
    if (::getnameinfo(reinterpret_cast<const sockaddr*>(&sa), sizeof sa, host, sizeof host, nullptr,
                      0, NI_NAMEREQD) != 0)
        return std::nullopt;
    return std::string(host);
}

std::string CTcpSocket::PeerAddressText() const {
    in_addr in{};
    in.s_addr = htonl(peerAddress_);
    char text[INET_ADDRSTRLEN];
    return ::inet_ntop(AF_INET, &in, text, sizeof text) ? std::string(text) : std::string();
}
