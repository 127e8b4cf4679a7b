// Debian's aiosmtpd on 127.0.0.1 through the sink script (smtp_sink.py), run as a child
// process and stopped by closing its input. The script stores each message it receives taken
// apart by Python's email package, and everything the clients sent.
#pragma once

#include "common/test_support.h"
#include "loopback.h"

#include <string>
#include <sys/types.h>
#include <vector>

namespace mailtest {

class SmtpSink {
public:
    SmtpSink() = default;
    ~SmtpSink() { Stop(); }
    SmtpSink(const SmtpSink&) = delete;
    SmtpSink& operator=(const SmtpSink&) = delete;

    // Starts the script with these options (see smtp_sink.py). Empty on success, else why
    // the sink could not be had; a reason starting with "SKIP " means a tool is missing.
    std::string Start(const std::vector<std::string>& options = {});

    int port() const { return port_; }
    // A file the sink wrote for message n.
    std::string Read(int n, const std::string& name) const;
    // Everything the clients sent (inside TLS once it was set up).
    std::string Received() const;
    // The certificate authority the sink made for a TLS run.
    std::string CaFile() const { return dir_.file("ca.pem"); }
    const std::filesystem::path& folder() const { return dir_.path(); }

private:
    void Stop();

    testsupport::TempDir dir_;
    pid_t pid_ = -1;
    Fd input_, output_;
    int port_ = 0;
};

} // namespace mailtest

// Starts the sink or skips the test when its tools are missing.
#define START_SINK_WITH(sink, ...)                                                                 \
    ::mailtest::SmtpSink sink;                                                                     \
    if (const std::string why = sink.Start(__VA_ARGS__); !why.empty()) {                           \
        if (why.rfind("SKIP ", 0) == 0)                                                            \
            GTEST_SKIP() << why.substr(5);                                                         \
        FAIL() << why;                                                                             \
    }
#define START_SINK(sink) START_SINK_WITH(sink, {})
