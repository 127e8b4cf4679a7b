// The request of one accepted connection, read without blocking as its bytes arrive, so
// that a peer that is slow to send (or sends nothing) holds a socket and a small buffer
// rather than a thread. Lines end with LF, CRs are dropped, a line holds at most 1023
// bytes (up to its first zero byte) and an empty line ends the head; a POST body of up
// to 5 MB is read and dropped as it comes.
#pragma once

#include "web/tcp_socket.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CRequestReader {
public:
    using Clock = std::chrono::steady_clock;
    enum class State { Reading, Complete, Failed };

    // Waits in milliseconds from now, -1 without limit: firstByte for the first byte of
    // the request, request for the whole head and, from the head's end, for the body.
    CRequestReader(std::unique_ptr<CTcpSocket> socket, Clock::time_point now, int firstByte,
                   int request);

    // Takes the bytes that have arrived, receiving into scratch. A peer that closes or
    // fails before the head is complete fails the request; during a body it ends the body.
    State Pump(char* scratch, size_t size, Clock::time_point now);
    // The current wait ran out: a head fails, a body ends.
    State Expire();
    // When the current wait runs out; none without limit.
    std::optional<Clock::time_point> Deadline() const { return deadline_; }

    int Handle() const { return socket_->Handle(); }
    uint32_t Peer() const { return socket_->PeerAddress(); }

    std::unique_ptr<CTcpSocket> TakeSocket() { return std::move(socket_); }
    std::vector<std::string> TakeLines() { return std::move(lines_); }
    // Bytes of the POST body read (and dropped).
    size_t BodyLength() const { return bodyRead_; }

private:
    // Feeds head bytes; the number taken (the rest belongs to a body or is left unread).
    size_t FeedHead(const char* bytes, size_t n, Clock::time_point now);
    bool EndLine(Clock::time_point now);
    void EndHead(Clock::time_point now);
    void SetDeadline(Clock::time_point from, int milliseconds);

    std::unique_ptr<CTcpSocket> socket_;
    const Clock::time_point accepted_;
    const int requestWait_;
    std::optional<Clock::time_point> deadline_;
    State state_ = State::Reading;
    bool started_ = false; // a byte has arrived
    bool inBody_ = false;
    std::string line_;
    std::vector<std::string> lines_;
    size_t bodyLeft_ = 0;
    size_t bodyRead_ = 0;
};
