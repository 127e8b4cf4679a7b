// Loopback clients and a recording owner for the web server tests.
#pragma once

#include "web/phone_image_server.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace webtest {

// Longest any single exchange of a test may take before it counts as a hang.
constexpr std::chrono::milliseconds kExchangeLimit{10000};

struct Reply {
    std::string bytes;      // everything received until the server closed
    bool closed = false;    // the server closed (or reset) the connection in time
    bool connected = false; // the connection was made at all
};

// A connected socket to 127.0.0.1:port, or -1.
int ConnectLoopback(uint16_t port);
// Receives until the peer closes, resets or the limit runs out.
Reply ReadToEnd(int socket, std::chrono::milliseconds limit = kExchangeLimit);
// Sends request to 127.0.0.1:port and reads the whole reply.
Reply Exchange(uint16_t port, const std::string& request);
// Connects, sends the start of a request and vanishes with a reset; false when the
// connection could not be made.
bool SendAndReset(uint16_t port, const std::string& start);

// Hands out a path and keeps the log lines; can hold fetches inside ImagePath.
class RecordingOwner : public CPhoneImageServerOwner {
public:
    explicit RecordingOwner(std::string path = {}) : path_(std::move(path)) {}

    std::string ImagePath() const override;
    void AddAccessLog(const std::string& line) override;

    void SetPath(std::string path);
    std::vector<std::string> Lines() const;
    // Waits until at least count lines arrived; false when the limit ran out first.
    bool WaitForLines(size_t count, std::chrono::milliseconds limit = kExchangeLimit) const;

    // While held, ImagePath waits until Release; HeldFetches counts the waiting ones.
    void Hold();
    void Release();
    bool WaitForHeldFetches(int count, std::chrono::milliseconds limit = kExchangeLimit) const;

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::string path_;
    std::vector<std::string> lines_;
    bool hold_ = false;
    mutable int held_ = 0;
};

// The exact answer the phone image server gives for a file of that media subtype.
std::string ImageAnswer(const std::string& subtype, const std::string& body);

} // namespace webtest
