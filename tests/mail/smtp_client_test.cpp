// The client against a scripted server on loopback: the failure paths, the exact dialogue
// and peers that misbehave.
#include "loopback.h"

#include "mail/mime_mail.h"
#include "mail/smtp_client.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <functional>
#include <future>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <vector>

using namespace mailtest;
using namespace std::chrono_literals;

namespace {

// Answers one connection from a script. Two answers are not replies: silence (the server
// then waits for the client to give up) and a hang-up. A reply is sent in pieces where it
// holds kPause.
const std::string kSilence;
const std::string kHangUp = "<hang up>";
constexpr char kPause = '\x01';

struct Script {
    std::string greeting = "220 scripted ready\r\n";
    std::string helo = "250 hello\r\n";
    std::string mail = "250 sender ok\r\n";
    std::function<std::string(const std::string& line)> rcpt = [](const std::string&) {
        return std::string("250 recipient ok\r\n");
    };
    std::string data = "354 go ahead\r\n";
    std::string dataEnd = "250 queued\r\n";
    std::string quit = "221 bye\r\n";
    bool hangUpAfterData = false; // close instead of reading the message
};

class ScriptedServer {
public:
    explicit ScriptedServer(Script script) : script_(std::move(script)) {
        listener_ = BoundSocket(4, port_);
        thread_ = std::thread([this] { Serve(); });
    }
    ~ScriptedServer() { Finish(); }

    int port() const { return port_; }
    // Waits for the conversation to end; then the records may be read.
    void Finish() {
        if (thread_.joinable())
            thread_.join();
    }
    // The command lines received, without their CR LF.
    const std::vector<std::string>& commands() const { return commands_; }
    // The message as sent after DATA, with its terminating line.
    const std::string& data() const { return data_; }

private:
    bool Answer(int fd, const std::string& reply) {
        if (reply == kSilence) {
            DrainUntilClosed(fd);
            return false;
        }
        if (reply == kHangUp)
            return false;
        size_t start = 0;
        for (size_t pause; (pause = reply.find(kPause, start)) != std::string::npos;
             start = pause + 1) {
            if (!SendAll(fd, reply.substr(start, pause - start)))
                return false;
            std::this_thread::sleep_for(10ms); // the client reads what is there meanwhile
        }
        return SendAll(fd, reply.substr(start));
    }

    void Serve() {
        Fd client = AcceptOne(listener_.get());
        if (!client || !Answer(client.get(), script_.greeting))
            return;
        for (;;) {
            std::string line;
            if (!ReadUntil(client.get(), "\r\n", line))
                return;
            line.resize(line.size() - 2);
            commands_.push_back(line);
            const std::string verb = line.substr(0, 4);
            std::string reply = "500 unknown\r\n";
            if (verb == "HELO")
                reply = script_.helo;
            else if (verb == "MAIL")
                reply = script_.mail;
            else if (verb == "RCPT")
                reply = script_.rcpt(line);
            else if (verb == "QUIT")
                reply = script_.quit;
            else if (verb == "DATA")
                reply = script_.data;
            if (!Answer(client.get(), reply))
                return;
            if (verb == "QUIT")
                return;
            if (verb == "DATA" && reply.compare(0, 3, "354") == 0) {
                if (script_.hangUpAfterData)
                    return;
                if (!ReadUntil(client.get(), "\r\n.\r\n", data_) ||
                    !Answer(client.get(), script_.dataEnd))
                    return;
            }
        }
    }

    Script script_;
    Fd listener_;
    int port_ = 0;
    std::thread thread_;
    std::vector<std::string> commands_;
    std::string data_;
};

CMimeMail TextMail(std::string body = "hello") {
    CMimeMail mail;
    mail.from = "me@example.com";
    mail.subject = "test";
    mail.body = std::move(body);
    mail.AddRecipients("to@example.com", RECIPIENT_TO);
    return mail;
}

// Runs a whole exchange against the script and returns the client's three results.
struct Exchange {
    bool connected = false;
    bool sent = false;
    bool disconnected = false;
    std::string connectError, sendError, disconnectError;
};

Exchange RunExchange(ScriptedServer& server, CPlainMail& mail,
                     std::chrono::milliseconds wait = 5s) {
    Exchange e;
    CSmtpClient client("127.0.0.1", server.port());
    client.SetTimeout(wait);
    e.connected = client.Connect();
    e.connectError = client.LastErrorText();
    if (e.connected) {
        e.sent = client.SendMail(mail);
        e.sendError = client.LastErrorText();
        e.disconnected = client.Disconnect();
        e.disconnectError = client.LastErrorText();
    }
    client.Disconnect();
    server.Finish();
    return e;
}

TEST(SmtpDialogue, SendsEnvelopeAndStuffedDataInOrder) {
    ScriptedServer server{Script{}};
    CMimeMail mail = TextMail(".\r\n.hidden line\r\nplain . line");
    mail.AddRecipients("Cc One<cc@example.com>", RECIPIENT_CC);
    mail.AddRecipients("secret@example.com", RECIPIENT_BCC);
    mail.AddRecipients("second@example.com", RECIPIENT_TO);

    const Exchange e = RunExchange(server, mail);
    EXPECT_TRUE(e.connected);
    EXPECT_TRUE(e.sent) << e.sendError;
    EXPECT_TRUE(e.disconnected);
    EXPECT_EQ(e.disconnectError, "OK");

    const std::vector<std::string>& c = server.commands();
    ASSERT_EQ(c.size(), 8u);
    EXPECT_EQ(c[0].substr(0, 5), "HELO ");
    EXPECT_GT(c[0].size(), 5u);
    EXPECT_EQ(c[1], "MAIL From: <me@example.com>");
    EXPECT_EQ(c[2], "RCPT TO: <to@example.com>");
    EXPECT_EQ(c[3], "RCPT TO: <second@example.com>");
    EXPECT_EQ(c[4], "RCPT TO: <cc@example.com>");
    EXPECT_EQ(c[5], "RCPT TO: <secret@example.com>");
    EXPECT_EQ(c[6], "DATA");
    EXPECT_EQ(c[7], "QUIT");

    const std::string& data = server.data();
    EXPECT_EQ(data.substr(0, mail.header.size()), mail.header);
    EXPECT_EQ(data.find("secret@example.com"), std::string::npos);
    EXPECT_NE(data.find("\r\n..\r\n..hidden line\r\nplain . line\r\n"), std::string::npos);
    // The composed body ends with CR LF, so an empty line precedes the final period.
    EXPECT_EQ(data.substr(data.size() - 9), "--\r\n\r\n.\r\n");
}

TEST(SmtpDialogue, RepliesInPiecesAndOverSeveralLines) {
    Script s;
    s.greeting = std::string("220-mail.example ESMTP\r\n") + kPause + "220 ready\r\n";
    s.helo = std::string("25") + kPause + "0 hello\r\n";
    s.mail = std::string("250") + kPause + " sender ok\r\n";
    s.rcpt = [](const std::string&) {
        std::string reply;
        for (const char c : std::string("250-first\r\n250 recipient ok\r\n"))
            reply += std::string(1, c) + kPause;
        return reply;
    };
    s.dataEnd = std::string("250 queued") + kPause + "\r\n";
    ScriptedServer server(s);
    CMimeMail mail = TextMail();
    const Exchange e = RunExchange(server, mail);
    EXPECT_TRUE(e.connected) << e.connectError;
    EXPECT_TRUE(e.sent) << e.sendError;
    EXPECT_TRUE(e.disconnected) << e.disconnectError;
    EXPECT_EQ(e.disconnectError, "OK");
}

TEST(SmtpDialogue, ConnectFailures) {
    struct Case {
        const char* what;
        std::string greeting;
        std::string helo;
        const char* error;
    };
    const std::string ready = "220 scripted ready\r\n";
    const Case cases[] = {
        {"greeting 421", "421 too busy\r\n", "250 hello\r\n", "Server didn't respond."},
        {"HELO refused", ready, "501 who are you\r\n", "501:SMTP server error"},
        {"greeting not a reply", "hello there\r\n", "250 hello\r\n", "Server didn't respond."},
        // A reply cut short is judged by what came once the wait runs out.
        {"greeting cut short", "22", kSilence, "Server didn't respond."},
        {"greeting never comes", kSilence, kSilence, "Server didn't respond."},
        {"hang-up instead of greeting", kHangUp, kSilence, "Server didn't respond."},
        {"HELO never answered", ready, kSilence, "Socket Error"},
        {"hang-up after HELO", ready, kHangUp, "Socket Error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Script script;
        script.greeting = c.greeting;
        script.helo = c.helo;
        ScriptedServer server(script);
        CMimeMail mail = TextMail();
        const Exchange e = RunExchange(server, mail, 300ms);
        EXPECT_FALSE(e.connected);
        EXPECT_EQ(e.connectError, c.error);
    }
}

TEST(SmtpDialogue, ConnectionRefusedOrUnreachable) {
    int port = 0;
    Fd notListening = BoundSocket(-1, port);
    CSmtpClient refused("127.0.0.1", port);
    EXPECT_FALSE(refused.Connect());
    EXPECT_EQ(refused.LastErrorText(), "Unable to connect to server");
    EXPECT_FALSE(refused.IsConnected());
    // Failing again from the same object works the same way.
    EXPECT_FALSE(refused.Connect());
    EXPECT_EQ(refused.LastErrorText(), "Unable to connect to server");

    for (const auto& [server, p] :
         {std::pair<std::string, int>{"", 25}, {"127.0.0.1", 0}, {"127.0.0.1", 70000}}) {
        CSmtpClient client(server, p);
        EXPECT_FALSE(client.Connect()) << server << ":" << p;
        EXPECT_EQ(client.LastErrorText(), "Unable to connect to server");
    }
}

TEST(SmtpDialogue, ConnectWaitIsBounded) {
    // A listener whose queue is full drops further connection requests unanswered.
    int port = 0;
    Fd listener = BoundSocket(0, port);
    std::vector<Fd> fillers;
    for (int i = 0; i < 8; ++i) {
        Fd filler(socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(uint16_t(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connect(filler.get(), reinterpret_cast<sockaddr*>(&address), sizeof address);
        const bool completed = WaitReady(filler.get(), true, 200ms);
        fillers.push_back(std::move(filler));
        if (!completed)
            break;
    }
    CSmtpClient client("127.0.0.1", port);
    client.SetTimeout(300ms);
    EXPECT_FALSE(client.Connect());
    EXPECT_EQ(client.LastErrorText(), "Unable to connect to server");
}

// Peers that would keep a careless client for ever: one that never stops talking, one that
// stops reading in the middle of the message. Each server holds on far longer than the
// client's wait and notes whether the client let go first.
TEST(SmtpDialogue, PeersThatNeverLetGoAreLeftWithinTheWait) {
    {
        int port = 0;
        Fd listener = BoundSocket(1, port);
        bool clientLetGo = false;
        std::thread server([&] {
            Fd client = AcceptOne(listener.get());
            const auto giveUp = std::chrono::steady_clock::now() + kServerWait;
            while (client && std::chrono::steady_clock::now() < giveUp) {
                if (!SendAll(client.get(), "220-still greeting\r\n")) {
                    clientLetGo = true;
                    break;
                }
            }
        });
        CSmtpClient smtp("127.0.0.1", port);
        smtp.SetTimeout(300ms);
        // The greeting's code may pass; what follows it cannot be the answer to HELO.
        EXPECT_FALSE(smtp.Connect());
        server.join();
        EXPECT_TRUE(clientLetGo) << "the client read the endless greeting until the server quit";
    }
    {
        int port = 0;
        Fd listener = BoundSocket(1, port);
        // A small window, so that the unread message soon fills it.
        const int window = 4096;
        setsockopt(listener.get(), SOL_SOCKET, SO_RCVBUF, &window, sizeof window);
        std::promise<void> clientDone;
        bool clientLetGo = false;
        std::thread server([&] {
            Fd client = AcceptOne(listener.get());
            if (!client || !SendAll(client.get(), "220 ready\r\n"))
                return;
            for (const char* reply : {"250 hello\r\n", "250 ok\r\n", "250 ok\r\n", "354 go\r\n"}) {
                std::string line;
                if (!ReadUntil(client.get(), "\r\n", line) || !SendAll(client.get(), reply))
                    return;
            }
            // Reads nothing more and keeps the connection open.
            clientLetGo =
                clientDone.get_future().wait_for(kServerWait) == std::future_status::ready;
        });
        CSmtpClient smtp("127.0.0.1", port);
        smtp.SetTimeout(300ms);
        ASSERT_TRUE(smtp.Connect());
        CMimeMail mail = TextMail(std::string(16 << 20, 'x'));
        EXPECT_FALSE(smtp.SendMail(mail));
        EXPECT_EQ(smtp.LastErrorText(), "Socket Error");
        smtp.Disconnect();
        clientDone.set_value();
        server.join();
        EXPECT_TRUE(clientLetGo) << "the client's send waited until the server quit";
    }
}

TEST(SmtpDialogue, SendFailures) {
    struct Case {
        const char* what;
        Script script;
        bool sent;
        const char* error;
    };
    std::vector<Case> cases;
    {
        Script s;
        s.rcpt = [](const std::string& line) {
            return std::string(line.find("bad@") != std::string::npos ? "550 no such user\r\n"
                                                                      : "250 ok\r\n");
        };
        cases.push_back({"refused recipient goes on", s, true, "550:SMTP server error"});
    }
    {
        Script s;
        s.data = "503 bad sequence\r\n";
        cases.push_back({"DATA refused", s, false, "503:SMTP server not ready for data"});
    }
    {
        Script s;
        s.mail = "550 not you\r\n";
        cases.push_back({"sender refused", s, false, "550:SMTP server error"});
    }
    {
        Script s;
        s.dataEnd = "554 rejected\r\n";
        cases.push_back({"message refused", s, false, "554:SMTP server error"});
    }
    {
        Script s;
        s.dataEnd = kSilence;
        cases.push_back({"message never acknowledged", s, false, "Socket Error"});
    }
    {
        Script s;
        s.hangUpAfterData = true;
        cases.push_back({"hang-up while the message goes out", s, false, "Socket Error"});
    }
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedServer server(c.script);
        CMimeMail mail = TextMail(std::string(100000, 'x'));
        mail.AddRecipients("bad@example.com;third@example.com", RECIPIENT_TO);
        const Exchange e = RunExchange(server, mail, 300ms);
        EXPECT_TRUE(e.connected);
        EXPECT_EQ(e.sent, c.sent);
        EXPECT_EQ(e.sendError, c.error);
        if (c.sent) {
            // The recipient after the refused one was still offered.
            ASSERT_GE(server.commands().size(), 6u);
            EXPECT_EQ(server.commands()[4], "RCPT TO: <third@example.com>");
            EXPECT_EQ(server.commands()[5], "DATA");
        }
        if (std::string(c.what) == "sender refused") {
            ASSERT_EQ(server.commands().size(), 3u);
            EXPECT_EQ(server.commands()[2], "QUIT");
        }
    }
}

TEST(SmtpDialogue, SendMailNeedsConnectionAndRecipient) {
    CMimeMail mail = TextMail();
    CSmtpClient offline("127.0.0.1", 25);
    EXPECT_FALSE(offline.SendMail(mail));
    EXPECT_EQ(offline.LastErrorText(), "Must be connected");
    EXPECT_TRUE(mail.header.empty()) << "nothing formatted, nothing sent";
    EXPECT_TRUE(offline.Disconnect());

    ScriptedServer server{Script{}};
    CMimeMail nobody;
    nobody.from = "me@example.com";
    nobody.AddRecipients("cc@example.com", RECIPIENT_CC);
    const Exchange e = RunExchange(server, nobody);
    EXPECT_FALSE(e.sent);
    EXPECT_EQ(e.sendError, "No Recipients");
    EXPECT_TRUE(e.disconnected);
    ASSERT_EQ(server.commands().size(), 2u);
    EXPECT_EQ(server.commands()[1], "QUIT");
}

TEST(SmtpDialogue, DisconnectJudgesQuitReply) {
    {
        Script s;
        s.quit = "250 not leaving\r\n";
        ScriptedServer server(s);
        CMimeMail mail = TextMail();
        const Exchange e = RunExchange(server, mail);
        EXPECT_TRUE(e.sent);
        EXPECT_FALSE(e.disconnected);
        EXPECT_EQ(e.disconnectError, "250:SMTP server didn't terminate session");
    }
    {
        // Longer than the reply buffer: only the code counts.
        Script s;
        s.quit = "221 " + std::string(5000, 'z') + "\r\n";
        ScriptedServer server(s);
        CSmtpClient client("127.0.0.1", server.port());
        ASSERT_TRUE(client.Connect());
        EXPECT_TRUE(client.Disconnect());
        EXPECT_FALSE(client.IsConnected());
        EXPECT_TRUE(client.Disconnect()) << "a second disconnect has nothing to do";
    }
}

TEST(SmtpDialogue, CallerTextCannotAddCommands) {
    ScriptedServer server{Script{}};
    CMimeMail mail = TextMail("body");
    mail.from = "me@example.com\r\n.\r\nRSET";
    mail.AddRecipient("x@example.com\r\nRSET", "", RECIPIENT_CC);
    const Exchange e = RunExchange(server, mail);
    EXPECT_TRUE(e.sent) << e.sendError;
    for (const std::string& c : server.commands())
        EXPECT_NE(c, "RSET");
    EXPECT_EQ(server.commands()[1], "MAIL From: <me@example.com.RSET>");
    EXPECT_EQ(server.commands()[3], "RCPT TO: <x@example.comRSET>");
    EXPECT_NE(server.data().find("\r\n..\r\nRSET\r\n"), std::string::npos);
}

TEST(SmtpDialogue, DeliverMailReportsEachOutcome) {
    {
        ScriptedServer server{Script{}};
        CMimeMail mail = TextMail();
        const SmtpDelivery d = DeliverMail("127.0.0.1", server.port(), mail, 5s);
        EXPECT_EQ(d.outcome, SmtpOutcome::Sent);
        EXPECT_EQ(d.errorText, "OK");
    }
    {
        Script s;
        s.data = "451 later\r\n";
        ScriptedServer server(s);
        CMimeMail mail = TextMail();
        const SmtpDelivery d = DeliverMail("127.0.0.1", server.port(), mail, 5s);
        EXPECT_EQ(d.outcome, SmtpOutcome::SendFailed);
        EXPECT_EQ(d.errorText, "451:SMTP server not ready for data");
        ASSERT_FALSE(server.commands().empty());
        EXPECT_EQ(server.commands().back(), "QUIT");
    }
    {
        int port = 0;
        Fd notListening = BoundSocket(-1, port);
        CMimeMail mail = TextMail();
        const SmtpDelivery d = DeliverMail("127.0.0.1", port, mail, 5s);
        EXPECT_EQ(d.outcome, SmtpOutcome::ConnectFailed);
        EXPECT_EQ(d.errorText, "Unable to connect to server");
    }
}

// Neither a silent server nor one that answers each reply just within the wait may hold a
// sending: a cancel ends it at once, and the whole sending has its own bound.
TEST(SmtpDialogue, CancelAndTheBoundOfTheWholeSending) {
    {
        Script s;
        s.greeting = kSilence;
        ScriptedServer server(s);
        std::atomic<bool> cancel{false};
        SmtpSettings settings;
        settings.host = "127.0.0.1";
        settings.port = server.port();
        CMimeMail mail = TextMail();
        auto sending =
            std::async(std::launch::async, [&] { return DeliverMail(settings, mail, &cancel); });
        EXPECT_EQ(sending.wait_for(200ms), std::future_status::timeout);
        cancel = true;
        ASSERT_EQ(sending.wait_for(5s), std::future_status::ready) << "the cancel was not seen";
        const SmtpDelivery d = sending.get();
        EXPECT_EQ(d.outcome, SmtpOutcome::Cancelled);
        EXPECT_EQ(d.errorText, "Cancelled");
    }
    {
        // Each reply takes 200 ms or more, well within the wait for it; five do not fit.
        const std::string slow(20, kPause);
        Script s;
        s.greeting = slow + s.greeting;
        s.helo = slow + s.helo;
        s.mail = slow + s.mail;
        s.data = slow + s.data;
        s.dataEnd = slow + s.dataEnd;
        ScriptedServer server(s);
        SmtpSettings settings;
        settings.host = "127.0.0.1";
        settings.port = server.port();
        settings.timeout = 5s;
        settings.limit = 700ms;
        CMimeMail mail = TextMail();
        const SmtpDelivery d = DeliverMail(settings, mail);
        EXPECT_NE(d.outcome, SmtpOutcome::Sent);
        EXPECT_EQ(d.errorText, "Socket Error");
    }
}

} // namespace
