// mokoa-convert --serve as a user runs it: the URL and QR code it prints, the bytes a
// phone fetches, and its end after a number of fetches or a signal.
#include "common/test_pictures.h"
#include "common/test_support.h"
#include "image/encoders.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
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

// The tool started in a folder with its standard output on a pipe.
class Tool {
public:
    Tool(const std::filesystem::path& tool, const std::filesystem::path& folder,
         const std::vector<std::string>& args) {
        int out[2];
        if (::pipe(out) != 0)
            return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::close(out[0]);
            ::close(out[1]);
            if (::chdir(folder.c_str()) != 0)
                ::_exit(127);
            std::vector<char*> argv{const_cast<char*>(tool.c_str())};
            for (const std::string& a : args)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            ::execv(tool.c_str(), argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        out_ = out[0];
    }
    ~Tool() {
        if (pid_ > 0 && status_ < 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0)
            ::close(out_);
    }

    // Reads output until a line matches; false at the end of the output or the limit.
    bool ReadUntil(const std::regex& line, std::smatch* match) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
        for (;;) {
            size_t end;
            while ((end = pending_.find('\n')) != std::string::npos) {
                std::string text = pending_.substr(0, end);
                pending_.erase(0, end + 1);
                lines_.push_back(text);
                if (std::regex_match(lines_.back(), *match, line))
                    return true;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd p{out_, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&p, 1, int(left.count())) <= 0)
                return false;
            char buffer[4096];
            const ssize_t got = ::read(out_, buffer, sizeof buffer);
            if (got <= 0)
                return false;
            pending_.append(buffer, size_t(got));
        }
    }
    // The exit status once the tool has ended by itself within the limit; -1 otherwise.
    int Wait() {
        for (int waited = 0; waited < kWaitMs && status_ < 0; waited += 10) {
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

// Everything the server sends for one GET on the loopback address.
std::string Fetch(int port) {
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(uint16_t(port));
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string reply;
    if (::connect(s, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0) {
        const std::string request = "GET /phone HTTP/1.0\r\nUser-Agent: TestPhone\r\n\r\n";
        ::send(s, request.data(), request.size(), MSG_NOSIGNAL);
        pollfd p{s, POLLIN, 0};
        char buffer[4096];
        ssize_t got;
        while (::poll(&p, 1, kWaitMs) > 0 && (got = ::recv(s, buffer, sizeof buffer, 0)) > 0)
            reply.append(buffer, size_t(got));
    }
    ::close(s);
    return reply;
}

// The half-block text as a PBM picture, ink dark, eight pixels a module.
void WriteQrPicture(const std::vector<std::string>& lines, const std::string& path) {
    const std::string upper = "\u2580", lower = "\u2584", both = "\u2588";
    std::vector<std::vector<int>> modules;
    for (const std::string& line : lines) {
        std::vector<int> top, bottom;
        for (size_t i = 0; i < line.size();) {
            const bool space = line[i] == ' ';
            const std::string glyph = space ? " " : line.substr(i, 3);
            top.push_back(glyph == upper || glyph == both);
            bottom.push_back(glyph == lower || glyph == both);
            i += space ? 1 : 3;
        }
        modules.push_back(top);
        modules.push_back(bottom);
    }
    constexpr int kScale = 8;
    std::ofstream pbm(path);
    pbm << "P1\n" << modules[0].size() * kScale << " " << modules.size() * kScale << "\n";
    for (const auto& row : modules)
        for (int k = 0; k < kScale; ++k) {
            for (int module : row)
                for (int j = 0; j < kScale; ++j)
                    pbm << module;
            pbm << "\n";
        }
}

class ServeCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* bin = std::getenv("MOKOA_BIN_DIR");
        tool_ = bin ? std::filesystem::path(bin) / "mokoa-convert" : std::filesystem::path();
        if (tool_.empty() || !std::filesystem::exists(tool_))
            GTEST_SKIP() << "mokoa-convert not found (MOKOA_BIN_DIR)";
        DibPtr picture = testsupport::GradientPicture(120, 90);
        ASSERT_EQ(WritePngFile(picture.get(), dir_.file("photo.png")), 1);
        std::filesystem::create_directory(dir_.file("tmp"));
        setenv("TMPDIR", dir_.file("tmp").c_str(), 1);
    }
    void TearDown() override { unsetenv("TMPDIR"); }

    std::filesystem::path tool_;
    TempDir dir_;
};

TEST_F(ServeCliTest, ServesTheConvertedBytesUnderThePrintedUrlAndQrCode) {
    const std::vector<std::string> options = {"--size", "96x130", "--format", "3"};
    std::vector<std::string> args = options;
    args.insert(args.end(), {"--serve", "0", "--serve-count", "1", "photo.png"});
    Tool serving(tool_, dir_.path(), args);
    std::smatch url;
    ASSERT_TRUE(serving.ReadUntil(std::regex(R"(http://[0-9.]+:(\d+)/)"), &url));
    const std::string address = url.str(0);
    const int port = std::stoi(url.str(1));
    const std::string reply = Fetch(port);
    std::smatch logged;
    ASSERT_TRUE(
        serving.ReadUntil(std::regex(R"(\[\d\d:\d\d:\d\d\] TestPhone \(.*\) .*)"), &logged));
    EXPECT_EQ(serving.Wait(), 0);
    EXPECT_TRUE(std::filesystem::is_empty(dir_.file("tmp"))) << "the served file was left";

    std::vector<std::string> converted = options;
    converted.insert(converted.end(), {"-o", "written.png", "photo.png"});
    Tool writing(tool_, dir_.path(), converted);
    ASSERT_EQ(writing.Wait(), 0);
    EXPECT_TRUE(reply == "HTTP/1.0 200\r\nContent-Type: image/png\r\n\r\n" +
                             ReadFileBytes(dir_.file("written.png")));

    if (!std::filesystem::exists("/usr/bin/zbarimg"))
        GTEST_SKIP() << "zbarimg (Debian package zbar-tools) is not installed";
    // The QR code: the lines between the URL and the access-log line.
    const std::vector<std::string>& lines = serving.Lines();
    const auto first = std::find(lines.begin(), lines.end(), address) + 1;
    const auto last = std::find_if(first, lines.end(),
                                   [](const std::string& line) { return line.starts_with("["); });
    ASSERT_LT(first, last);
    WriteQrPicture({first, last}, dir_.file("qr.pbm"));
    const std::string command = "/usr/bin/zbarimg --raw -q " + dir_.file("qr.pbm") + " >" +
                                dir_.file("qr.txt") + " 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(ReadFileBytes(dir_.file("qr.txt")), address + "\n");
}

TEST_F(ServeCliTest, InterruptOrTerminateStopsCleanly) {
    for (const int signal : {SIGINT, SIGTERM}) {
        Tool serving(tool_, dir_.path(),
                     {"--serve", "0", "--bind", "127.0.0.1", "-o", "kept.png", "photo.png"});
        std::smatch url;
        ASSERT_TRUE(serving.ReadUntil(std::regex(R"(http://127\.0\.0\.1:(\d+)/)"), &url));
        ASSERT_NE(Fetch(std::stoi(url.str(1))), "");
        serving.Signal(signal);
        EXPECT_EQ(serving.Wait(), 0) << signal;
        EXPECT_TRUE(std::filesystem::exists(dir_.file("kept.png"))) << "-o names a file to keep";
    }
}

TEST_F(ServeCliTest, UsageErrors) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--serve-count", "2", "photo.png"},
             {"--serve", "photo.png", "photo.png"},
             {"--serve", "--bind", "no-such-interface", "photo.png"},
             {"--serve", "70000", "photo.png"}}) {
        Tool run(tool_, dir_.path(), args);
        EXPECT_EQ(run.Wait(), 2) << args[0] << " " << args[1];
    }
}

} // namespace
