// A small multi-threaded HTTP/1.0 server: one accept thread, one thread per connection,
// every connection answered and closed. Start and Stop are called from one thread (the
// owner's); Stop returns only when no connection is left.
#pragma once

#include "web/accept_thread.h"
#include "web/tcp_socket.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

class CWebConnection;

class CWebServer {
public:
    static constexpr uint16_t kDefaultPort = 80;
    // How long a connection may take to deliver its request before it is closed.
    static constexpr int kDefaultRequestWait = 10000;

    CWebServer();
    virtual ~CWebServer();
    CWebServer(const CWebServer&) = delete;
    CWebServer& operator=(const CWebServer&) = delete;

    // Listens on the port on every local address. True when running (also when it was
    // already); false when the port cannot be bound or listened on.
    bool Start();
    // Stops accepting, cuts short connections still waiting for their request, lets those
    // being answered finish and returns once every connection has ended. Never call it
    // from the server's own threads.
    void Stop();
    bool IsRunning() const { return running_.load(); }

    // 0 asks for any free port; once started, Port tells which one was taken.
    uint16_t Port() const { return port_; }
    void SetPort(uint16_t port) { port_ = port; }
    // Milliseconds a connection has to deliver its request (and, for POST, its body) and
    // the longest wait for the peer to take more of the answer; -1 waits without limit.
    // Takes effect for connections accepted after the change.
    int RequestWait() const { return requestWait_.load(); }
    void SetRequestWait(int milliseconds) { requestWait_.store(milliseconds); }

    // The address a phone should open (see FindHostAddress), found at each Start; 0 and
    // empty until found.
    uint32_t HostAddress() const { return hostAddress_; }
    const std::string& HostText() const { return hostText_; }

protected:
    // A new connection object for an accepted socket; called on the accept thread.
    virtual std::unique_ptr<CWebConnection> CreateConnection(std::unique_ptr<CTcpSocket> socket);
    // Called on the accept thread once it is about to end.
    virtual void OnStopped() {}
    virtual void ResolveHostAddress();

private:
    friend class CAcceptThread;

    uint32_t hostAddress_ = 0;
    std::string hostText_;
    uint16_t port_ = kDefaultPort;
    std::atomic<bool> running_{false};
    std::atomic<int> requestWait_{kDefaultRequestWait};
    CTcpSocket listener_;
    // Readable once Stop has been asked for; wakes the accept loop and every waiting
    // connection.
    int stopEvent_ = -1;
    CAcceptThread acceptThread_;
};
