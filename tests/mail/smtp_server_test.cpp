// Whole mails delivered to a real SMTP server (Debian's aiosmtpd on loopback) and taken apart
// by Python's email package on the other side.
#include "common/test_support.h"
#include "loopback.h"

#include "mail/mime_mail.h"
#include "mail/smtp_client.h"
#include "mail/wire_text.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using namespace mailtest;
using namespace std::chrono_literals;

namespace {

// Debian's interpreter: another python3 earlier on PATH may lack Debian's packages.
constexpr const char* kPython = "/usr/bin/python3";

// The sink script as a child process, stopped by closing its input.
class SmtpSink {
public:
    ~SmtpSink() { Stop(); }

    // Empty on success, else why the sink could not be had.
    std::string Start() {
        const char* script = std::getenv("MOKOA_SMTP_SINK");
        if (!script || access(script, R_OK) != 0)
            return "MOKOA_SMTP_SINK does not name the sink script";
        if (access(kPython, X_OK) != 0)
            return std::string(kPython) + " is not installed";
        int in[2], out[2];
        if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0)
            return "no pipes";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        const std::string folder = dir_.path().string();
        char* argv[] = {const_cast<char*>(kPython), const_cast<char*>(script),
                        const_cast<char*>(folder.c_str()), nullptr};
        const int rc = posix_spawn(&pid_, kPython, &actions, nullptr, argv, environ);
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

    int port() const { return port_; }
    // A file the sink wrote for message n.
    std::string Read(int n, const std::string& name) const {
        return testsupport::ReadFileBytes(dir_.path() / ("msg" + std::to_string(n)) / name);
    }

private:
    void Stop() {
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

    testsupport::TempDir dir_;
    pid_t pid_ = -1;
    Fd input_, output_;
    int port_ = 0;
};

#define START_SINK(sink)                                                                           \
    SmtpSink sink;                                                                                 \
    if (const std::string why = sink.Start(); !why.empty()) {                                      \
        if (why.rfind("SKIP ", 0) == 0)                                                            \
            GTEST_SKIP() << why.substr(5);                                                         \
        if (why.find("is not installed") != std::string::npos)                                     \
            GTEST_SKIP() << why;                                                                   \
        FAIL() << why;                                                                             \
    }

std::string Unix(std::string text) {
    for (size_t at; (at = text.find("\r\n")) != std::string::npos;)
        text.replace(at, 2, "\n");
    return text;
}

TEST(SmtpServer, ImageMailArrivesIntact) {
    START_SINK(sink);
    testsupport::TempDir dir;
    std::string image(30000, '\0');
    for (size_t i = 0; i < image.size(); ++i)
        image[i] = char((i * 7919 + (i >> 5)) & 0xFF);
    const std::string path = dir.file("写真.png");
    testsupport::WriteFileBytes(path, image);

    CMimeMail mail;
    mail.from = "sender@example.com";
    mail.subject = ImageMailSubject();
    mail.body = "本文を入力してください\n２行目～①\n.\n.dot\n絵文字\xF0\x9F\x98\x80\n";
    ASSERT_TRUE(mail.AddRecipients("太郎<taro@example.com>;hanako@example.com", RECIPIENT_TO));
    mail.AddRecipient("cc@example.com", "", RECIPIENT_CC);
    mail.AddRecipient("bcc@example.com", "", RECIPIENT_BCC);
    ASSERT_TRUE(mail.AddPart(path, *AttachmentPartType(path), ""));

    const SmtpDelivery d = DeliverMail("127.0.0.1", sink.port(), mail, 20s);
    ASSERT_EQ(d.outcome, SmtpOutcome::Sent) << d.errorText;

    EXPECT_EQ(sink.Read(1, "envelope"), "sender@example.com\ntaro@example.com\nhanako@example.com\n"
                                        "cc@example.com\nbcc@example.com");
    EXPECT_EQ(sink.Read(1, "subject"), "モコア　画像添付メール");
    EXPECT_EQ(sink.Read(1, "to"), "太郎<taro@example.com>,<hanako@example.com>");
    EXPECT_EQ(sink.Read(1, "parts"), "text/plain\t\nimage/png\t写真.png");
    EXPECT_EQ(Unix(sink.Read(1, "part0")), "本文を入力してください\n２行目～①\n.\n.dot\n絵文字?");
    EXPECT_TRUE(sink.Read(1, "part1") == image) << "attachment bytes differ";
    EXPECT_EQ(sink.Read(1, "defects"), "0");
    EXPECT_EQ(sink.Read(1, "raw").find("bcc@"), std::string::npos);
}

TEST(SmtpServer, TextMailArrivesIntact) {
    START_SINK(sink);
    CMimeMail mail;
    mail.from = "server@example.com";
    mail.subject = ImageMailSubject();
    const std::string text = "携帯で次のアドレスを開いてください。\nhttp://192.168.0.2:8080/\n" +
                             std::string(60, 'w') + " " + std::string(30, 'v');
    mail.body = text;
    mail.AddRecipients("phone@example.com", RECIPIENT_TO);

    CSmtpClient client("127.0.0.1", sink.port());
    client.SetTimeout(20s);
    ASSERT_TRUE(client.Connect()) << client.LastErrorText();
    EXPECT_TRUE(client.SendMail(mail)) << client.LastErrorText();
    EXPECT_TRUE(client.Disconnect()) << client.LastErrorText();

    EXPECT_EQ(sink.Read(1, "parts"), "text/plain\t");
    EXPECT_EQ(Unix(sink.Read(1, "part0")),
              "携帯で次のアドレスを開いてください。\nhttp://192.168.0.2:8080/\n" +
                  std::string(60, 'w') + "\n" + std::string(30, 'v'));
    EXPECT_EQ(sink.Read(1, "subject"), "モコア　画像添付メール");
    EXPECT_EQ(sink.Read(1, "defects"), "0");
}

} // namespace
