// The server's accept loop: one thread that takes new connections, starts a thread for
// each and, once told to stop, waits until every one of them has ended.
#pragma once

#include "web/worker_thread.h"

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <vector>

class CTcpSocket;
class CWebConnection;
class CWebServer;

class CAcceptThread : public CWorkerThread {
public:
    // Beyond this many live connections new ones are closed at once, so that a flood of
    // connections cannot exhaust threads and memory.
    static constexpr size_t kMaxConnections = 256;

    explicit CAcceptThread(CWebServer& server) : server_(server) {}
    ~CAcceptThread() override;

    CWebServer& Server() const { return server_; }
    size_t ConnectionCount() const;
    // Called by a connection on its own thread when it ends.
    void RemoveConnection(CWebConnection* connection);

protected:
    int Run() override;

private:
    void Admit(std::unique_ptr<CTcpSocket> socket);
    void WaitForConnections();

    CWebServer& server_;
    mutable std::mutex lock_;
    std::condition_variable connectionsChanged_;
    std::vector<CWebConnection*> connections_;
};
