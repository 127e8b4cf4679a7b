// Whole mails delivered to a real SMTP server (Debian's aiosmtpd on loopback) and taken apart
// by Python's email package on the other side.
#include "common/test_support.h"
#include "smtp_sink_process.h"

#include "mail/mime_mail.h"
#include "mail/smtp_client.h"
#include "mail/wire_text.h"

#include <gtest/gtest.h>

using namespace mailtest;
using namespace std::chrono_literals;

namespace {

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
