// mokoa-convert --mail against Debian's aiosmtpd on loopback: the attachment is the file -o
// writes, the login only ever goes inside TLS, and the stored account is the desktop
// program's.
#include "common/test_support.h"
#include "mail/smtp_sink_process.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <sys/wait.h>

using testsupport::ReadFileBytes;

namespace {

const char kPhoto[] = "photos/kite-2560x1600.jpg";

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

class MailCliTest : public ::testing::Test {
protected:
    struct Run {
        int status = -1;
        std::string out, err;
    };

    void SetUp() override {
        const char* bin = std::getenv("MOKOA_BIN_DIR");
        tool_ = bin ? std::filesystem::path(bin) / "mokoa-convert" : std::filesystem::path();
        if (tool_.empty() || !std::filesystem::exists(tool_))
            GTEST_SKIP() << "mokoa-convert not found (MOKOA_BIN_DIR)";
    }

    // Runs the tool in the test's folder with a home of its own and no secret service;
    // `password` goes into MOKOA_SMTP_PASSWORD unless empty.
    Run Tool(const std::vector<std::string>& args, const std::string& password = {}) {
        const std::string home = dir_.file("home");
        std::string command = "cd " + Quote(dir_.path().string()) +
                              " && env -u MOKOA_SMTP_PASSWORD HOME=" + Quote(home) +
                              " XDG_CONFIG_HOME=" + Quote(home + "/.config") +
                              " DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/bus";
        if (!password.empty())
            command += " MOKOA_SMTP_PASSWORD=" + Quote(password);
        command += " " + Quote(tool_.string());
        for (const std::string& a : args)
            command += " " + Quote(a);
        command += " >" + Quote(dir_.file(".out")) + " 2>" + Quote(dir_.file(".err"));
        const int raw = std::system(command.c_str());
        Run run;
        run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        run.out = ReadFileBytes(dir_.file(".out"));
        run.err = ReadFileBytes(dir_.file(".err"));
        return run;
    }

    std::filesystem::path tool_;
    testsupport::TempDir dir_;
};

TEST_F(MailCliTest, DeliversOverStartTlsWhatMinusOWrites) {
    MOKOA_REQUIRE_TESTDATA(photo, kPhoto);
    START_SINK_WITH(sink, {"--starttls", "--auth", "u:se cret"});
    const Run written =
        Tool({"--size", "96x130", "--format", "3", "-o", "direct.png", photo.string()});
    ASSERT_EQ(written.status, 0) << written.err;
    const std::string direct = ReadFileBytes(dir_.file("direct.png"));

    std::ofstream(dir_.file("password")) << "se cret\n";
    const struct {
        const char* name;
        std::string environment;
        std::vector<std::string> more;
    } ways[] = {{"password from the environment", "se cret", {}},
                {"password from a file", "", {"--password-file", "password"}}};
    int n = 0;
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        std::vector<std::string> args = {
            "--size",     "96x130",         "--format",  "3",
            "--mail",     "to@example.com", "--smtp",    "127.0.0.1:" + std::to_string(sink.port()),
            "--security", "starttls",       "--user",    "u",
            "--from",     "me@example.com", "--ca-file", sink.CaFile()};
        args.insert(args.end(), way.more.begin(), way.more.end());
        args.push_back(photo.string());
        const Run run = Tool(args, way.environment);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.out.find("  mailed to to@example.com\n"), std::string::npos) << run.out;
        ++n;
        EXPECT_EQ(sink.Read(n, "envelope"), "me@example.com\nto@example.com");
        EXPECT_EQ(sink.Read(n, "parts"), "text/plain\t\nimage/png\tkite-2560x1600.png");
        EXPECT_EQ(sink.Read(n, "part0"), "本文を入力してください");
        EXPECT_TRUE(sink.Read(n, "part1") == direct) << "the attachment is not what -o writes";
    }
}

TEST_F(MailCliTest, RefusedSendingsExitFour) {
    MOKOA_REQUIRE_TESTDATA(photo, kPhoto);
    const struct {
        const char* name;
        std::vector<std::string> server;
        const char* password;
        const char* reason;
    } cases[] = {
        {"no STARTTLS offered",
         {"--auth", "u:secret", "--certificates"},
         "secret",
         "does not offer STARTTLS"},
        {"wrong password", {"--starttls", "--auth", "u:secret"}, "guess", "(535 "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        START_SINK_WITH(sink, c.server);
        const Run run = Tool({"--size", "96x130", "--mail", "to@example.com", "--smtp",
                              "127.0.0.1:" + std::to_string(sink.port()), "--security", "starttls",
                              "--user", "u", "--from", "me@example.com", "--ca-file", sink.CaFile(),
                              "-o", "out.png", photo.string()},
                             c.password);
        EXPECT_EQ(run.status, 4);
        EXPECT_NE(run.err.find("out.png: not mailed: "), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(c.reason), std::string::npos) << run.err;
        // Written all the same.
        EXPECT_TRUE(std::filesystem::exists(dir_.file("out.png")));
        if (c.server.front() != "--starttls") {
            EXPECT_EQ(sink.Received().find("AUTH"), std::string::npos);
        }
    }
}

TEST_F(MailCliTest, TheDesktopProgramsAccount) {
    MOKOA_REQUIRE_TESTDATA(photo, kPhoto);
    START_SINK_WITH(sink, {"--tls", "--auth", "taro:pw"});
    const std::filesystem::path folder = dir_.path() / "home/.config/NAVA";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "モコア.ini")
        << "[EMAIL]\nFROM=me@example.com\nSMTP=127.0.0.1\nPORT=" << sink.port()
        << "\nSECURITY=tls\nUSER=taro\nPASS=pw\nBODY=壁紙です\n";
    const Run run = Tool({"--mail", "phone@example.com", "--ca-file", sink.CaFile(), "-o",
                          "wall.png", photo.string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(sink.Read(1, "envelope"), "me@example.com\nphone@example.com");
    EXPECT_EQ(sink.Read(1, "part0"), "壁紙です");

    // Without a stored account the server must be named.
    std::filesystem::remove_all(dir_.path() / "home");
    const Run none = Tool({"--mail", "phone@example.com", "-o", "wall.png", photo.string()});
    EXPECT_EQ(none.status, 2);
    EXPECT_NE(none.err.find("no SMTP server"), std::string::npos) << none.err;
    EXPECT_FALSE(std::filesystem::exists(dir_.path() / "home/.config/NAVA"))
        << "the command line never creates the settings file";
}

} // namespace
