#include "web/web_server.h"

#include "web/local_address.h"
#include "web/web_connection.h"

#include <cstdint>

#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The listen queue: many phones (or a load test) connecting at once must not have their
// connection attempts dropped and retried seconds later.
constexpr int kListenBacklog = 128;

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
    if (!listener_.Open(port_, 0, kListenBacklog))
        return false;
    port_ = listener_.LocalPort();
    stopEvent_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (stopEvent_ < 0) {
        listener_.Close();
        return false;
    }
    listener_.SetWaitLimit(-1);
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

std::unique_ptr<CWebConnection> CWebServer::CreateConnection(std::unique_ptr<CTcpSocket> socket) {
    return std::make_unique<CWebConnection>(std::move(socket));
}
