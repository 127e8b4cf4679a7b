#include "loopback.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace mailtest {

Fd& Fd::operator=(Fd&& other) noexcept {
    Reset(other.Release());
    return *this;
}

int Fd::Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

void Fd::Reset(int fd) {
    if (fd_ >= 0)
        close(fd_);
    fd_ = fd;
}

Fd BoundSocket(int backlog, int& port) {
    Fd fd(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (!fd || bind(fd.get(), reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        getsockname(fd.get(), reinterpret_cast<sockaddr*>(&address), &size) != 0 ||
        (backlog >= 0 && listen(fd.get(), backlog) != 0))
        throw std::runtime_error("cannot open a loopback socket");
    port = ntohs(address.sin_port);
    return fd;
}

bool WaitReady(int fd, bool forWriting, std::chrono::milliseconds wait) {
    pollfd p{fd, short(forWriting ? POLLOUT : POLLIN), 0};
    int rc;
    do {
        rc = poll(&p, 1, int(wait.count()));
    } while (rc < 0 && errno == EINTR);
    return rc > 0;
}

Fd AcceptOne(int listener) {
    if (!WaitReady(listener, false))
        return Fd();
    return Fd(accept4(listener, nullptr, nullptr, SOCK_CLOEXEC));
}

bool SendAll(int fd, std::string_view text) {
    while (!text.empty()) {
        if (!WaitReady(fd, true))
            return false;
        const ssize_t n = send(fd, text.data(), text.size(), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        text.remove_prefix(size_t(n));
    }
    return true;
}

bool ReadUntil(int fd, std::string_view terminator, std::string& text) {
    // Peek first so that nothing after the terminator is taken from the stream.
    char buffer[4096];
    for (;;) {
        if (!WaitReady(fd, false))
            return false;
        const ssize_t peeked = recv(fd, buffer, sizeof buffer, MSG_PEEK);
        if (peeked < 0 && errno == EINTR)
            continue;
        if (peeked <= 0)
            return false;
        const size_t kept = std::min(text.size(), terminator.size() - 1);
        const std::string window =
            text.substr(text.size() - kept) + std::string(buffer, size_t(peeked));
        const size_t at = window.find(terminator);
        const size_t take =
            at == std::string::npos ? size_t(peeked) : at + terminator.size() - kept;
        const ssize_t n = recv(fd, buffer, take, 0);
        if (n <= 0)
            return false;
        text.append(buffer, size_t(n));
        if (at != std::string::npos)
            return true;
    }
}

void DrainUntilClosed(int fd) {
    char buffer[4096];
    while (WaitReady(fd, false)) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n == 0 || (n < 0 && errno != EINTR))
            return;
    }
}

} // namespace mailtest
