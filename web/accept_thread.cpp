#include "web/accept_thread.h"

#include "web/web_connection.h"
#include "web/web_server.h"

#include <algorithm>
#include <cerrno>

#include <poll.h>

namespace {

// Accept failures that concern one connection only (or a passing shortage); the loop
// goes on after them instead of leaving the server deaf while it seems to run.
bool AcceptMayRetry(int error) {
    switch (error) {
    case EINTR:
    case EAGAIN:
    case ECONNABORTED:
    case EPROTO:
    case EPERM:
    case ENOPROTOOPT:
    case EHOSTDOWN:
    case ENONET:
    case EHOSTUNREACH:
    case EOPNOTSUPP:
    case ENETUNREACH:
    case ENETDOWN:
        return true;
    default:
        return false;
    }
}

bool IsShortage(int error) {
    return error == EMFILE || error == ENFILE || error == ENOBUFS || error == ENOMEM;
}

} // namespace

CAcceptThread::~CAcceptThread() {
    Wait(-1);
}

size_t CAcceptThread::ConnectionCount() const {
    std::lock_guard lock(lock_);
    return connections_.size();
}

void CAcceptThread::RemoveConnection(CWebConnection* connection) {
    std::lock_guard lock(lock_);
    std::erase(connections_, connection);
    // Under the lock: once it is released the accept thread may end and the server go.
    connectionsChanged_.notify_all();
}

int CAcceptThread::Run() {
    CTcpSocket& listener = server_.listener_;
    for (;;) {
        std::unique_ptr<CTcpSocket> socket = listener.Accept();
        if (socket) {
            Admit(std::move(socket));
            continue;
        }
        const int error = listener.LastError();
        if (AcceptMayRetry(error))
            continue;
        if (IsShortage(error)) {
            // Out of handles or memory: give the live connections time to end.
            pollfd stop = {server_.stopEvent_, POLLIN, 0};
            if (::poll(&stop, 1, 100) != 0)
                break;
            continue;
        }
        break; // stop asked for, or the listener is unusable
    }
    // No more connections are queued for a server that is going away.
    listener.Close();
    WaitForConnections();
    server_.running_ = false;
    server_.OnStopped();
    return 0;
}

void CAcceptThread::Admit(std::unique_ptr<CTcpSocket> socket) {
    if (ConnectionCount() >= kMaxConnections)
        return; // closed as it goes
    socket->SetWaitLimit(server_.RequestWait());
    socket->SetAbortHandle(server_.stopEvent_);
    CWebConnection* connection = server_.CreateConnection(std::move(socket)).release();
    connection->acceptThread_ = this;
    {
        std::lock_guard lock(lock_);
        connections_.push_back(connection);
    }
    if (!connection->Create(false)) {
        RemoveConnection(connection);
        delete connection;
        return;
    }
    connection->SetAutoDelete(true);
    connection->Resume();
}

void CAcceptThread::WaitForConnections() {
    std::unique_lock lock(lock_);
    connectionsChanged_.wait(lock, [this] { return connections_.empty(); });
}
