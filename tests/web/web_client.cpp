#include "web_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace webtest {

int ConnectLoopback(uint16_t port) {
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s < 0)
        return -1;
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(s, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
        ::close(s);
        return -1;
    }
    return s;
}

Reply ReadToEnd(int socket, std::chrono::milliseconds limit) {
    Reply reply;
    reply.connected = true;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    char buffer[65536];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return reply;
        pollfd fd = {socket, POLLIN, 0};
        const int ready = ::poll(&fd, 1, int(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return reply;
        const ssize_t got = ::recv(socket, buffer, sizeof buffer, 0);
        if (got > 0) {
            reply.bytes.append(buffer, size_t(got));
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        reply.closed = true; // end of stream or reset
        return reply;
    }
}

Reply Exchange(uint16_t port, const std::string& request) {
    const int s = ConnectLoopback(port);
    if (s < 0)
        return {};
    size_t sent = 0;
    while (sent < request.size()) {
        const ssize_t n = ::send(s, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            break; // the server may close early; what it answered is still read
        sent += size_t(n);
    }
    Reply reply = ReadToEnd(s);
    ::close(s);
    return reply;
}

bool SendAndReset(uint16_t port, const std::string& start) {
    const int s = ConnectLoopback(port);
    if (s < 0)
        return false;
    ::send(s, start.data(), start.size(), MSG_NOSIGNAL);
    linger abort{1, 0};
    ::setsockopt(s, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    ::close(s);
    return true;
}

std::string RecordingOwner::ImagePath() const {
    std::unique_lock lock(mutex_);
    if (hold_) {
        ++held_;
        changed_.notify_all();
        changed_.wait(lock, [this] { return !hold_; });
        --held_;
    }
    return path_;
}

void RecordingOwner::AddAccessLog(const std::string& line) {
    std::lock_guard lock(mutex_);
    lines_.push_back(line);
    changed_.notify_all();
}

void RecordingOwner::SetPath(std::string path) {
    std::lock_guard lock(mutex_);
    path_ = std::move(path);
}

std::vector<std::string> RecordingOwner::Lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
}

bool RecordingOwner::WaitForLines(size_t count, std::chrono::milliseconds limit) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [&] { return lines_.size() >= count; });
}

void RecordingOwner::Hold() {
    std::lock_guard lock(mutex_);
    hold_ = true;
}

void RecordingOwner::Release() {
    std::lock_guard lock(mutex_);
    hold_ = false;
    changed_.notify_all();
}

bool RecordingOwner::WaitForHeldFetches(int count, std::chrono::milliseconds limit) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [&] { return held_ >= count; });
}

std::string ImageAnswer(const std::string& subtype, const std::string& body) {
    return "HTTP/1.0 200\r\nContent-Type: image/" + subtype + "\r\n\r\n" + body;
}

} // namespace webtest
