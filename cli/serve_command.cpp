#include "cli/serve_command.h"

#include "cli/convert_command.h"
#include "cli/terminal_qr.h"
#include "phone/temp_file.h"
#include "web/local_address.h"
#include "web/phone_image_server.h"
#include "web/qr_modules.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <utility>

#include <arpa/inet.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Hands out the file and passes each access-log line to the thread that prints them.
class ServeOwner : public CPhoneImageServerOwner {
public:
    explicit ServeOwner(std::string path)
        : path_(std::move(path)), ready_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
    ~ServeOwner() override {
        if (ready_ >= 0)
            ::close(ready_);
    }

    std::string ImagePath() const override { return path_; }
    void AddAccessLog(const std::string& line) override {
        std::lock_guard lock(mutex_);
        lines_.push_back(line);
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(ready_, &one, sizeof one);
    }

    // Readable while lines wait.
    int ReadyHandle() const { return ready_; }
    std::deque<std::string> TakeLines() {
        uint64_t count = 0;
        [[maybe_unused]] const ssize_t got = ::read(ready_, &count, sizeof count);
        std::lock_guard lock(mutex_);
        return std::exchange(lines_, {});
    }

private:
    const std::string path_;
    const int ready_;
    std::mutex mutex_;
    std::deque<std::string> lines_;
};

// SIGINT and SIGTERM blocked on every thread made from here on and read from a handle
// instead; the old mask comes back at the end.
class StopSignals {
public:
    StopSignals() {
        sigemptyset(&signals_);
        sigaddset(&signals_, SIGINT);
        sigaddset(&signals_, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &signals_, &previous_);
        handle_ = ::signalfd(-1, &signals_, SFD_CLOEXEC | SFD_NONBLOCK);
    }
    ~StopSignals() {
        // Taken, or the signal that stopped the server would end the program once unblocked.
        signalfd_siginfo taken;
        while (handle_ >= 0 && ::read(handle_, &taken, sizeof taken) == ssize_t(sizeof taken)) {
        }
        if (handle_ >= 0)
            ::close(handle_);
        pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    }
    int Handle() const { return handle_; }

private:
    sigset_t signals_{}, previous_{};
    int handle_ = -1;
};

// The address for the URL: an interface's name stands for its address; any other text
// must be an IPv4 address.
std::optional<std::string> UrlHost(const std::string& bind, const std::string& serverHost) {
    if (bind.empty())
        return serverHost.empty() ? std::string("127.0.0.1") : serverHost;
    for (const LocalAddress& address : ListLocalAddresses())
        if (address.interfaceName == bind)
            return address.text;
    in_addr parsed{};
    if (::inet_pton(AF_INET, bind.c_str(), &parsed) == 1)
        return bind;
    return std::nullopt;
}

std::string ServerUrl(const std::string& host, uint16_t port) {
    return "http://" + host + (port == 80 ? "" : ":" + std::to_string(port)) + "/";
}

bool ColourTerminal() {
    const char* term = std::getenv("TERM");
    return ::isatty(STDOUT_FILENO) == 1 && term && std::strcmp(term, "dumb") != 0;
}

} // namespace

int RunServeCommand(const ConvertOptions& options, std::ostream& out, std::ostream& err) {
    if (!options.bindAddress.empty() && !UrlHost(options.bindAddress, {})) {
        err << "mokoa-convert: --bind: '" << options.bindAddress
            << "' is neither an IPv4 address nor the name of a network interface\n";
        return kExitUsage;
    }
    // Before any thread is made, so that every one inherits the mask.
    const StopSignals stop;

    // Without -o, the picture goes to a folder of its own, removed at the end.
    ConvertOptions convert = options;
    std::string scratch;
    if (convert.output.empty()) {
        std::string pattern = (fs::path(TempFolder()) / "mokoa-serve-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) {
            err << "mokoa-convert: cannot create a folder in " << TempFolder() << ": "
                << std::strerror(errno) << "\n";
            return kExitFailed;
        }
        scratch = convert.output = pattern;
    }
    struct Cleanup {
        std::string folder;
        ~Cleanup() {
            std::error_code ec;
            if (!folder.empty())
                fs::remove_all(folder, ec);
        }
    } cleanup{scratch};

    std::ostringstream report;
    const int status = RunConvertCommand(convert, report, err);
    out << report.str() << std::flush;
    if (status != kExitOk && status != kExitOverLimit)
        return status;
    // The report begins with the written file's path.
    const std::string path = report.str().substr(0, report.str().find('\n'));

    ServeOwner owner(fs::absolute(path).string());
    CPhoneImageServer server;
    server.SetOwner(&owner);
    server.SetPort(uint16_t(options.servePort));
    if (stop.Handle() < 0 || owner.ReadyHandle() < 0 || !server.Start()) {
        const int why = server.StartError() ? server.StartError() : errno;
        err << "mokoa-convert: cannot serve on port " << options.servePort << ": "
            << std::strerror(why);
        if (why == EACCES || why == EPERM)
            err << ", and no port from " << CWebServer::kFallbackFirst << " to "
                << CWebServer::kFallbackLast << " is free";
        err << "\n";
        return kExitFailed;
    }
    if (server.RefusedPort() != 0)
        out << "Port " << server.RefusedPort() << " is refused ("
            << std::strerror(server.StartError())
            << "; ports below 1024 need administrator rights): serving on port " << server.Port()
            << " instead.\n";
    const std::string url =
        ServerUrl(*UrlHost(options.bindAddress, server.HostText()), server.Port());
    out << url << "\n" << TerminalQrCode(EncodeQrCode(url), ColourTerminal()) << std::flush;

    int served = 0;
    auto print = [&] {
        for (const std::string& line : owner.TakeLines()) {
            out << line << "\n";
            ++served;
        }
        out << std::flush;
    };
    while (options.serveCount == 0 || served < options.serveCount) {
        pollfd waits[2] = {{stop.Handle(), POLLIN, 0}, {owner.ReadyHandle(), POLLIN, 0}};
        if (::poll(waits, 2, -1) < 0 && errno != EINTR)
            break;
        if (waits[1].revents != 0)
            print();
        if (waits[0].revents != 0)
            break;
    }
    server.Stop();
    print(); // fetches that ended meanwhile
    return status;
}
