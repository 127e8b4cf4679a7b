#include "smtp_sink_process.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace mailtest {

namespace {
// Debian's interpreter: another python3 earlier on PATH may lack Debian's packages.
constexpr const char* kPython = "/usr/bin/python3";
} // namespace

std::string SmtpSink::Start(const std::vector<std::string>& options) {
    const char* script = std::getenv("MOKOA_SMTP_SINK");
    if (!script || access(script, R_OK) != 0)
        return "MOKOA_SMTP_SINK does not name the sink script";
    if (access(kPython, X_OK) != 0)
        return "SKIP " + std::string(kPython) + " is not installed";
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0)
        return "no pipes";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    const std::string folder = dir_.path().string();
    std::vector<char*> argv = {const_cast<char*>(kPython), const_cast<char*>(script),
                               const_cast<char*>(folder.c_str())};
    for (const std::string& option : options)
        argv.push_back(const_cast<char*>(option.c_str()));
    argv.push_back(nullptr);
    const int rc = posix_spawn(&pid_, kPython, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    input_.Reset(in[1]);
    output_.Reset(out[0]);
    if (rc != 0) {
        pid_ = -1;
        return "cannot start " + std::string(kPython);
    }
    std::string line;
    char c = 0;
    while (c != '\n' && WaitReady(output_.get(), false) && read(output_.get(), &c, 1) == 1)
        line += c;
    if (line.empty() || line.back() != '\n')
        return "the sink did not start";
    line.pop_back();
    if (line.rfind("PORT ", 0) == 0) {
        port_ = std::atoi(line.c_str() + 5);
        return {};
    }
    return line;
}

std::string SmtpSink::Read(int n, const std::string& name) const {
    return testsupport::ReadFileBytes(dir_.path() / ("msg" + std::to_string(n)) / name);
}

std::string SmtpSink::Received() const {
    return testsupport::ReadFileBytes(dir_.path() / "received");
}

void SmtpSink::Stop() {
    if (pid_ < 0)
        return;
    input_.Reset();
    DrainUntilClosed(output_.get()); // the sink closes its output when it ends
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status, 0);
    }
    pid_ = -1;
}

} // namespace mailtest
