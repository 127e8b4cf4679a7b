// mokoa-convert --serve as a user runs it: the URL and QR code it prints, the bytes a
// phone fetches, and its end after a number of fetches or on a signal.
#include "common/test_pictures.h"
#include "common/test_support.h"
#include "image/encoders.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

using testsupport::ReadFileBytes;
using testsupport::TempDir;

namespace {

constexpr int kWaitMs = 20000;

// The tool started in a folder, its standard output read line by line.
class Tool {
public:
    Tool(const std::string& tool, const std::string& folder, std::vector<std::string> args) {
        int out[2];
        if (::pipe(out) != 0)
            return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            std::vector<char*> argv{const_cast<char*>(tool.c_str())};
            for (std::string& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            if (::chdir(folder.c_str()) == 0)
                ::execv(tool.c_str(), argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        out_ = out[0];
    }
    ~Tool() {
        if (status_ < 0 && pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        ::close(out_);
    }

    // Reads lines until one matches; false at the end of the output or of the wait.
    bool ReadUntil(const std::string& pattern, std::smatch* match) {
        const std::regex line(pattern);
        for (size_t end;;) {
            while ((end = pending_.find('\n')) != std::string::npos) {
                lines_.push_back(pending_.substr(0, end));
                pending_.erase(0, end + 1);
                if (std::regex_match(lines_.back(), *match, line))
                    return true;
            }
            pollfd p{out_, POLLIN, 0};
            char buffer[4096];
            ssize_t got = 0;
            if (::poll(&p, 1, kWaitMs) <= 0 || (got = ::read(out_, buffer, sizeof buffer)) <= 0)
                return false;
            pending_.append(buffer, size_t(got));
        }
    }
    // The exit status once the tool has ended by itself within the wait; -1 otherwise.
    int Wait() {
        for (int waited = 0; status_ < 0 && waited < kWaitMs; waited += 10) {
            int raw = 0;
            if (::waitpid(pid_, &raw, WNOHANG) == pid_)
                status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
            else
                ::usleep(10000);
        }
        return status_;
    }
    void Signal(int signal) { ::kill(pid_, signal); }
    const std::vector<std::string>& Lines() const { return lines_; }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    int status_ = -1;
    std::string pending_;
    std::vector<std::string> lines_;
};

// The half-block lines as a PBM picture: two modules a character, ink dark, 8 pixels each.
void WriteQrPicture(const std::vector<std::string>& lines, const std::string& path) {
    std::vector<std::string> rows;
    for (const std::string& line : lines) {
        std::string top, bottom;
        for (size_t i = 0; i < line.size(); i += line[i] == ' ' ? 1 : 3) {
            const std::string glyph = line[i] == ' ' ? " " : line.substr(i, 3);
            top += std::string(8, glyph == "\u2580" || glyph == "\u2588" ? '1' : '0');
            bottom += std::string(8, glyph == "\u2584" || glyph == "\u2588" ? '1' : '0');
        }
        rows.insert(rows.end(), 8, top);
        rows.insert(rows.end(), 8, bottom);
    }
    std::ofstream pbm(path);
    pbm << "P1\n" << rows[0].size() << " " << rows.size() << "\n";
    for (const std::string& row : rows)
        pbm << row << "\n";
}

class ServeCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* bin = std::getenv("MOKOA_BIN_DIR");
        tool_ = bin ? (std::filesystem::path(bin) / "mokoa-convert").string() : std::string();
        if (tool_.empty() || !std::filesystem::exists(tool_))
            GTEST_SKIP() << "mokoa-convert not found (MOKOA_BIN_DIR)";
        if (!std::filesystem::exists("/usr/bin/curl"))
            GTEST_SKIP() << "curl is not installed (scripts/install-deps.sh test)";
        ASSERT_EQ(WritePngFile(testsupport::GradientPicture(120, 90).get(), dir_.file("in.png")),
                  1);
        std::filesystem::create_directory(dir_.file("tmp"));
        setenv("TMPDIR", dir_.file("tmp").c_str(), 1);
    }
    void TearDown() override { unsetenv("TMPDIR"); }

    // What a phone gets from the loopback address on port.
    std::string Fetch(const std::string& port, const std::string& name) {
        const std::string command = "/usr/bin/curl -s -0 --max-time 10 -o " + dir_.file(name) +
                                    " http://127.0.0.1:" + port + "/phone";
        return std::system(command.c_str()) == 0 ? ReadFileBytes(dir_.file(name)) : "";
    }

    std::string tool_;
    TempDir dir_;
};

TEST_F(ServeCliTest, ServesTheConvertedBytesUnderThePrintedUrlAndQrCode) {
    Tool serving(
        tool_, dir_.path(),
        {"--size", "96x130", "--format", "3", "--serve", "0", "--serve-count", "1", "in.png"});
    std::smatch url, logged;
    ASSERT_TRUE(serving.ReadUntil(R"(http://[0-9.]+:(\d+)/)", &url));
    const std::string address = url.str(0), served = Fetch(url.str(1), "served.png");
    ASSERT_TRUE(serving.ReadUntil(R"(\[\d\d:\d\d:\d\d\] curl/\S+ \(.*\) .*)", &logged));
    EXPECT_EQ(serving.Wait(), 0);
    EXPECT_TRUE(std::filesystem::is_empty(dir_.file("tmp"))) << "the served file was left";

    Tool writing(tool_, dir_.path(),
                 {"--size", "96x130", "--format", "3", "-o", "o.png", "in.png"});
    ASSERT_EQ(writing.Wait(), 0);
    EXPECT_TRUE(served == ReadFileBytes(dir_.file("o.png")));

    if (!std::filesystem::exists("/usr/bin/zbarimg"))
        GTEST_SKIP() << "zbarimg (Debian package zbar-tools) is not installed";
    // The QR code: the lines between the URL and the access-log line.
    const std::vector<std::string>& lines = serving.Lines();
    const auto first = std::find(lines.begin(), lines.end(), address) + 1;
    ASSERT_LT(first, lines.end() - 1);
    WriteQrPicture({first, lines.end() - 1}, dir_.file("qr.pbm"));
    const std::string decode = "/usr/bin/zbarimg --raw -q " + dir_.file("qr.pbm") + " >" +
                               dir_.file("qr.txt") + " 2>/dev/null";
    ASSERT_EQ(std::system(decode.c_str()), 0);
    EXPECT_EQ(ReadFileBytes(dir_.file("qr.txt")), address + "\n");
}

TEST_F(ServeCliTest, InterruptOrTerminateStopsCleanly) {
    for (const int signal : {SIGINT, SIGTERM}) {
        Tool serving(tool_, dir_.path(),
                     {"--serve", "0", "--bind", "127.0.0.1", "-o", "kept.png", "in.png"});
        std::smatch url;
        ASSERT_TRUE(serving.ReadUntil(R"(http://127\.0\.0\.1:(\d+)/)", &url));
        ASSERT_NE(Fetch(url.str(1), "fetched.png"), "");
        serving.Signal(signal);
        EXPECT_EQ(serving.Wait(), 0) << signal;
        EXPECT_TRUE(std::filesystem::exists(dir_.file("kept.png"))) << "-o names a file to keep";
    }
}

} // namespace
