#include "web/request_reader.h"

#include "web/request_headers.h"
#include "web/web_connection.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>

#include <sys/socket.h>

namespace {

// Receives per Pump, so that one fast sender cannot keep the others waiting.
constexpr int kReceivesPerPump = 4;

} // namespace

CRequestReader::CRequestReader(std::unique_ptr<CTcpSocket> socket, Clock::time_point now,
                               int firstByte, int request)
    : socket_(std::move(socket)), accepted_(now), requestWait_(request) {
    if (request >= 0 && (firstByte < 0 || firstByte > request))
        firstByte = request;
    SetDeadline(now, firstByte);
    line_.reserve(64);
}

void CRequestReader::SetDeadline(Clock::time_point from, int milliseconds) {
    if (milliseconds >= 0)
        deadline_ = from + std::chrono::milliseconds(milliseconds);
    else
        deadline_.reset();
}

CRequestReader::State CRequestReader::Pump(char* scratch, size_t size, Clock::time_point now) {
    for (int i = 0; i < kReceivesPerPump && state_ == State::Reading; ++i) {
        const ssize_t got = ::recv(socket_->Handle(), scratch, size, MSG_DONTWAIT);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        if (got <= 0) {
            // Closed or reset: a head cut short gets no answer; a body is over.
            state_ = inBody_ ? State::Complete : State::Failed;
            break;
        }
        if (!started_) {
            started_ = true;
            SetDeadline(accepted_, requestWait_);
        }
        size_t taken = 0;
        if (!inBody_)
            taken = FeedHead(scratch, size_t(got), now);
        if (inBody_) {
            const size_t body = std::min(size_t(got) - taken, bodyLeft_);
            bodyLeft_ -= body;
            bodyRead_ += body;
            if (bodyLeft_ == 0)
                state_ = State::Complete;
        }
    }
    return state_;
}

CRequestReader::State CRequestReader::Expire() {
    if (state_ == State::Reading)
        state_ = inBody_ ? State::Complete : State::Failed;
    return state_;
}

size_t CRequestReader::FeedHead(const char* bytes, size_t n, Clock::time_point now) {
    for (size_t i = 0; i < n; ++i) {
        const char c = bytes[i];
        if (c == '\r')
            continue;
        if (c != '\n') {
            line_.push_back(c);
            if (line_.size() < CWebConnection::kLineSize)
                continue;
            state_ = State::Failed; // no room left for the line's end
            return i + 1;
        }
        if (!EndLine(now))
            return i + 1;
        if (inBody_ || state_ != State::Reading)
            return i + 1;
    }
    return n;
}

bool CRequestReader::EndLine(Clock::time_point now) {
    // A line is a zero-terminated text: it ends at its first zero byte, and one that begins
    // with a zero byte ends the head like an empty line.
    const size_t length = ::strnlen(line_.data(), line_.size());
    if (length == 0) {
        line_.clear();
        EndHead(now);
        return state_ != State::Failed;
    }
    if (lines_.size() == CWebConnection::kMaxRequestLines) {
        state_ = State::Failed;
        return false;
    }
    lines_.emplace_back(line_.data(), length);
    line_.clear();
    return true;
}

void CRequestReader::EndHead(Clock::time_point now) {
    if (lines_.empty()) {
        state_ = State::Failed;
        return;
    }
    line_ = std::string(); // no more lines: let its buffer go
    state_ = State::Complete;
    if (!lines_.front().starts_with("POST"))
        return;
    const int i = FindHeader(lines_, "Content-Length", 0);
    if (i <= 0)
        return;
    const std::string value = HeaderValue(lines_, i);
    long long n = 0;
    const auto parsed = std::from_chars(value.data(), value.data() + value.size(), n);
    if (parsed.ec != std::errc() || n <= 0 ||
        n > static_cast<long long>(CWebConnection::kMaxPostBody))
        return;
    inBody_ = true;
    bodyLeft_ = size_t(n);
    state_ = State::Reading;
    SetDeadline(now, requestWait_);
}
