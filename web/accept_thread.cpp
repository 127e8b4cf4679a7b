#include "web/accept_thread.h"

#include "web/request_reader.h"
#include "web/web_connection.h"
#include "web/web_server.h"

#include <algorithm>
#include <cerrno>

#include <poll.h>

namespace {

// New connections taken per round of the loop, so that requests already arriving are read
// between them.
constexpr int kAcceptsPerRound = 32;
constexpr size_t kScratchBytes = 65536;

// Accept failures that concern one connection only (or a passing shortage); the loop
// goes on after them instead of leaving the server deaf while it seems to run.
bool AcceptMayRetry(int error) {
    switch (error) {
    case EINTR:
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

CAcceptThread::CAcceptThread(CWebServer& server) : server_(server) {}

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
    scratch_.resize(kScratchBytes);
    readers_.clear();
    pausedUntil_.reset();
    std::vector<pollfd> fds;
    for (;;) {
        Clock::time_point now = Clock::now();
        if (pausedUntil_ && now >= *pausedUntil_)
            pausedUntil_.reset();
        std::optional<Clock::time_point> wake = pausedUntil_;
        fds.clear();
        fds.push_back({server_.stopEvent_, POLLIN, 0});
        fds.push_back({pausedUntil_ ? -1 : listener.Handle(), POLLIN, 0});
        for (const auto& reader : readers_) {
            fds.push_back({reader->Handle(), POLLIN, 0});
            const auto deadline = reader->Deadline();
            if (deadline && (!wake || *deadline < *wake))
                wake = deadline;
        }
        int timeout = -1;
        if (wake) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(*wake - now);
            timeout = left.count() > 0 ? int(left.count()) : 0;
        }
        if (::poll(fds.data(), fds.size(), timeout) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (fds[0].revents != 0)
            break; // stop asked for

        // The requests under way first, so that a complete one is taken before newcomers
        // could push it out.
        now = Clock::now();
        size_t kept = 0;
        for (size_t i = 0; i < readers_.size(); ++i) {
            CRequestReader& reader = *readers_[i];
            auto state = CRequestReader::State::Reading;
            if (fds[i + 2].revents != 0)
                state = reader.Pump(scratch_.data(), scratch_.size(), now);
            const auto deadline = reader.Deadline();
            if (state == CRequestReader::State::Reading && deadline && now >= *deadline)
                state = reader.Expire();
            if (state == CRequestReader::State::Complete)
                Answer(reader, now);
            if (state == CRequestReader::State::Reading) {
                if (kept != i)
                    readers_[kept] = std::move(readers_[i]);
                ++kept;
            }
        }
        readers_.resize(kept); // the failed ones are closed without an answer

        if (fds[1].revents != 0 && !AcceptNew(now))
            break; // the listener is unusable
    }
    // No more connections are queued for a server that is going away, and requests that
    // are still arriving get no answer.
    listener.Close();
    readers_.clear();
    WaitForConnections();
    server_.running_ = false;
    server_.OnStopped();
    return 0;
}

bool CAcceptThread::AcceptNew(Clock::time_point now) {
    CTcpSocket& listener = server_.listener_;
    for (int i = 0; i < kAcceptsPerRound; ++i) {
        std::unique_ptr<CTcpSocket> socket = listener.Accept();
        if (socket) {
            Admit(std::move(socket), now);
            continue;
        }
        const int error = listener.LastError();
        if (error == EAGAIN || error == EWOULDBLOCK)
            return true;
        if (AcceptMayRetry(error))
            continue;
        if (IsShortage(error)) {
            // Out of handles or memory: give the live connections time to end.
            pausedUntil_ = now + std::chrono::milliseconds(100);
            return true;
        }
        return false;
    }
    return true;
}

void CAcceptThread::Admit(std::unique_ptr<CTcpSocket> socket, Clock::time_point now) {
    if (!MakeRoom(socket->PeerAddress()))
        return; // closed as it goes
    auto reader = std::make_unique<CRequestReader>(
        std::move(socket), now, CWebServer::kFirstByteWait, server_.RequestWait());
    // A request that is there already is answered at once.
    switch (reader->Pump(scratch_.data(), scratch_.size(), now)) {
    case CRequestReader::State::Complete:
        Answer(*reader, now);
        break;
    case CRequestReader::State::Reading:
        readers_.push_back(std::move(reader));
        break;
    case CRequestReader::State::Failed:
        break;
    }
}

bool CAcceptThread::MakeRoom(uint32_t peer) {
    const size_t total = readers_.size() + ConnectionCount();
    const size_t fromPeer = size_t(std::count_if(
        readers_.begin(), readers_.end(), [peer](const auto& r) { return r->Peer() == peer; }));
    const bool peerFull = fromPeer >= kMaxPerPeer;
    if (!peerFull && total < kMaxConnections)
        return true;
    // The oldest request still arriving goes: of this peer when it has its fill, else of any.
    const auto oldest = std::find_if(readers_.begin(), readers_.end(), [&](const auto& reader) {
        return !peerFull || reader->Peer() == peer;
    });
    if (oldest == readers_.end())
        return false;
    readers_.erase(oldest);
    return true;
}

void CAcceptThread::Answer(CRequestReader& request, Clock::time_point now) {
    std::unique_ptr<CTcpSocket> socket = request.TakeSocket();
    socket->SetWaitLimit(server_.RequestWait());
    socket->SetAbortHandle(server_.stopEvent_);
    socket->SetAbortGrace(CWebServer::kStopGrace);
    socket->SetSendDeadline(now + std::chrono::milliseconds(CWebServer::kAnswerWait));
    CWebConnection* connection = server_.CreateConnection(std::move(socket)).release();
    connection->acceptThread_ = this;
    connection->requestLines_ = request.TakeLines();
    connection->postBodyLength_ = request.BodyLength();
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
