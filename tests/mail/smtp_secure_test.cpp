// Secured sendings against Debian's aiosmtpd on loopback, with a certificate authority made
// for the run: each kind of security, and every refusal that must stop before the password
// leaves.
#include "smtp_sink_process.h"

#include "mail/mime_mail.h"
#include "mail/smtp_client.h"

#include <gtest/gtest.h>

using namespace mailtest;
using namespace std::chrono_literals;

namespace {

constexpr const char* kUser = "taro";
constexpr const char* kPassword = "pa55-w0rd";

CMimeMail TestMail() {
    CMimeMail mail;
    mail.from = "me@example.com";
    mail.subject = "secure";
    mail.body = "本文です";
    mail.AddRecipients("phone@example.com", RECIPIENT_TO);
    return mail;
}

SmtpSettings Settings(const SmtpSink& sink, SmtpSecurity security, bool withCa = true) {
    SmtpSettings s;
    s.host = "127.0.0.1";
    s.port = sink.port();
    s.security = security;
    s.user = kUser;
    s.password = kPassword;
    s.caFile = withCa ? sink.CaFile() : std::string();
    s.timeout = 20s;
    return s;
}

// Where the credentials first appear in what the server received (npos: nowhere).
size_t FirstLogin(const std::string& received) {
    return std::min(received.find("AUTH"), received.find("dGFybw")); // "taro" in base64
}

TEST(SecureSending, EachSecurityDelivers) {
    const struct {
        const char* name;
        std::vector<std::string> options;
        SmtpSecurity security;
    } cases[] = {
        {"STARTTLS, AUTH PLAIN",
         {"--starttls", "--auth", "taro:pa55-w0rd"},
         SmtpSecurity::StartTls},
        {"STARTTLS, AUTH LOGIN",
         {"--starttls", "--auth", "taro:pa55-w0rd", "--login-only"},
         SmtpSecurity::StartTls},
        {"TLS from the first byte", {"--tls", "--auth", "taro:pa55-w0rd"}, SmtpSecurity::Tls},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        START_SINK_WITH(sink, c.options);
        CMimeMail mail = TestMail();
        const SmtpDelivery d = DeliverMail(Settings(sink, c.security), mail);
        ASSERT_EQ(d.outcome, SmtpOutcome::Sent) << d.errorText;
        EXPECT_EQ(sink.Read(1, "envelope"), "me@example.com\nphone@example.com");
        EXPECT_EQ(sink.Read(1, "part0"), "本文です");
        EXPECT_EQ(sink.Read(1, "charset"), "Shift_JIS");
        if (c.security == SmtpSecurity::StartTls) {
            // Nothing of the login before the handshake.
            const std::string received = sink.Received();
            ASSERT_NE(received.find("STARTTLS\r\n"), std::string::npos);
            EXPECT_GT(FirstLogin(received), received.find("STARTTLS\r\n"));
        }
    }
}

TEST(SecureSending, RefusalsStopBeforeThePasswordLeaves) {
    const struct {
        const char* name;
        std::vector<std::string> options;
        SmtpSecurity security;
        std::string password;
        bool withCa;
        const char* text;
        bool loginSeen; // whether the server may see the credentials at all
    } cases[] = {
        {"wrong password",
         {"--starttls", "--auth", "taro:pa55-w0rd"},
         SmtpSecurity::StartTls,
         "wrong",
         true,
         "The server refused the user name or password (535",
         true},
        {"certificate for another host",
         {"--starttls", "--auth", "taro:pa55-w0rd", "--cert-name", "DNS:mail.example.org"},
         SmtpSecurity::StartTls,
         kPassword,
         true,
         "The server's certificate was not accepted: IP address mismatch",
         false},
        {"authority not trusted",
         {"--tls", "--auth", "taro:pa55-w0rd"},
         SmtpSecurity::Tls,
         kPassword,
         false,
         "The server's certificate was not accepted: unable to get local issuer certificate",
         false},
        // AUTH is offered in the clear, and must not be taken up.
        {"no STARTTLS offered",
         {"--auth", "taro:pa55-w0rd"},
         SmtpSecurity::StartTls,
         kPassword,
         true,
         "The server does not offer STARTTLS",
         false},
        {"login without security",
         {"--auth", "taro:pa55-w0rd"},
         SmtpSecurity::None,
         kPassword,
         true,
         "A user name needs a secure connection",
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        START_SINK_WITH(sink, c.options);
        SmtpSettings settings = Settings(sink, c.security, c.withCa);
        settings.password = c.password;
        CMimeMail mail = TestMail();
        const SmtpDelivery d = DeliverMail(settings, mail);
        EXPECT_EQ(d.outcome, SmtpOutcome::SetupFailed);
        EXPECT_EQ(d.errorText.rfind(c.text, 0), 0u) << d.errorText;
        const std::string received = sink.Received();
        if (!c.loginSeen) {
            EXPECT_EQ(FirstLogin(received), std::string::npos) << received;
        }
        EXPECT_EQ(received.find("MAIL"), std::string::npos);
        EXPECT_EQ(received.find(c.password), std::string::npos);
    }
}

} // namespace
