// One sending over loopback to Debian's aiosmtpd (the mail tests' sink script), classic and
// secured: the classic exchange, STARTTLS with a login, and TLS from the first byte with a
// login, ROUNDS sendings each of a phone-sized attachment, one after the other.
//   bench_smtp_tls [ROUNDS]      (default 20)
#include "mail/mime_mail.h"
#include "mail/smtp_client.h"
#include "mail/wire_text.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

namespace {

constexpr size_t kAttachmentBytes = 6000; // a J-Sky sized picture

// The sink script in a folder of its own, stopped by closing its input.
class Sink {
public:
    Sink(const fs::path& folder, const std::vector<std::string>& options) : folder_(folder) {
        fs::create_directories(folder_);
        int in[2], out[2];
        if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        std::vector<std::string> args = {"/usr/bin/python3", MOKOA_SMTP_SINK, folder_.string()};
        args.insert(args.end(), options.begin(), options.end());
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(in[0]);
        close(out[1]);
        input_ = in[1];
        std::string line;
        char c = 0;
        pollfd p{out[0], POLLIN, 0};
        while (c != '\n' && poll(&p, 1, 10000) > 0 && read(out[0], &c, 1) == 1)
            line += c;
        close(out[0]);
        if (line.rfind("PORT ", 0) == 0)
            port_ = std::atoi(line.c_str() + 5);
        else
            std::fprintf(stderr, "smtp_tls: the sink did not start: %s", line.c_str());
    }
    ~Sink() {
        if (input_ >= 0)
            close(input_);
        if (pid_ > 0) {
            int status = 0;
            for (int i = 0; i < 100 && waitpid(pid_, &status, WNOHANG) == 0; ++i)
                usleep(20000);
            if (waitpid(pid_, &status, WNOHANG) == 0) {
                kill(pid_, SIGKILL);
                waitpid(pid_, &status, 0);
            }
        }
    }
    int port() const { return port_; }
    std::string CaFile() const { return (folder_ / "ca.pem").string(); }

private:
    fs::path folder_;
    pid_t pid_ = -1;
    int input_ = -1;
    int port_ = 0;
};

struct Figures {
    double medianMs = 0, maxMs = 0;
    int sent = 0;
};

Figures Measure(const SmtpSettings& settings, const std::string& attachment, int rounds) {
    std::vector<double> times;
    Figures f;
    for (int i = 0; i < rounds; ++i) {
        CMimeMail mail;
        mail.from = "bench@example.com";
        mail.subject = ImageMailSubject();
        mail.body = "本文を入力してください";
        mail.AddRecipients("phone@example.com", RECIPIENT_TO);
        mail.AddPart(attachment, PART_PNG, "");
        const auto began = Clock::now();
        const SmtpDelivery d = DeliverMail(settings, mail);
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - began).count());
        if (d.outcome == SmtpOutcome::Sent)
            ++f.sent;
        else if (i == 0)
            std::fprintf(stderr, "smtp_tls: %s\n", d.errorText.c_str());
    }
    std::sort(times.begin(), times.end());
    f.medianMs = times[times.size() / 2];
    f.maxMs = times.back();
    return f;
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = std::max(1, argc > 1 ? std::atoi(argv[1]) : 20);
    const fs::path folder =
        fs::temp_directory_path() / ("mokoa-smtp-tls-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const std::string attachment = (folder / "phone.png").string();
    {
        std::ofstream out(attachment, std::ios::binary);
        for (size_t i = 0; i < kAttachmentBytes; ++i)
            out.put(char((i * 2654435761u) >> 24));
    }
    const struct {
        const char* name;
        std::vector<std::string> options;
        SmtpSecurity security;
        bool login;
    } modes[] = {
        {"classic (HELO, no TLS)", {}, SmtpSecurity::None, false},
        {"STARTTLS + AUTH", {"--starttls", "--auth", "bench:pw"}, SmtpSecurity::StartTls, true},
        {"TLS + AUTH", {"--tls", "--auth", "bench:pw"}, SmtpSecurity::Tls, true},
    };
    std::printf("smtp tls: %d sendings each of a %zu-byte attachment to aiosmtpd on loopback\n",
                rounds, kAttachmentBytes);
    double classicMs = 0;
    bool failed = false;
    int n = 0;
    for (const auto& mode : modes) {
        Sink sink(folder / ("sink" + std::to_string(n++)), mode.options);
        if (!sink.port()) {
            failed = true;
            continue;
        }
        SmtpSettings settings;
        settings.host = "127.0.0.1";
        settings.port = sink.port();
        settings.security = mode.security;
        if (mode.login) {
            settings.user = "bench";
            settings.password = "pw";
            settings.caFile = sink.CaFile();
        }
        const Figures f = Measure(settings, attachment, rounds);
        if (classicMs == 0)
            classicMs = f.medianMs;
        std::printf("  %-24s sent %3d/%d, median %7.2f ms (%.1f x classic), slowest %7.2f ms\n",
                    mode.name, f.sent, rounds, f.medianMs, f.medianMs / classicMs, f.maxMs);
        failed = failed || f.sent != rounds;
    }
    fs::remove_all(folder);
    return failed ? 1 : 0;
}
