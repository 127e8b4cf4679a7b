// Soak of the SMTP client against a misbehaving server on a loopback port: DELIVERIES
// sendings (DeliverMail, as the mail dialogs run it) from CLIENTS threads at once, each
// connection served with the next behaviour in turn: a well-behaved server, replies a byte
// at a time, replies split after their code, multi-line replies, a server that falls silent,
// one that hangs up or resets mid-dialogue, garbage, a reply far longer than the client's
// buffer, refused recipients, a reply that never ends, a server that stops reading the
// message, one that gives every reply just before the client's wait for it runs out. Each
// sending must end within the bound of a whole sending with one of the client's own error
// texts; the process's threads, open descriptors (/proc/self/fd) and memory (VmRSS) are
// read before, half-way and after.
//   bench_smtp_soak [DELIVERIES] [CLIENTS] [WAIT_MS] [LIMIT_MS]
// Defaults 2000, 4, and the client's wait for each reply and bound of a whole sending scaled
// down to 300 and 1000 ms; the program's own are 30000 and 60000.
#include "mail/smtp_client.h"
#include "process_state.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

constexpr std::chrono::milliseconds kClientTimeout{300};
constexpr std::chrono::milliseconds kSendingLimit{1000};
// What a sending may take beyond its bound: the last wait's slice and the tidying up.
constexpr std::chrono::milliseconds kSlack{500};

enum Behaviour {
    kWellBehaved,
    kByteAtATime,
    kSplitAfterCode,
    kMultiLine,
    kSilentAfterHelo,
    kHangUpAfterMail,
    kResetAtOnce,
    kGarbage,
    kHugeReply,
    kRefusesRecipients,
    kNoGreeting,
    kEndlessReply,
    kStopsReading,
    kDrip,
    kBehaviours
};

const char* const kNames[kBehaviours] = {"well-behaved",         "a byte at a time",
                                         "split after the code", "multi-line replies",
                                         "silent after HELO",    "hang-up after MAIL",
                                         "reset at once",        "garbage",
                                         "64 KB reply",          "refuses recipients",
                                         "no greeting",          "endless reply",
                                         "stops reading",        "drip"};

// Long enough to fill the socket buffers of a server that stops reading.
constexpr size_t kLargeBody = 8 << 20;

ProcessState ReadState() {
    return ReadProcessState();
}

void SendText(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = send(fd, text.data(), text.size(), MSG_NOSIGNAL);
        if (n <= 0)
            return;
        text.remove_prefix(size_t(n));
    }
}

// Reads one line from the client; false when it closed or went quiet.
bool ReadLine(int fd, std::string& pending, std::string& line) {
    for (;;) {
        const size_t end = pending.find('\n');
        if (end != std::string::npos) {
            line = pending.substr(0, end + 1);
            pending.erase(0, end + 1);
            return true;
        }
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 5000) <= 0)
            return false;
        char buffer[4096];
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            return false;
        pending.append(buffer, size_t(n));
    }
}

// Serves one connection the way the behaviour asks; `drip` is how long the dripping server
// waits before each reply.
void Serve(int fd, Behaviour behaviour, std::chrono::milliseconds drip) {
    auto reply = [&](const std::string& text) {
        switch (behaviour) {
        case kDrip:
            std::this_thread::sleep_for(drip);
            SendText(fd, text);
            break;
        case kByteAtATime:
            for (const char c : text) {
                SendText(fd, std::string_view(&c, 1));
                std::this_thread::sleep_for(1ms);
            }
            break;
        case kSplitAfterCode:
            SendText(fd, text.substr(0, 3));
            std::this_thread::sleep_for(2ms);
            SendText(fd, text.substr(3));
            break;
        case kMultiLine:
            SendText(fd, text.substr(0, 3) + "-first\r\n");
            std::this_thread::sleep_for(2ms);
            SendText(fd, text);
            break;
        default:
            SendText(fd, text);
        }
    };
    if (behaviour == kResetAtOnce) {
        linger abort{1, 0};
        setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
        close(fd);
        return;
    }
    if (behaviour != kNoGreeting)
        reply("220 soak.example ready\r\n");
    std::string pending, line;
    bool inData = false;
    while (ReadLine(fd, pending, line)) {
        if (inData) {
            if (line == ".\r\n") {
                inData = false;
                reply("250 queued\r\n");
            }
            continue;
        }
        const std::string command = line.substr(0, 4);
        if (behaviour == kSilentAfterHelo && command != "HELO")
            continue;
        if (behaviour == kHangUpAfterMail && command == "MAIL")
            break;
        if (behaviour == kGarbage) {
            std::string junk(200, '\0');
            for (size_t i = 0; i < junk.size(); ++i)
                junk[i] = char((i * 97 + line.size()) % 256);
            SendText(fd, junk);
        } else if (behaviour == kEndlessReply && command == "HELO") {
            // Talks until the client hangs up (or for a while, should it never).
            const auto until = Clock::now() + 5s;
            while (Clock::now() < until && send(fd, "250-more\r\n", 10, MSG_NOSIGNAL) == 10) {
            }
            break;
        } else if (command == "HELO") {
            reply(behaviour == kHugeReply ? "250-" + std::string(65536, 'x') + "\r\n250 ok\r\n"
                                          : "250 hello\r\n");
        } else if (command == "MAIL") {
            reply("250 sender ok\r\n");
        } else if (command == "RCPT") {
            reply(behaviour == kRefusesRecipients ? "550 no such user\r\n" : "250 ok\r\n");
        } else if (command == "DATA") {
            reply("354 go ahead\r\n");
            if (behaviour == kStopsReading) {
                // Keeps the connection without reading the message.
                pollfd p{fd, POLLRDHUP, 0};
                poll(&p, 1, 2000);
                break;
            }
            inData = true;
        } else if (command == "QUIT") {
            reply("221 bye\r\n");
            break;
        } else {
            reply("500 what\r\n");
        }
    }
    close(fd);
}

bool KnownText(const std::string& text) {
    static const std::array<std::string, 8> kTexts = {"OK",
                                                      "Unable to connect to server",
                                                      "Server didn't respond.",
                                                      "Socket Error",
                                                      "Must be connected",
                                                      "No Recipients",
                                                      "Not enough memory",
                                                      "Unable to create the socket."};
    if (std::find(kTexts.begin(), kTexts.end(), text) != kTexts.end())
        return true;
    const size_t colon = text.find(':');
    return colon != std::string::npos && colon <= 3 && text.find("SMTP server") == colon + 1;
}

} // namespace

int main(int argc, char** argv) {
    const int deliveries = argc > 1 ? std::atoi(argv[1]) : 2000;
    const int clients = argc > 2 ? std::atoi(argv[2]) : 4;
    const std::chrono::milliseconds wait =
        argc > 3 ? std::chrono::milliseconds(std::atol(argv[3])) : kClientTimeout;
    const std::chrono::milliseconds limit =
        argc > 4 ? std::chrono::milliseconds(std::atol(argv[4])) : kSendingLimit;
    // Just within the client's wait, so that only the bound of the whole sending ends it.
    const auto drip = wait * 5 / 6;

    // One listener per behaviour, so that every sending knows what it met.
    std::array<int, kBehaviours> listeners{};
    std::array<int, kBehaviours> ports{};
    for (int b = 0; b < kBehaviours; ++b) {
        listeners[b] = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (listeners[b] < 0 ||
            bind(listeners[b], reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            listen(listeners[b], 64) != 0 ||
            getsockname(listeners[b], reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            std::fprintf(stderr, "smtp_soak: cannot listen on a loopback port\n");
            return 2;
        }
        ports[b] = ntohs(address.sin_port);
    }
    const ProcessState before = ReadState();

    std::atomic<bool> serving{true};
    std::atomic<long> live{0};
    std::thread acceptor([&] {
        std::array<pollfd, kBehaviours> polls{};
        for (int b = 0; b < kBehaviours; ++b)
            polls[b] = {listeners[b], POLLIN, 0};
        while (serving) {
            if (poll(polls.data(), polls.size(), 50) <= 0)
                continue;
            for (int b = 0; b < kBehaviours; ++b) {
                if (!(polls[b].revents & POLLIN))
                    continue;
                const int fd = accept4(listeners[b], nullptr, nullptr, SOCK_CLOEXEC);
                if (fd < 0)
                    continue;
                ++live;
                std::thread([fd, b, drip, &live] {
                    Serve(fd, Behaviour(b), drip);
                    --live;
                }).detach();
            }
        }
    });

    struct Result {
        long count = 0, sent = 0;
        double totalMs = 0, slowestMs = 0;
        std::map<std::string, long> texts;
    };
    std::mutex resultsLock;
    std::array<Result, kBehaviours> results;
    std::atomic<long> unknown{0}, overdue{0};
    double longestMs = 0;
    int longestBehaviour = 0;
    std::atomic<int> next{0};
    // Sends until `upTo` sendings have been made, then waits for the server's threads.
    const auto sendUpTo = [&](int upTo) {
        std::vector<std::thread> senders;
        for (int c = 0; c < clients; ++c)
            senders.emplace_back([&] {
                for (int i = next++; i < upTo; i = next++) {
                    const int behaviour = i % kBehaviours;
                    CPlainMail message;
                    message.from = "soak@example.com";
                    message.subject = "soak";
                    message.AddRecipient("one@example.com", "", RECIPIENT_TO);
                    message.AddRecipient("two@example.com", "", RECIPIENT_CC);
                    message.body =
                        std::string(behaviour == kStopsReading ? kLargeBody : 2000, 'a') +
                        "\r\n.\r\nend\r\n";
                    SmtpSettings settings;
                    settings.host = "127.0.0.1";
                    settings.port = ports[behaviour];
                    settings.timeout = wait;
                    settings.limit = limit;
                    const auto began = Clock::now();
                    const SmtpDelivery delivery = DeliverMail(settings, message);
                    const double ms =
                        std::chrono::duration<double, std::milli>(Clock::now() - began).count();
                    if (!KnownText(delivery.errorText))
                        ++unknown;
                    if (ms > double((limit + kSlack).count()))
                        ++overdue;
                    const char* outcome = delivery.outcome == SmtpOutcome::Sent ? "sent"
                                          : delivery.outcome == SmtpOutcome::SendFailed
                                              ? "send failed"
                                              : "connect failed";
                    std::lock_guard lock(resultsLock);
                    Result& r = results[behaviour];
                    ++r.count;
                    r.sent += delivery.outcome == SmtpOutcome::Sent;
                    r.totalMs += ms;
                    r.slowestMs = std::max(r.slowestMs, ms);
                    if (ms > longestMs) {
                        longestMs = ms;
                        longestBehaviour = behaviour;
                    }
                    ++r.texts[std::string(outcome) + ": " + delivery.errorText];
                }
            });
        for (std::thread& t : senders)
            t.join();
        next = upTo;
        // The server's threads end a moment after their last reply (the dripping one still
        // drips its answer to MAIL and to QUIT); the acceptor stays.
        ProcessState state = ReadState();
        for (const auto until = Clock::now() + 10s + 2 * drip;
             (live > 0 || state.threads > before.threads + 1) && Clock::now() < until;
             state = ReadState())
            std::this_thread::sleep_for(10ms);
        return state;
    };
    const auto start = Clock::now();
    // The first half grows the heap and the arenas; the second must not grow them further.
    const ProcessState warm = sendUpTo(deliveries / 2);
    const long grownKb = sendUpTo(deliveries).rssKb - warm.rssKb;
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    serving = false;
    acceptor.join();
    const ProcessState after = ReadState();

    std::printf("smtp soak: %d sendings from %d threads in %.1f s, wait for a reply %lld ms, "
                "bound of a sending %lld ms\n",
                deliveries, clients, seconds, static_cast<long long>(wait.count()),
                static_cast<long long>(limit.count()));
    for (int b = 0; b < kBehaviours; ++b) {
        const Result& r = results[b];
        if (r.count == 0)
            continue;
        std::printf("  %-20s %5ld sendings, %5ld sent, mean %6.1f ms, slowest %6.1f ms\n",
                    kNames[b], r.count, r.sent, r.totalMs / double(r.count), r.slowestMs);
        for (const auto& [text, count] : r.texts)
            std::printf("  %20s %5ld  %s\n", "", count, text.c_str());
    }
    std::printf("  longest sending %.1f ms (%s)\n", longestMs, kNames[longestBehaviour]);
    std::printf("  before: threads %ld, descriptors %ld, rss %ld kB\n", before.threads,
                before.descriptors, before.rssKb);
    std::printf("  second half: rss %+ld kB\n", grownKb);
    std::printf("  after:  threads %ld, descriptors %ld, rss %ld kB\n", after.threads,
                after.descriptors, after.rssKb);
    // Freed memory the allocator keeps in its threads' arenas is not a leak.
    const bool grew = grownKb > 16 * 1024;
    if (grew)
        std::printf("  memory kept growing in the second half\n");
    const bool failed = unknown > 0 || overdue > 0 || after.threads > before.threads ||
                        after.descriptors > before.descriptors || grew;
    std::printf("  texts of no known kind %ld, sendings over their time bound %ld\n",
                unknown.load(), overdue.load());
    std::printf(failed ? "smtp soak FAILED\n" : "smtp soak passed\n");
    for (const int fd : listeners)
        close(fd);
    return failed ? 1 : 0;
}
