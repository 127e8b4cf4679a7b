// Soak of the phone web server: starts bench_web_serve (the server on its own, beside this
// program) on a free loopback port and puts it through rounds of
//   - many clients: FETCHES fetches from CLIENTS clients at once, every answer checked;
//   - slow clients: clients dribbling their request a byte at a time, clients reading the
//     answer a little at a time, and silent clients that the server must drop after its
//     request wait, while ordinary fetches go on;
//   - vanishing clients: clients that reset the connection before, during and after their
//     request.
// The server's threads, open descriptors (/proc/PID/fd) and memory (VmRSS, VmHWM) are read
// before and after every round, once its connection threads have ended; after the first
// round they must come back to rest, and memory must not keep growing.
// Then hostile peers, each kind against a server of its own: 256 sockets that say nothing
// and are reopened as soon as they are closed, 256 that dribble a byte a second (reopened
// too), 256 POST heads declaring 5 MB; and a client draining a 50 MB answer a piece every
// few seconds. Beside each, a well-behaved client fetches every 20 ms for 3 s; its answers
// are set against the same client with no attack (at least 90 %), the server's memory
// growth is read (under 50 MB), and the server is stopped with the attack still on (Stop
// under 2 s).
//   bench_web_soak [FETCHES] [CLIENTS] [SERVER]   (defaults 20000, 50, the bench_web_serve
//                                                  beside this program)
// Exit status 1 when an answer was wrong, a wait hung or the server did not come back to
// its resting state.
#include "process_state.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

constexpr auto kExchangeLimit = 20s;

ProcessState ReadState(pid_t pid) {
    return ReadProcessState(std::to_string(pid));
}

// Connection threads end a moment after their peers have gone; waits (bounded) for the
// server to come back to its resting thread and descriptor counts.
ProcessState Settled(pid_t pid, const ProcessState& rest, double* seconds) {
    const auto start = Clock::now();
    ProcessState state = ReadState(pid);
    while ((state.threads > rest.threads || state.descriptors > rest.descriptors) &&
           Clock::now() - start < 30s) {
        std::this_thread::sleep_for(20ms);
        state = ReadState(pid);
    }
    *seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return state;
}

int Connect(uint16_t port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(port);
    server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&server), sizeof server) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

void SendAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n <= 0)
            return;
        bytes.remove_prefix(size_t(n));
    }
}

// Reads until the server closes; pause is slept after every piece of at most chunk bytes.
// False when the limit ran out.
bool ReadToEnd(int fd, std::string& reply, size_t chunk = 65536,
               std::chrono::milliseconds pause = 0ms,
               std::chrono::milliseconds limit = kExchangeLimit) {
    const auto deadline = Clock::now() + limit;
    std::vector<char> buffer(chunk);
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd p{fd, POLLIN, 0};
        if (left.count() <= 0 || poll(&p, 1, int(left.count())) <= 0)
            return false;
        const ssize_t n = recv(fd, buffer.data(), buffer.size(), 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return true;
        reply.append(buffer.data(), size_t(n));
        if (pause.count() > 0)
            std::this_thread::sleep_for(pause);
    }
}

void Reset(int fd) {
    linger abort{1, 0};
    setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    close(fd);
}

struct Tally {
    std::atomic<long> whole{0}, wrong{0}, hung{0}, refused{0};
    std::atomic<long> slowestUs{0};

    void Record(bool finished, const std::string& reply, const std::string& answer,
                Clock::time_point start) {
        const long us = long(
            std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count());
        long seen = slowestUs.load();
        while (us > seen && !slowestUs.compare_exchange_weak(seen, us)) {
        }
        if (!finished)
            ++hung;
        else if (reply == answer)
            ++whole;
        else
            ++wrong;
    }
};

void Fetch(uint16_t port, const std::string& answer, Tally& tally) {
    const auto start = Clock::now();
    const int fd = Connect(port);
    if (fd < 0) {
        ++tally.refused;
        return;
    }
    SendAll(fd, "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nUser-Agent: soak\r\n\r\n");
    std::string reply;
    const bool finished = ReadToEnd(fd, reply);
    close(fd);
    tally.Record(finished, reply, answer, start);
}

template <typename Work> void OnThreads(int count, Work work) {
    std::vector<std::thread> threads;
    for (int i = 0; i < count; ++i)
        threads.emplace_back(work, i);
    for (std::thread& t : threads)
        t.join();
}

class Server {
public:
    Server(const fs::path& program, const fs::path& file) {
        int out[2];
        if (pipe(out) != 0)
            std::exit(2);
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            close(out[1]);
            execl(program.c_str(), program.c_str(), "0", file.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        close(out[1]);
        output_ = fdopen(out[0], "r");
        char line[64] = {};
        unsigned port = 0;
        if (!output_ || !std::fgets(line, sizeof line, output_) ||
            std::sscanf(line, "ready %u", &port) != 1) {
            std::fprintf(stderr, "web_soak: %s did not start\n", program.c_str());
            std::exit(2);
        }
        port_ = uint16_t(port);
    }

    // Stops the server; the number of fetches it logged.
    long Stop() {
        kill(pid_, SIGTERM);
        char line[64] = {};
        long served = -1;
        if (std::fgets(line, sizeof line, output_))
            std::sscanf(line, "served %ld", &served);
        int status = 0;
        waitpid(pid_, &status, 0);
        std::fclose(output_);
        return served;
    }

    // Stops the server and times the stop, from the signal to the end of the process; -1
    // when it took longer than the limit (the server is then killed).
    double TimedStop(std::chrono::seconds limit) {
        const auto start = Clock::now();
        kill(pid_, SIGTERM);
        pollfd p{fileno(output_), POLLIN, 0};
        double seconds = -1;
        if (poll(&p, 1, int(std::chrono::milliseconds(limit).count())) > 0) {
            int status = 0;
            waitpid(pid_, &status, 0);
            seconds = std::chrono::duration<double>(Clock::now() - start).count();
        } else {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        std::fclose(output_);
        return seconds;
    }

    pid_t Pid() const { return pid_; }
    uint16_t Port() const { return port_; }

private:
    pid_t pid_ = -1;
    uint16_t port_ = 0;
    FILE* output_ = nullptr;
};

bool failed = false;

// Freed memory that the allocator keeps for its threads' arenas, not a leak.
constexpr long kMemoryGrowthKb = 16 * 1024;

void Report(const char* round, const ProcessState& s, double settle) {
    std::printf(
        "  %-28s threads %ld, descriptors %ld, rss %ld kB, peak %ld kB (settled in %.2f s)\n",
        round, s.threads, s.descriptors, s.rssKb, s.peakKb, settle);
}

void Check(const char* round, const Tally& t, long expectedWhole) {
    std::printf("  %-28s whole %ld, wrong %ld, hung %ld, refused %ld, slowest %.1f ms\n", round,
                t.whole.load(), t.wrong.load(), t.hung.load(), t.refused.load(),
                double(t.slowestUs.load()) / 1000.0);
    if (t.wrong > 0 || t.hung > 0 || t.refused > 0 ||
        (expectedWhole >= 0 && t.whole != expectedWhole))
        failed = true;
}

// Peers that hold connections without ever completing a request, all on one thread.
class Attack {
public:
    enum class Kind { Idle, Dribble, PostHead };

    Attack(uint16_t port, Kind kind, int count)
        : port_(port), kind_(kind), sockets_(size_t(count), -1), thread_([this] { Run(); }) {}
    ~Attack() {
        stop_ = true;
        thread_.join();
        for (int fd : sockets_)
            if (fd >= 0)
                close(fd);
    }
    // Connections made, counting the reopened ones.
    long Opened() const { return opened_.load(); }

private:
    void Open(size_t i) {
        sockets_[i] = Connect(port_);
        if (sockets_[i] < 0)
            return;
        ++opened_;
        if (kind_ == Kind::PostHead)
            SendAll(sockets_[i], "POST / HTTP/1.0\r\nContent-Length: 5242880\r\n\r\n");
        else if (kind_ == Kind::Dribble)
            SendAll(sockets_[i], "G");
    }

    void Run() {
        // A request that never ends: its first line grows a byte a second.
        const std::string drip = "ET / HTTP/1.0\r\nX-Drip: ";
        std::vector<size_t> dripped(sockets_.size(), 0);
        auto tick = Clock::now() + 1s;
        std::vector<pollfd> fds(sockets_.size());
        while (!stop_) {
            for (size_t i = 0; i < sockets_.size(); ++i) {
                if (sockets_[i] < 0) {
                    Open(i);
                    dripped[i] = 0;
                }
                fds[i] = {sockets_[i], POLLIN, 0};
            }
            poll(fds.data(), fds.size(), 50);
            for (size_t i = 0; i < sockets_.size(); ++i) {
                if (fds[i].revents == 0 || sockets_[i] < 0)
                    continue;
                char buffer[4096];
                if (recv(sockets_[i], buffer, sizeof buffer, MSG_DONTWAIT) <= 0) {
                    // Closed by the server: at once back again.
                    close(sockets_[i]);
                    sockets_[i] = -1;
                }
            }
            if (kind_ == Kind::Dribble && Clock::now() >= tick) {
                tick += 1s;
                for (size_t i = 0; i < sockets_.size(); ++i) {
                    if (sockets_[i] < 0)
                        continue;
                    const char c = dripped[i] < drip.size() ? drip[dripped[i]] : 'a';
                    ++dripped[i];
                    send(sockets_[i], &c, 1, MSG_NOSIGNAL);
                }
            }
        }
    }

    const uint16_t port_;
    const Kind kind_;
    std::vector<int> sockets_;
    std::atomic<bool> stop_{false};
    std::atomic<long> opened_{0};
    std::thread thread_;
};

// A client that asks for the whole of a large answer and then takes a piece of it every
// few seconds.
class SlowDrain {
public:
    explicit SlowDrain(uint16_t port) : fd_(Connect(port)) {
        SendAll(fd_, "GET / HTTP/1.0\r\n\r\n");
        thread_ = std::thread([this] {
            char piece[16384];
            while (!stop_) {
                pollfd p{fd_, POLLIN, 0};
                if (poll(&p, 1, 100) > 0 && recv(fd_, piece, sizeof piece, 0) <= 0)
                    return;
                for (int i = 0; i < 30 && !stop_; ++i)
                    std::this_thread::sleep_for(100ms);
            }
        });
    }
    ~SlowDrain() {
        stop_ = true;
        thread_.join();
        close(fd_);
    }

private:
    int fd_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// A well-behaved client: a fetch every 20 ms for the given time, each allowed that time at
// most; the number answered with the whole picture.
long PacedFetches(uint16_t port, const std::string& answer, std::chrono::milliseconds length,
                  long* asked) {
    const auto end = Clock::now() + length;
    auto next = Clock::now();
    long answered = 0;
    *asked = 0;
    while (Clock::now() < end) {
        std::this_thread::sleep_until(next);
        next = std::max(next + 20ms, Clock::now());
        ++*asked;
        const int fd = Connect(port);
        if (fd < 0)
            continue;
        SendAll(fd, "GET / HTTP/1.0\r\nUser-Agent: phone\r\n\r\n");
        std::string reply;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()) + 100ms;
        answered += ReadToEnd(fd, reply, 65536, 0ms, left) && reply == answer;
        close(fd);
    }
    return answered;
}

void HostileRounds(const fs::path& program, const fs::path& folder, const std::string& answer) {
    constexpr int kPeers = 256;
    constexpr auto kSettle = 1500ms; // for the attack to take every slot it can
    constexpr auto kWindow = 3000ms;
    constexpr double kShareGoal = 0.90, kStopGoal = 2.0;
    constexpr long kPostGrowthGoalKb = 50 * 1024;
    std::printf("hostile peers (%d each, a server each; a fetch every 20 ms for 3 s beside "
                "them):\n",
                kPeers);

    // The 50 MB answer for the slow drain.
    {
        std::string big(50u << 20, '\0');
        std::mt19937 random(11);
        for (size_t i = 0; i < big.size(); i += 64)
            big[i] = char(random());
        std::ofstream(folder / "big.png", std::ios::binary)
            .write(big.data(), std::streamsize(big.size()));
    }

    enum class Round { None, Idle, Dribble, PostHead, SlowDrain };
    struct Case {
        Round round;
        const char* name;
    };
    long undisturbed = 0;
    for (const Case c :
         {Case{Round::None, "no attack"}, Case{Round::Idle, "idle, reopened at once"},
          Case{Round::Dribble, "dribbling a byte a second"},
          Case{Round::PostHead, "POST heads of 5 MB"},
          Case{Round::SlowDrain, "draining 50 MB slowly"}}) {
        Server server(program,
                      c.round == Round::SlowDrain ? folder / "big.png" : folder / "phone.png");
        const pid_t pid = server.Pid();
        const uint16_t port = server.Port();
        const ProcessState before = ReadState(pid);
        std::unique_ptr<Attack> attack;
        std::unique_ptr<SlowDrain> drain;
        if (c.round == Round::Idle)
            attack = std::make_unique<Attack>(port, Attack::Kind::Idle, kPeers);
        else if (c.round == Round::Dribble)
            attack = std::make_unique<Attack>(port, Attack::Kind::Dribble, kPeers);
        else if (c.round == Round::PostHead)
            attack = std::make_unique<Attack>(port, Attack::Kind::PostHead, kPeers);
        else if (c.round == Round::SlowDrain)
            drain = std::make_unique<SlowDrain>(port);
        std::this_thread::sleep_for(kSettle);

        std::string share = "-";
        if (c.round != Round::SlowDrain) {
            long asked = 0;
            const long answered = PacedFetches(port, answer, kWindow, &asked);
            if (c.round == Round::None)
                undisturbed = answered;
            const double ratio = undisturbed > 0 ? double(answered) / double(undisturbed) : 0;
            char text[96];
            std::snprintf(text, sizeof text, "answered %ld of %ld (%.0f %%)", answered, asked,
                          100.0 * ratio);
            share = text;
            if (ratio < kShareGoal)
                failed = true;
        }
        const ProcessState during = ReadState(pid);
        const long growthKb = during.peakKb - before.rssKb;
        if (c.round == Round::PostHead && growthKb >= kPostGrowthGoalKb)
            failed = true;
        const double stop = server.TimedStop(30s);
        if (stop < 0 || stop >= kStopGoal)
            failed = true;
        char stopText[32];
        if (stop < 0)
            std::snprintf(stopText, sizeof stopText, "over 30 s");
        else
            std::snprintf(stopText, sizeof stopText, "%.2f s", stop);
        std::printf("  %-26s %-28s memory +%.1f MB (peak), threads %ld, Stop %s%s\n", c.name,
                    share.c_str(), double(growthKb) / 1024.0, during.threads, stopText,
                    attack ? (", " + std::to_string(attack->Opened()) + " connections").c_str()
                           : "");
    }
    fs::remove(folder / "big.png");
}

} // namespace

int main(int argc, char** argv) {
    const long fetches = argc > 1 ? std::atol(argv[1]) : 20000;
    const int clients = argc > 2 ? std::atoi(argv[2]) : 50;
    const fs::path program =
        argc > 3 ? fs::path(argv[3])
                 : fs::canonical("/proc/self/exe").parent_path() / "bench_web_serve";

    // A phone-sized image, just under the 6000-byte carrier limit.
    const fs::path folder = fs::temp_directory_path() / ("web-soak-" + std::to_string(getpid()));
    fs::create_directories(folder);
    std::string image(5900, '\0');
    std::mt19937 random(7);
    for (char& c : image)
        c = char(random());
    {
        std::ofstream(folder / "phone.png", std::ios::binary)
            .write(image.data(), std::streamsize(image.size()));
    }
    const std::string answer = "HTTP/1.0 200\r\nContent-Type: image/png\r\n\r\n" + image;

    Server server(program, folder / "phone.png");
    const pid_t pid = server.Pid();
    const uint16_t port = server.Port();
    long answered = 0;
    double settle = 0;
    const ProcessState rest = ReadState(pid);
    ProcessState warm = rest; // once the first round has grown the heap and the stacks
    std::printf("web soak: %ld fetches from %d clients, image %zu bytes, %u cores\n", fetches,
                clients, image.size(), std::thread::hardware_concurrency());
    Report("at rest", rest, 0);

    {
        Tally tally;
        const auto start = Clock::now();
        OnThreads(clients, [&](int i) {
            for (long k = i; k < fetches; k += clients)
                Fetch(port, answer, tally);
        });
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        std::printf("many clients: %.0f fetches/s\n", double(fetches) / seconds);
        Check("fetches", tally, fetches);
        answered += tally.whole;
        warm = Settled(pid, rest, &settle);
        Report("after", warm, settle);
    }

    {
        std::printf("slow clients: 50 dribbling their request, 50 reading 100 bytes at a time, 50 "
                    "silent, %d fetching meanwhile\n",
                    clients / 2);
        Tally dribbled, slowReaders, ordinary;
        std::atomic<long> silentDropped{0};
        std::atomic<bool> busy{true};
        std::thread fetchers([&] {
            OnThreads(clients / 2, [&](int) {
                while (busy)
                    Fetch(port, answer, ordinary);
            });
        });
        OnThreads(150, [&](int i) {
            const auto start = Clock::now();
            const int fd = Connect(port);
            if (fd < 0)
                return;
            std::string reply;
            if (i < 50) {
                for (const char c : std::string("GET / HTTP/1.0\r\nUser-Agent: slow\r\n\r\n")) {
                    SendAll(fd, std::string_view(&c, 1));
                    std::this_thread::sleep_for(20ms);
                }
                dribbled.Record(ReadToEnd(fd, reply), reply, answer, start);
            } else if (i < 100) {
                SendAll(fd, "GET / HTTP/1.0\r\n\r\n");
                slowReaders.Record(ReadToEnd(fd, reply, 100, 5ms), reply, answer, start);
            } else if (ReadToEnd(fd, reply) && reply.empty()) {
                ++silentDropped; // the server closed the connection after its request wait
            }
            close(fd);
        });
        busy = false;
        fetchers.join();
        Check("dribbling", dribbled, 50);
        Check("reading slowly", slowReaders, 50);
        Check("fetching meanwhile", ordinary, -1);
        std::printf("  %-28s %ld of 50 closed by the server without an answer\n", "silent",
                    silentDropped.load());
        if (silentDropped != 50)
            failed = true;
        answered += dribbled.whole + slowReaders.whole + ordinary.whole;
        Report("after", Settled(pid, rest, &settle), settle);
    }

    {
        const int vanishing = 3000;
        std::printf("vanishing clients: %d resetting before, within and after their request\n",
                    vanishing);
        std::atomic<long> kinds[3] = {0, 0, 0};
        OnThreads(clients, [&](int i) {
            for (int k = i; k < vanishing; k += clients) {
                const int fd = Connect(port);
                if (fd < 0)
                    continue;
                if (k % 3 == 1)
                    SendAll(fd, "GET / HTT");
                else if (k % 3 == 2)
                    SendAll(fd, "GET / HTTP/1.0\r\n\r\n"); // and gone before the answer
                Reset(fd);
                ++kinds[k % 3];
            }
        });
        Tally after;
        for (int i = 0; i < 100; ++i)
            Fetch(port, answer, after);
        Check("fetches afterwards", after, 100);
        answered += after.whole;
        Report("after", Settled(pid, rest, &settle), settle);
    }

    const ProcessState end = Settled(pid, rest, &settle);
    if (end.threads > rest.threads || end.descriptors > rest.descriptors) {
        std::printf("the server did not come back to rest\n");
        failed = true;
    }
    std::printf("memory after the first round: %+ld kB\n", end.rssKb - warm.rssKb);
    if (end.rssKb - warm.rssKb > kMemoryGrowthKb) {
        std::printf("the server's memory kept growing\n");
        failed = true;
    }
    const long served = server.Stop();
    // Vanished clients that sent a whole request may be logged without taking the answer.
    std::printf("logged fetches %ld, whole answers received %ld\n", served, answered);
    if (served < answered)
        failed = true;

    HostileRounds(program, folder, answer);
    fs::remove_all(folder);
    std::printf(failed ? "web soak FAILED\n" : "web soak passed\n");
    return failed ? 1 : 0;
}
