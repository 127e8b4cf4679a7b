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
    // Where Start goes when the chosen port is refused for lack of permission (ports below
    // 1024 are for the administrator): the first of these that is free.
    static constexpr uint16_t kFallbackFirst = 8080;
    static constexpr uint16_t kFallbackLast = 8099;
    // How long a connection may take to deliver its request before it is closed.
    static constexpr int kDefaultRequestWait = 10000;
    // How long a connection may stay without sending a byte; a browser sends its request
    // at once, a peer holding a slot does not.
    static constexpr int kFirstByteWait = 2000;
    // The longest an answer may take in all, however the peer drains it.
    static constexpr int kAnswerWait = 30000;
    // How much longer an answer under way may take once Stop has been asked for.
    static constexpr int kStopGrace = 1000;

    CWebServer();
    virtual ~CWebServer();
    CWebServer(const CWebServer&) = delete;
    CWebServer& operator=(const CWebServer&) = delete;

    // Listens on the port on every local address; when that port is refused for lack of
    // permission, on the first free port from kFallbackFirst to kFallbackLast instead (see
    // RefusedPort). True when running (also when it was already); false when no port can be
    // bound or listened on (StartError tells why).
    bool Start();
    // Stops accepting, closes connections still delivering their request, gives answers
    // under way kStopGrace to finish and returns once every connection has ended. Never
    // call it from the server's own threads.
    void Stop();
    bool IsRunning() const { return running_.load(); }

    // 0 asks for any free port; once started, Port tells which one was taken.
    uint16_t Port() const { return port_; }
    void SetPort(uint16_t port) { port_ = port; }
    // After Start: the port asked for when it was refused for lack of permission and
    // another port is used instead; 0 when the port asked for is used (or Start failed).
    uint16_t RefusedPort() const { return refusedPort_; }
    // The errno-style reason the last Start failed or moved to another port; 0 if none.
    int StartError() const { return startError_; }
    // Milliseconds a connection has to deliver its request (and, for POST, its body) and
    // the longest wait for the peer to take more of the answer; -1 waits without limit
    // (kFirstByteWait and kAnswerWait still apply). Takes effect for connections accepted
    // after the change.
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
    // Binds and listens on port (every local address); 0 or the errno-style reason.
    virtual int OpenListener(CTcpSocket& listener, uint16_t port);

private:
    int Listen(uint16_t port);

    friend class CAcceptThread;

    uint32_t hostAddress_ = 0;
    std::string hostText_;
    uint16_t port_ = kDefaultPort;
    uint16_t refusedPort_ = 0;
    int startError_ = 0;
    std::atomic<bool> running_{false};
    std::atomic<int> requestWait_{kDefaultRequestWait};
    CTcpSocket listener_;
    // Readable once Stop has been asked for; wakes the accept loop and every waiting
    // connection.
    int stopEvent_ = -1;
    CAcceptThread acceptThread_;
};
