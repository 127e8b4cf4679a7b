// A small HTTP load client for servers that close every connection after their answer:
//   bench_web_load PORT FILE SECONDS CONNECTIONS [THREADS]
// Keeps CONNECTIONS requests to 127.0.0.1:PORT in flight for SECONDS, each on a new
// connection, and checks every answer: status 200 and a body equal to FILE. Prints the
// rate and every kind of error. wrk cannot do this: it counts each answer that ends with
// the connection as a read error.
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

struct Totals {
    std::atomic<long> done{0}, connectErrors{0}, resets{0}, wrong{0}, timeouts{0};
};

struct Connection {
    int fd = -1;
    bool sent = false;
    Clock::time_point started;
    std::string reply;
};

const char kRequest[] = "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";

bool AnswerIsRight(const std::string& reply, const std::string& body) {
    const size_t end = reply.find("\r\n\r\n");
    if (end == std::string::npos || reply.compare(0, 5, "HTTP/") != 0)
        return false;
    const size_t space = reply.find(' ');
    if (space == std::string::npos || reply.compare(space + 1, 3, "200") != 0)
        return false;
    return reply.size() - end - 4 == body.size() && reply.compare(end + 4, body.size(), body) == 0;
}

void Worker(uint16_t port, const std::string& body, Clock::time_point until, int connections,
            Totals& totals) {
    const int poller = epoll_create1(EPOLL_CLOEXEC);
    std::vector<Connection> slots(static_cast<size_t>(connections));
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);

    auto open = [&](size_t i) {
        Connection& c = slots[i];
        c = Connection{};
        c.started = Clock::now();
        c.fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (c.fd < 0 || (connect(c.fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 &&
                         errno != EINPROGRESS)) {
            ++totals.connectErrors;
            if (c.fd >= 0)
                close(c.fd);
            c.fd = -1;
            return;
        }
        epoll_event event{};
        event.events = EPOLLOUT;
        event.data.u64 = i;
        epoll_ctl(poller, EPOLL_CTL_ADD, c.fd, &event);
    };
    auto finish = [&](size_t i, std::atomic<long>* failure) {
        Connection& c = slots[i];
        close(c.fd);
        c.fd = -1;
        if (failure)
            ++*failure;
        else if (AnswerIsRight(c.reply, body))
            ++totals.done;
        else
            ++totals.wrong;
        if (Clock::now() < until)
            open(i);
    };

    for (size_t i = 0; i < slots.size(); ++i)
        open(i);
    std::vector<epoll_event> events(slots.size());
    char buffer[65536];
    for (;;) {
        bool busy = false;
        const auto now = Clock::now();
        for (size_t i = 0; i < slots.size(); ++i) {
            if (slots[i].fd < 0 && now < until)
                open(i); // a connect that failed: try again
            if (slots[i].fd >= 0 && now - slots[i].started > std::chrono::seconds(10))
                finish(i, &totals.timeouts);
            busy = busy || slots[i].fd >= 0;
        }
        if (!busy && now >= until)
            break;
        const int ready = epoll_wait(poller, events.data(), int(events.size()), 100);
        for (int k = 0; k < ready; ++k) {
            const size_t i = events[size_t(k)].data.u64;
            Connection& c = slots[i];
            if (c.fd < 0)
                continue;
            if (!c.sent) {
                int error = 0;
                socklen_t length = sizeof error;
                getsockopt(c.fd, SOL_SOCKET, SO_ERROR, &error, &length);
                if (error != 0 || send(c.fd, kRequest, sizeof kRequest - 1, MSG_NOSIGNAL) !=
                                      ssize_t(sizeof kRequest - 1)) {
                    finish(i, &totals.connectErrors);
                    continue;
                }
                c.sent = true;
                epoll_event event{};
                event.events = EPOLLIN;
                event.data.u64 = i;
                epoll_ctl(poller, EPOLL_CTL_MOD, c.fd, &event);
                continue;
            }
            for (;;) {
                const ssize_t got = recv(c.fd, buffer, sizeof buffer, 0);
                if (got > 0) {
                    c.reply.append(buffer, size_t(got));
                    continue;
                }
                if (got == 0)
                    finish(i, nullptr);
                else if (errno != EAGAIN && errno != EINTR)
                    finish(i, &totals.resets);
                break;
            }
        }
    }
    close(poller);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s PORT FILE SECONDS CONNECTIONS [THREADS]\n", argv[0]);
        return 2;
    }
    const auto port = uint16_t(std::atoi(argv[1]));
    std::ifstream in(argv[2], std::ios::binary);
    const std::string body((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const double seconds = std::atof(argv[3]);
    const int connections = std::atoi(argv[4]);
    const int threads = argc > 5 ? std::atoi(argv[5]) : 2;
    if (!in || connections < threads || threads < 1) {
        std::fprintf(stderr, "bench_web_load: bad arguments\n");
        return 2;
    }

    Totals totals;
    const auto start = Clock::now();
    const auto until =
        start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back(Worker, port, std::cref(body), until,
                             connections / threads + (t < connections % threads), std::ref(totals));
    for (std::thread& w : workers)
        w.join();
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    const long errors = totals.connectErrors + totals.resets + totals.wrong + totals.timeouts;
    std::printf("%.0f req/s  answers %ld  errors %ld (connect %ld, reset %ld, wrong %ld, "
                "timeout %ld)\n",
                double(totals.done) / elapsed, totals.done.load(), errors,
                totals.connectErrors.load(), totals.resets.load(), totals.wrong.load(),
                totals.timeouts.load());
    return errors == 0 ? 0 : 1;
}
