#include "web/web_server.h"

#include "web/local_address.h"
#include "web/web_connection.h"

#include <cerrno>
#include <cstdint>

#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The listen queue: many phones (or a load test) connecting at once must not have their
// connection attempts dropped and retried seconds later, nor peers that reconnect as fast
// as they are closed crowd the others out of it.
constexpr int kListenBacklog = 1024;

bool IsPermissionRefusal(int error) {
    return error == EACCES || error == EPERM;
}

} // namespace

CWebServer::CWebServer() : acceptThread_(*this) {}

CWebServer::~CWebServer() {
    Stop();
}

void CWebServer::ResolveHostAddress() {
    const LocalAddress found = FindHostAddress();
    if (found.text.empty())
        return;
    hostAddress_ = found.address;
    hostText_ = found.text;
}

bool CWebServer::Start() {
    if (acceptThread_.IsCreated())
        return true;
    Stop(); // an accept loop that ended by itself still has its thread and stop event
    ResolveHostAddress();
    refusedPort_ = 0;
    startError_ = Listen(port_);
    if (IsPermissionRefusal(startError_)) {
        for (uint16_t port = kFallbackFirst; port <= kFallbackLast; ++port) {
            if (port != port_ && Listen(port) == 0) {
                refusedPort_ = port_;
                break;
            }
        }
    }
    if (listener_.Handle() < 0)
        return false;
    port_ = listener_.LocalPort();
    stopEvent_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (stopEvent_ < 0) {
        listener_.Close();
        return false;
    }
    listener_.SetWaitLimit(0); // the accept loop waits itself
    listener_.SetAbortHandle(stopEvent_);
    running_ = true;
    if (!acceptThread_.Create(false) || !acceptThread_.Resume()) {
        running_ = false;
        listener_.Close();
        ::close(stopEvent_);
        stopEvent_ = -1;
        return false;
    }
    return true;
}

void CWebServer::Stop() {
    if (stopEvent_ < 0)
        return;
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(stopEvent_, &one, sizeof one);
    acceptThread_.Wait(-1);
    listener_.Close();
    ::close(stopEvent_);
    stopEvent_ = -1;
}

int CWebServer::OpenListener(CTcpSocket& listener, uint16_t port) {
    return listener.Open(port, 0, kListenBacklog) ? 0 : listener.LastError();
}

int CWebServer::Listen(uint16_t port) {
    const int error = OpenListener(listener_, port);
    if (error != 0)
        listener_.Close();
    return error;
}

std::unique_ptr<CWebConnection> CWebServer::CreateConnection(std::unique_ptr<CTcpSocket> socket) {
    return std::make_unique<CWebConnection>(std::move(socket));
}
