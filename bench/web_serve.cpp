// Runs the phone image server on its own for load tests (see web_load.sh):
//   bench_web_serve PORT FILE     (PORT 0 picks a free one)
// Prints "ready PORT" once listening, serves until SIGINT or SIGTERM, then stops the
// server and prints how many fetches were logged.
#include "web/phone_image_server.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <pthread.h>

namespace {

class CountingOwner : public CPhoneImageServerOwner {
public:
    explicit CountingOwner(std::string path) : path_(std::move(path)) {}
    std::string ImagePath() const override { return path_; }
    void AddAccessLog(const std::string&) override { ++lines; }
    std::atomic<long> lines{0};

private:
    std::string path_;
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s PORT FILE\n", argv[0]);
        return 2;
    }
    // Blocked before any thread exists, so every thread inherits the mask and the
    // signals wait for sigwait below.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    CountingOwner owner(argv[2]);
    CPhoneImageServer server;
    server.SetOwner(&owner);
    server.SetPort(uint16_t(std::atoi(argv[1])));
    if (!server.Start()) {
        std::fprintf(stderr, "cannot listen on port %s\n", argv[1]);
        return 1;
    }
    std::printf("ready %u\n", unsigned(server.Port()));
    std::fflush(stdout);

    int signal = 0;
    sigwait(&stopSignals, &signal);
    server.Stop();
    std::printf("served %ld\n", owner.lines.load());
    return 0;
}
