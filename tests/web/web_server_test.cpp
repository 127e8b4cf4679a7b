// The generic server: request reading limits, POST bodies, bounded waits, start and stop.
#include "web_client.h"

#include "web/accept_thread.h"
#include "web/local_address.h"
#include "web/web_connection.h"
#include "web/web_server.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <future>
#include <mutex>
#include <new>

using namespace webtest;

namespace {

// Keeps what the last POST brought.
struct PostRecord {
    std::mutex mutex;
    int posts = 0;
    size_t bodyLength = 0;
};

class RecordingConnection : public CWebConnection {
public:
    RecordingConnection(std::unique_ptr<CTcpSocket> socket, PostRecord& record)
        : CWebConnection(std::move(socket)), record_(record) {}

protected:
    int OnPost() override {
        std::lock_guard lock(record_.mutex);
        ++record_.posts;
        record_.bodyLength = PostBodyLength();
        return 0;
    }

private:
    PostRecord& record_;
};

class RecordingServer : public CWebServer {
public:
    ~RecordingServer() override { Stop(); }
    PostRecord record;

protected:
    std::unique_ptr<CWebConnection> CreateConnection(std::unique_ptr<CTcpSocket> socket) override {
        return std::make_unique<RecordingConnection>(std::move(socket), record);
    }
};

class WebServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        server_.SetPort(0);
        server_.SetRequestWait(5000);
        ASSERT_TRUE(server_.Start());
        port_ = server_.Port();
        ASSERT_NE(port_, 0);
    }

    RecordingServer server_;
    uint16_t port_ = 0;
};

std::string BodyOf(size_t n) {
    std::string body(n, '\0');
    for (size_t i = 0; i < n; ++i)
        body[i] = char('a' + i % 23);
    return body;
}

// A listening socket on every address, as another program holding the port would have;
// port 0 takes any free one.
int HoldPort(uint16_t& port) {
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    sa.sin_addr.s_addr = htonl(INADDR_ANY);
    socklen_t length = sizeof sa;
    if (s < 0 || ::bind(s, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 ||
        ::listen(s, 1) != 0 || ::getsockname(s, reinterpret_cast<sockaddr*>(&sa), &length) != 0)
        return -1;
    port = ntohs(sa.sin_port);
    return s;
}

// Largest single allocation made anywhere in this program since it was last cleared.
std::atomic<size_t> largestAllocation{0};

} // namespace

// Counts every allocation of the program (the server's threads included). Not inlined,
// so that the compiler pairs each delete with this new rather than with malloc.
[[gnu::noinline]] void* operator new(size_t n) {
    size_t seen = largestAllocation.load(std::memory_order_relaxed);
    while (n > seen &&
           !largestAllocation.compare_exchange_weak(seen, n, std::memory_order_relaxed)) {
    }
    if (void* p = std::malloc(n ? n : 1))
        return p;
    throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* p) noexcept {
    std::free(p);
}
[[gnu::noinline]] void operator delete(void* p, size_t) noexcept {
    std::free(p);
}

namespace {

TEST_F(WebServerTest, PlainServerAnswersGetWithTestPage) {
    const Reply reply = Exchange(port_, "GET / HTTP/1.0\r\n\r\n");
    EXPECT_TRUE(reply.closed);
    EXPECT_EQ(reply.bytes,
              "HTTP/1.0 200\r\nContent-Type: text/html\r\n\r\n<HTML><BODY>TEST</BODY></HTML>");
}

TEST_F(WebServerTest, PostBodyIsReadUpToFiveMegabytesAndDroppedAsItArrives) {
    const std::string request = "POST /up HTTP/1.0\r\nContent-length: 5242880\r\n\r\n" +
                                BodyOf(CWebConnection::kMaxPostBody);
    largestAllocation = 0;
    Reply reply = Exchange(port_, request);
    EXPECT_TRUE(reply.closed);
    EXPECT_EQ(reply.bytes, "");
    // Nothing near the body's size was held at any time.
    EXPECT_LT(largestAllocation.load(), size_t(256) << 10);
    {
        std::lock_guard lock(server_.record.mutex);
        EXPECT_EQ(server_.record.posts, 1);
        EXPECT_EQ(server_.record.bodyLength, CWebConnection::kMaxPostBody);
    }

    // Too long, not a number, or nothing: the handler still runs, with no body.
    for (const char* length : {"5242881", "6000000", "-5", "x12", "99999999999999999999999"}) {
        reply = Exchange(port_, std::string("POST / HTTP/1.0\r\nContent-Length: ") + length +
                                    "\r\n\r\n" + BodyOf(64));
        EXPECT_EQ(reply.bytes, "") << length;
        std::lock_guard lock(server_.record.mutex);
        EXPECT_EQ(server_.record.bodyLength, 0u) << length;
    }
    std::lock_guard lock(server_.record.mutex);
    EXPECT_EQ(server_.record.posts, 6);
}

TEST_F(WebServerTest, RequestLineLengthLimit) {
    // 1023 bytes before the line end are accepted, 1024 are not; CRs do not count.
    const std::string fits = "GET /" + std::string(1023 - 5, 'a');
    EXPECT_NE(Exchange(port_, fits + "\r\n\r\n").bytes, "");
    EXPECT_NE(Exchange(port_, fits + "\r\r\r\n\r\n").bytes, "");
    const std::string tooLong = fits + "a";
    const Reply reply = Exchange(port_, tooLong + "\r\n\r\n");
    EXPECT_TRUE(reply.closed);
    EXPECT_EQ(reply.bytes, "");
}

TEST_F(WebServerTest, HostilePeersAreClosedWithoutAnswerAndServiceGoesOn) {
    std::string manyHeaders = "GET / HTTP/1.0\r\n";
    for (size_t i = 0; i < CWebConnection::kMaxRequestLines; ++i)
        manyHeaders += "X-Filler: " + std::to_string(i) + "\r\n";
    std::string junk(1 << 20, '\0');
    for (size_t i = 0; i < junk.size(); ++i)
        junk[i] = char((i * 131) % 251 == '\n' ? 0 : (i * 131) % 251);
    for (const std::string& request :
         {manyHeaders + "\r\n", junk, std::string("\r\n\r\n"), std::string(100000, '\r'),
          std::string("GET / HTTP/1.0\r\nHost: x")}) {
        const int s = ConnectLoopback(port_);
        ASSERT_GE(s, 0);
        ::send(s, request.data(), request.size(), MSG_NOSIGNAL);
        ::shutdown(s, SHUT_WR);
        const Reply reply = ReadToEnd(s);
        ::close(s);
        EXPECT_TRUE(reply.closed);
        EXPECT_EQ(reply.bytes, "") << request.substr(0, 40);
    }
    // Peers that vanish with a reset in the middle of their request.
    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE(SendAndReset(port_, "GET / HT"));
    EXPECT_NE(Exchange(port_, "GET / HTTP/1.0\r\n\r\n").bytes, "");
}

TEST_F(WebServerTest, SilentAndDribblingClientsAreDroppedAfterTheWait) {
    server_.SetRequestWait(300);
    const int silent = ConnectLoopback(port_);
    const int partial = ConnectLoopback(port_);
    const int dribbler = ConnectLoopback(port_);
    ASSERT_GE(silent, 0);
    ASSERT_GE(partial, 0);
    ASSERT_GE(dribbler, 0);
    ::send(partial, "GET / HTTP/1.0\r\n", 16, MSG_NOSIGNAL);

    // One header byte every 20 ms never completes a request; the server must give up
    // on the whole request, not on each byte.
    const auto started = std::chrono::steady_clock::now();
    ::send(dribbler, "GET / HTTP/1.0\r\nX: ", 19, MSG_NOSIGNAL);
    bool dropped = false;
    while (!dropped && std::chrono::steady_clock::now() - started < kExchangeLimit) {
        pollfd fd = {dribbler, POLLIN, 0};
        if (::poll(&fd, 1, 20) > 0) {
            char c;
            dropped = ::recv(dribbler, &c, 1, 0) <= 0;
        } else {
            ::send(dribbler, "a", 1, MSG_NOSIGNAL);
        }
    }
    EXPECT_TRUE(dropped);

    for (int s : {silent, partial}) {
        const Reply reply = ReadToEnd(s);
        EXPECT_TRUE(reply.closed);
        EXPECT_EQ(reply.bytes, "");
    }
    for (int s : {silent, partial, dribbler})
        ::close(s);
}

TEST_F(WebServerTest, StopCutsShortClientsStillWaitingToSendTheirRequest) {
    server_.SetRequestWait(60000);
    std::vector<int> silent;
    for (int i = 0; i < 3; ++i) {
        silent.push_back(ConnectLoopback(port_));
        ASSERT_GE(silent.back(), 0);
    }
    // Answered only once the silent ones ahead of it have been accepted.
    ASSERT_NE(Exchange(port_, "GET / HTTP/1.0\r\n\r\n").bytes, "");

    auto stopped = std::async(std::launch::async, [&] { server_.Stop(); });
    ASSERT_EQ(stopped.wait_for(kExchangeLimit), std::future_status::ready)
        << "Stop waited for clients that never send anything";
    EXPECT_FALSE(server_.IsRunning());
    for (int s : silent) {
        const Reply reply = ReadToEnd(s);
        EXPECT_TRUE(reply.closed);
        EXPECT_EQ(reply.bytes, "");
        ::close(s);
    }
    EXPECT_LT(ConnectLoopback(port_), 0) << "still listening after Stop";
}

TEST_F(WebServerTest, PeersHoldingSlotsIdleCannotShutOthersOut) {
    // Far more silent connections than there are slots, from one peer and then a request:
    // the oldest silent ones make room and the request is answered.
    std::vector<int> silent;
    for (size_t i = 0; i < CAcceptThread::kMaxConnections + 8; ++i) {
        silent.push_back(ConnectLoopback(port_));
        ASSERT_GE(silent.back(), 0);
    }
    const Reply reply = Exchange(port_, "GET / HTTP/1.0\r\n\r\n");
    EXPECT_TRUE(reply.closed);
    EXPECT_NE(reply.bytes, "");
    // The first ones were closed to make room, without an answer.
    const Reply first = ReadToEnd(silent.front());
    EXPECT_TRUE(first.closed);
    EXPECT_EQ(first.bytes, "");
    for (int s : silent)
        ::close(s);
}

// Makes the chosen port's refusal happen as it would for a user without the right to it.
class RefusingServer : public CWebServer {
public:
    RefusingServer(uint16_t refused, int error) : refused_(refused), error_(error) {}
    ~RefusingServer() override { Stop(); }

protected:
    int OpenListener(CTcpSocket& listener, uint16_t port) override {
        return port == refused_ ? error_ : CWebServer::OpenListener(listener, port);
    }

private:
    uint16_t refused_;
    int error_;
};

TEST(WebServer, APortRefusedForPermissionMovesToTheFirstFreeFallbackPort) {
    // Held here when it can be, so that the server has to go on to the next one.
    uint16_t first = CWebServer::kFallbackFirst;
    const int holder = HoldPort(first);
    struct Case {
        int error;
        bool movesOn;
    };
    for (const Case c : {Case{EACCES, true}, Case{EADDRINUSE, false}}) {
        RefusingServer server(80, c.error);
        server.SetPort(80);
        ASSERT_EQ(server.Start(), c.movesOn) << c.error;
        EXPECT_EQ(server.StartError(), c.error);
        if (!c.movesOn) {
            EXPECT_EQ(server.RefusedPort(), 0);
            continue;
        }
        EXPECT_EQ(server.RefusedPort(), 80);
        EXPECT_GE(server.Port(), CWebServer::kFallbackFirst + (holder >= 0 ? 1 : 0));
        EXPECT_LE(server.Port(), CWebServer::kFallbackLast);
        EXPECT_NE(Exchange(server.Port(), "GET / HTTP/1.0\r\n\r\n").bytes, "");
    }
    if (holder >= 0)
        ::close(holder);
}

TEST(WebServer, PortInUseFailsStartAndAFreePortWorksLater) {
    uint16_t port = 0;
    const int holder = HoldPort(port);
    ASSERT_GE(holder, 0);
    CWebServer server;
    server.SetPort(port);
    EXPECT_FALSE(server.Start());
    EXPECT_FALSE(server.IsRunning());
    server.Stop(); // harmless when not started
    ::close(holder);

    ASSERT_TRUE(server.Start());
    EXPECT_TRUE(server.IsRunning());
    EXPECT_TRUE(server.Start()) << "starting a running server is not an error";
    EXPECT_NE(Exchange(port, "GET / HTTP/1.0\r\n\r\n").bytes, "");
    server.Stop();
    EXPECT_FALSE(server.IsRunning());

    // Again on the same port right away, with the last connection in TIME_WAIT.
    ASSERT_TRUE(server.Start());
    EXPECT_NE(Exchange(port, "GET / HTTP/1.0\r\n\r\n").bytes, "");
}

TEST(WebServer, HostAddressIsAReachableInterfaceAddress) {
    const std::vector<LocalAddress> usable = ListLocalAddresses();
    for (const LocalAddress& a : usable) {
        EXPECT_NE(a.address >> 24, 127u) << a.text;
        in_addr parsed{};
        ASSERT_EQ(::inet_pton(AF_INET, a.text.c_str(), &parsed), 1) << a.text;
        EXPECT_EQ(ntohl(parsed.s_addr), a.address);
    }
    CWebServer server;
    server.SetPort(0);
    ASSERT_TRUE(server.Start());
    if (!usable.empty()) {
        EXPECT_EQ(server.HostText(), usable.front().text);
        EXPECT_EQ(server.HostAddress(), usable.front().address);
    }
}

} // namespace
