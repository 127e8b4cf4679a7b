// Whatever a peer sends to the phone web server: the real server on a loopback port reads
// it on a connection thread of its own. The answer must be the whole image answer or
// nothing, in bounded time, with one access-log line per answer.
#include "fuzz_support.h"

#include "web/phone_image_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

namespace {

// Longest a single exchange may take before it counts as a hang.
constexpr auto kExchangeLimit = std::chrono::seconds(5);

class CountingOwner : public CPhoneImageServerOwner {
public:
    explicit CountingOwner(std::string path) : path_(std::move(path)) {}
    std::string ImagePath() const override { return path_; }
    void AddAccessLog(const std::string& line) override {
        if (line.size() < 11 || line[0] != '[' || line[3] != ':' || line[6] != ':' ||
            line.compare(9, 2, "] ") != 0)
            fuzzsupport::Fail("an access-log line without its time");
        lines_.fetch_add(1);
    }
    int Lines() const { return lines_.load(); }

private:
    std::string path_;
    std::atomic<int> lines_{0};
};

struct RunningServer {
    fuzzsupport::ScratchFile image{"~kt0001.png"};
    std::string answer;
    CountingOwner owner;
    CPhoneImageServer server; // after the owner: stopped before it goes

    static std::string ImageBytes() {
        std::string bytes(3000, '\0');
        for (size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = char(i * 7 + i / 251);
        return bytes;
    }

    RunningServer() : owner(WriteImage()) {
        answer = "HTTP/1.0 200\r\nContent-Type: image/png\r\n\r\n" + ImageBytes();
        server.SetOwner(&owner);
        server.SetPort(0);
        server.SetRequestWait(2000);
        if (!server.Start())
            fuzzsupport::Fail("the web server does not start");
    }

    std::string WriteImage() {
        const std::string bytes = ImageBytes();
        return image.Write(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }
};

int Connect(uint16_t port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int error = fd < 0 ? errno : 0;
    if (fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        error = errno;
        // The engine's timer signal can interrupt the call; the connection goes on meanwhile.
        pollfd p{fd, POLLOUT, 0};
        socklen_t length = sizeof error;
        if (error == EINTR && poll(&p, 1, 5000) == 1)
            getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length);
    }
    if (error != 0) {
        std::fprintf(stderr, "connect: %s\n", std::strerror(error));
        fuzzsupport::Fail("cannot connect to the web server");
    }
    return fd;
}

// Sends what it can: the server may close before it has read everything.
void SendAll(int fd, const uint8_t* data, size_t size) {
    while (size > 0) {
        const ssize_t n = send(fd, data, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        data += n;
        size -= size_t(n);
    }
}

// Everything until the server closes; the reset flag tells how it ended.
std::string ReadToEnd(int fd, bool& reset) {
    std::string reply;
    const auto deadline = std::chrono::steady_clock::now() + kExchangeLimit;
    char buffer[4096];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd p{fd, POLLIN, 0};
        if (left.count() <= 0 || poll(&p, 1, int(left.count())) == 0)
            fuzzsupport::Fail("the server neither answered nor closed the connection");
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            reset = n < 0;
            return reply;
        }
        reply.append(buffer, size_t(n));
    }
}

int ThreadCount() {
    std::ifstream status("/proc/self/status");
    std::string key;
    int threads = 0;
    while (status >> key)
        if (key == "Threads:")
            status >> threads;
    return threads;
}

// The connection's thread ends a moment after the peer saw the connection close; each input
// starts only when it has, so that every log line belongs to its own input and no object
// is half taken apart when the engine looks for leaks.
void WaitForConnectionsToEnd(int restingThreads) {
    const auto deadline = std::chrono::steady_clock::now() + kExchangeLimit;
    while (ThreadCount() > restingThreads) {
        if (std::chrono::steady_clock::now() > deadline)
            fuzzsupport::Fail("a connection thread did not end");
        std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static RunningServer running;
    static const int restingThreads = ThreadCount();
    const int linesBefore = running.owner.Lines();
    const int fd = Connect(running.server.Port());
    SendAll(fd, data, size);
    shutdown(fd, SHUT_WR);
    bool reset = false;
    const std::string reply = ReadToEnd(fd, reset);
    close(fd);
    WaitForConnectionsToEnd(restingThreads);

    const int logged = running.owner.Lines() - linesBefore;
    if (logged < 0 || logged > 1)
        fuzzsupport::Fail("one request gave several access-log lines");
    if (!reply.empty() && reply != running.answer)
        fuzzsupport::Fail(reset ? "an answer was cut off by a reset"
                                : "an answer was not the image");
    if (!reply.empty() && logged != 1)
        fuzzsupport::Fail("an answer without its access-log line");
    return 0;
}
