// Loopback sockets for the mail tests: every wait is bounded, so a broken client can fail a
// test but never hang it.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace mailtest {

constexpr std::chrono::milliseconds kServerWait{10000};

// A socket closed when the object goes.
class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() { Reset(); }
    Fd(Fd&& other) noexcept : fd_(other.Release()) {}
    Fd& operator=(Fd&& other) noexcept;
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    int Release();
    void Reset(int fd = -1);

private:
    int fd_ = -1;
};

// A socket bound to 127.0.0.1 on a free port, listening with the backlog given (or, with a
// negative backlog, not listening, so that connections are refused).
Fd BoundSocket(int backlog, int& port);

// Waits for the socket to become readable (or writable); false when the wait ran out.
bool WaitReady(int fd, bool forWriting, std::chrono::milliseconds wait = kServerWait);

// Accepts one connection within the wait.
Fd AcceptOne(int listener);

bool SendAll(int fd, std::string_view text);

// Reads until the text ends with the terminator; false at end of stream or when the wait
// ran out, with what arrived kept in the text.
bool ReadUntil(int fd, std::string_view terminator, std::string& text);

// Reads and drops everything until the peer closes (or the wait runs out); pipes too.
void DrainUntilClosed(int fd);

} // namespace mailtest
