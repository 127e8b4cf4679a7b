// The server's accept loop: one thread that takes new connections, reads their requests
// as the bytes come, starts a thread to answer each complete one and, once told to stop,
// waits until every answer has ended.
#pragma once

#include "web/worker_thread.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class CRequestReader;
class CTcpSocket;
class CWebConnection;
class CWebServer;

class CAcceptThread : public CWorkerThread {
public:
    // Connections at once, those still sending their request and those being answered.
    // When they are all taken, a newcomer replaces the connection that has been sending
    // its request longest; with every one being answered, it is closed at once. Peers on
    // a shared network cannot so take every slot, nor exhaust threads and memory.
    static constexpr size_t kMaxConnections = 256;
    // Connections of one peer address still sending their request: beyond them, the
    // peer's newcomers replace its own oldest, never another peer's.
    static constexpr size_t kMaxPerPeer = 128;

    explicit CAcceptThread(CWebServer& server);
    ~CAcceptThread() override;

    CWebServer& Server() const { return server_; }
    // Connections being answered.
    size_t ConnectionCount() const;
    // Called by a connection on its own thread when it ends.
    void RemoveConnection(CWebConnection* connection);

protected:
    int Run() override;

private:
    using Clock = std::chrono::steady_clock;

    // False when the listener has become unusable.
    bool AcceptNew(Clock::time_point now);
    void Admit(std::unique_ptr<CTcpSocket> socket, Clock::time_point now);
    // Frees a slot for a newcomer from peer if one must be freed; false when none can be.
    bool MakeRoom(uint32_t peer);
    void Answer(CRequestReader& request, Clock::time_point now);
    void WaitForConnections();

    CWebServer& server_;
    // Requests still arriving, oldest first; the accept thread's own.
    std::vector<std::unique_ptr<CRequestReader>> readers_;
    std::vector<char> scratch_;
    std::optional<Clock::time_point> pausedUntil_; // accepting, after a shortage

    mutable std::mutex lock_;
    std::condition_variable connectionsChanged_;
    std::vector<CWebConnection*> connections_;
};
