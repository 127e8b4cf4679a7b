// The message composer: recipients, header lines, the multipart body, wrapping, base64 and
// the conversion of program text for the wire.
#include "common/test_support.h"

#include "mail/base64_coder.h"
#include "mail/mime_mail.h"
#include "mail/part_handler_registry.h"
#include "mail/wire_text.h"

#include <gtest/gtest.h>

#include <regex>
#include <thread>
#include <vector>

namespace {

// Splits at CR LF; the text must end with CR LF and hold no other line break.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()) << "text does not end with CR LF";
    for (const std::string& line : lines)
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "bare line break in " << line;
    return lines;
}

std::string Bytes(size_t n, unsigned seed = 7) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i)
        s[i] = char((i * 131 + seed * 17 + (i >> 3)) & 0xFF);
    return s;
}

std::string Base64(const std::string& bytes) {
    CBase64Coder coder;
    return coder.Encode(bytes.data(), bytes.size());
}

TEST(Base64Coder, EncodesStandardBase64) {
    const std::pair<const char*, const char*> vectors[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
    };
    for (const auto& [plain, coded] : vectors)
        EXPECT_EQ(Base64(plain), coded) << plain;
    EXPECT_EQ(Base64(std::string("\xFF\xFE\x00\x80", 4)), "//4AgA==");

    // The coder is reused: no state may leak from one text into the next.
    CBase64Coder coder;
    const std::string all = Bytes(256);
    const std::string once = coder.Encode(all.data(), all.size());
    EXPECT_EQ(coder.Encode("f", 1), "Zg==");
    EXPECT_EQ(coder.Encode(all.data(), all.size()), once);
    std::string back;
    EXPECT_EQ(coder.Decode(once.substr(0, 100) + "\r\n" + once.substr(100), back), 256u);
    EXPECT_EQ(back, all);
}

TEST(Recipients, SplitAtSemicolons) {
    CPlainMail mail;
    EXPECT_TRUE(mail.AddRecipients("a@x;Name<b@x>", RECIPIENT_TO));
    EXPECT_TRUE(mail.AddRecipients("c@x;", RECIPIENT_CC));
    EXPECT_TRUE(mail.AddRecipients("", RECIPIENT_BCC));
    EXPECT_TRUE(mail.AddRecipients(" Sp ace <d@x> tail", RECIPIENT_BCC));

    auto get = [&](size_t i, RecipientKind kind) {
        std::string address = "unset", name = "unset";
        EXPECT_TRUE(mail.GetRecipient(i, kind, address, name));
        return address + "|" + name;
    };
    ASSERT_EQ(mail.RecipientCount(RECIPIENT_TO), 2u);
    EXPECT_EQ(get(0, RECIPIENT_TO), "a@x|");
    EXPECT_EQ(get(1, RECIPIENT_TO), "b@x|Name");
    ASSERT_EQ(mail.RecipientCount(RECIPIENT_CC), 2u);
    EXPECT_EQ(get(1, RECIPIENT_CC), "|");
    ASSERT_EQ(mail.RecipientCount(RECIPIENT_BCC), 2u);
    EXPECT_EQ(get(0, RECIPIENT_BCC), "|");
    EXPECT_EQ(get(1, RECIPIENT_BCC), "d@x| Sp ace ");

    std::string address, name;
    EXPECT_FALSE(mail.GetRecipient(2, RECIPIENT_TO, address, name));
    EXPECT_FALSE(mail.GetRecipient(0, RecipientKind(3), address, name));
    EXPECT_FALSE(mail.AddRecipient("e@x", "", RecipientKind(-1)));
}

TEST(Recipients, MalformedPieceStopsButKeepsEarlierOnes) {
    for (const char* text : {"a@x;N<b@x", "a@x;>b@x<", "a@x;N>b<c@x>"}) {
        CPlainMail mail;
        EXPECT_FALSE(mail.AddRecipients(std::string(text) + ";later@x", RECIPIENT_TO)) << text;
        EXPECT_EQ(mail.RecipientCount(RECIPIENT_TO), 1u) << text;
    }
}

TEST(MailHeader, LinesInOrder) {
    CMimeMail mail;
    mail.from = "me@example.com";
    mail.subject = ImageMailSubject();
    mail.AddRecipients("N<A@x>;B@x", RECIPIENT_TO);
    mail.AddRecipients("hidden@x", RECIPIENT_BCC);
    mail.FormatMessage();

    const std::vector<std::string> h = Lines(mail.header);
    ASSERT_EQ(h.size(), 9u);
    EXPECT_EQ(h[0], "From: me@example.com");
    EXPECT_EQ(h[1], "To: N<A@x>,<B@x>");
    EXPECT_EQ(h[2], "Cc: ");
    EXPECT_TRUE(std::regex_match(
        h[3], std::regex("Date: (Mon|Tue|Wed|Thu|Fri|Sat|Sun), [0-3][0-9] "
                         "(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) [0-9]{2} "
                         "[0-2][0-9]:[0-5][0-9]:[0-6][0-9] .*")))
        << h[3];
    EXPECT_NE(mail.date, 0);
    EXPECT_EQ(h[4], "Subject: =?iso-2022-jp?B?GyRCJWIlMyUiISEyaEF8RTpJVSVhITwlaxsoQg==?=");
    EXPECT_EQ(h[5], "X-Mailer: MOKOA 0.82B");
    EXPECT_EQ(h[6], "MIME-Version: 1.0");
    EXPECT_EQ(h[7], "Content-Type: multipart/mixed; boundary=\"-abcdefg\"");
    EXPECT_EQ(h[8], "");
    EXPECT_EQ(mail.header.find("hidden"), std::string::npos);
}

TEST(MailHeader, NamesGoOutAsShiftJis) {
    CPlainMail mail;
    mail.AddRecipient("a@x", "山田", RECIPIENT_CC);
    mail.AddRecipient("b@x", "bad\r\nBcc: c@x", RECIPIENT_CC);
    mail.FormatMessage();
    EXPECT_EQ(Lines(mail.header)[2], "Cc: \x8E\x52\x93\x63<a@x>,bad??Bcc: c@x<b@x>");
}

TEST(WrapText, WidthsOfFirstAndLaterLines) {
    // A 77-byte line is left whole; at 78 bytes it breaks at the last space.
    const std::string words77 = std::string(40, 'a') + " " + std::string(36, 'b');
    EXPECT_EQ(WrapText(words77, 76), words77);
    const std::string words78 = words77 + "c";
    EXPECT_EQ(WrapText(words78, 76), std::string(40, 'a') + "\r\n" + std::string(36, 'b') + "c");
    // The space may be the 78th byte itself.
    EXPECT_EQ(WrapText(std::string(77, 'd') + " e", 76), std::string(77, 'd') + "\r\ne");

    // After a line end the count starts two bytes on: 75 bytes stay, 76 break.
    const std::string first = "first\r\n";
    const std::string later75 = std::string(50, 'f') + " " + std::string(24, 'g');
    EXPECT_EQ(WrapText(first + later75, 76), first + later75);
    EXPECT_EQ(WrapText(first + later75 + "h", 76),
              first + std::string(50, 'f') + "\r\n" + std::string(24, 'g') + "h");

    const std::string solid(200, 's');
    EXPECT_EQ(WrapText(solid, 76), solid);
    EXPECT_EQ(WrapText("", 76), "");
}

TEST(WrapText, BreakDropsSurroundingWhiteSpaceOnly) {
    // The run of spaces goes, and no later word is cut where a space used to be.
    const std::string text = std::string(70, 'x') + "    " + std::string(200, 'y');
    EXPECT_EQ(WrapText(text, 76), std::string(70, 'x') + "\r\n" + std::string(200, 'y'));
    // A break before a line end leaves no empty line.
    const std::string spaceThenEnd = std::string(77, 'x') + " \r\nnext";
    EXPECT_EQ(WrapText(spaceThenEnd, 76), std::string(77, 'x') + "\r\nnext");
    // Double-byte text without spaces keeps its characters together.
    std::string kanji;
    for (int i = 0; i < 60; ++i)
        kanji += "\x96\x7B"; // 本, whose second byte is not a space
    EXPECT_EQ(WrapText(kanji, 76), kanji);
}

class MimeBody : public ::testing::Test {
protected:
    std::string Attach(const std::string& name, const std::string& bytes) {
        const std::string path = dir_.file(name);
        testsupport::WriteFileBytes(path, bytes);
        return path;
    }
    // The body lines of a message with this text and these parts.
    std::vector<std::string> Body(const std::string& text,
                                  const std::vector<std::pair<std::string, int>>& parts) {
        CMimeMail mail;
        mail.body = text;
        mail.AddRecipients("to@x", RECIPIENT_TO);
        for (const auto& [path, type] : parts)
            EXPECT_TRUE(mail.AddPart(path, type, ""));
        mail.FormatMessage();
        return Lines(mail.body);
    }

    testsupport::TempDir dir_;
};

TEST_F(MimeBody, ImageMailLineByLine) {
    const std::string bytes = Bytes(100);
    const std::string path = Attach("pic.png", bytes);
    const std::vector<std::string> b = Body("Hello phone", {{path, PART_PNG}});
    const std::vector<std::string> expected = {
        "This is a multi-part message in MIME format.",
        "",
        "---abcdefg",
        "Content-Type: text/plain; charset=Shift_JIS",
        "Content-Transfer-Encoding: 7Bit",
        "",
        "Hello phone",
        "---abcdefg",
        "Content-Type: image/png;name=\"pic.png\"",
        "Content-Transfer-Encoding: base64",
        "",
        Base64(bytes.substr(0, 54)),
        Base64(bytes.substr(54)),
        "",
        "---abcdefg--",
    };
    EXPECT_EQ(b, expected);
    EXPECT_EQ(b[11].size(), 72u);
    EXPECT_EQ(b[12].size(), 64u);
    EXPECT_EQ(b[12].substr(62), "==");
}

TEST_F(MimeBody, Base64LinesFollowFileLength) {
    struct Case {
        size_t length;
        std::vector<size_t>
            lineLengths; // between the blank line after the header and the closing boundary
    };
    const Case cases[] = {
        {0, {0, 0}},
        {1, {4, 0}},
        {53, {72, 0}},
        {54, {72, 0, 0}},
        {55, {72, 4, 0}},
        {108, {72, 72, 0, 0}},
        {1000, {72, 72, 72, 72, 72, 72, 72, 72, 72, 72, 72, 72, 72, 72, 72, 72, 72, 72, 40, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        const std::string bytes = Bytes(c.length, unsigned(c.length));
        const std::vector<std::string> b = Body("", {{Attach("f.jpg", bytes), PART_JPEG}});
        // preamble, blank, boundary, two header lines, blank, then the data lines
        ASSERT_EQ(b.size(), 6 + c.lineLengths.size() + 1);
        std::string coded;
        for (size_t i = 0; i < c.lineLengths.size(); ++i) {
            EXPECT_EQ(b[6 + i].size(), c.lineLengths[i]) << "line " << i;
            coded += b[6 + i];
        }
        EXPECT_EQ(b.back(), "---abcdefg--");
        std::string decoded;
        CBase64Coder().Decode(coded, decoded);
        EXPECT_EQ(decoded, bytes);
    }
}

TEST_F(MimeBody, MessageTextIsTrimmedAndConverted) {
    const std::string file = Attach("a.gif", "GIF89a");
    EXPECT_EQ(Body("abc", {{file, PART_GIF}})[6], "abc");
    EXPECT_EQ(Body("abc", {{file, PART_GIF}})[7], "---abcdefg");

    const std::vector<std::string> trimmed = Body("\r\n\r\n  two\r\n\r\nlines \t\r\n\r\n", {});
    EXPECT_EQ(std::vector<std::string>(trimmed.begin() + 6, trimmed.end()),
              (std::vector<std::string>{"two", "", "lines", "---abcdefg--"}));

    // Program text has LF line ends; the wire has CR LF, and wrapping counts from them.
    const std::string longLine = std::string(70, 'l') + " " + std::string(10, 'm');
    const std::vector<std::string> lf = Body("one\n" + longLine + "\rthree", {});
    EXPECT_EQ(
        std::vector<std::string>(lf.begin() + 6, lf.end() - 1),
        (std::vector<std::string>{"one", std::string(70, 'l'), std::string(10, 'm'), "three"}));

    // Shift-JIS on the wire; what it cannot hold becomes "?".
    EXPECT_EQ(Body("本文～①\xF0\x9F\x98\x80", {})[6], "\x96\x7B\x95\xB6\x81\x60\x87\x40?");
    EXPECT_EQ(Body("bad \xE3\x81 utf8 \xFF!", {})[6], "bad ? utf8 ?!");
}

TEST_F(MimeBody, PartsWithoutTextOrContent) {
    const std::string bytes = Bytes(10);
    const std::string file = Attach("photo.JPG", bytes);
    // No message text, no text part.
    const std::vector<std::string> none = Body("", {{file, PART_JPEG}});
    EXPECT_EQ(none[2], "---abcdefg");
    EXPECT_EQ(none[3], "Content-Type: image/jpeg;name=\"photo.jpeg\"");

    // A missing file, a folder and an unknown type leave a boundary line at most.
    const std::vector<std::string> b = Body("t", {{dir_.file("missing.png"), PART_PNG},
                                                  {dir_.path().string(), PART_FILE},
                                                  {file, 9},
                                                  {"", PART_FILE}});
    EXPECT_EQ(std::vector<std::string>(b.begin() + 7, b.end()),
              (std::vector<std::string>{"---abcdefg", "---abcdefg", "---abcdefg", "---abcdefg--"}));

    // A message without parts still has the closing boundary.
    EXPECT_EQ(Body("", {}),
              (std::vector<std::string>{"This is a multi-part message in MIME format.", "",
                                        "---abcdefg--"}));
}

TEST_F(MimeBody, AttachmentNames) {
    const std::string dotted = (dir_.path() / "a.b").string();
    std::filesystem::create_directory(dotted);
    const std::string photo = dotted + "/photo.JPG";
    testsupport::WriteFileBytes(photo, "x");
    struct Case {
        std::string path;
        int type;
        std::string contentType;
    };
    const std::string plain = dotted + "/plain";
    testsupport::WriteFileBytes(plain, "x");
    const Case cases[] = {
        {photo, PART_JPEG, "Content-Type: image/jpeg;name=\"photo.jpeg\""},
        {photo, PART_PNG, "Content-Type: image/png;name=\"photo.png\""},
        {photo, PART_GIF, "Content-Type: image/gif;name=\"photo.gif\""},
        {plain, PART_PNG, "Content-Type: image/png;name=\"plain.png\""},
        {Attach("写真.png", "x"), PART_PNG,
         "Content-Type: image/png;name=\"\x8E\xCA\x90\x5E.png\""},
        {Attach("say \"hi\".png", "x"), PART_PNG, "Content-Type: image/png;name=\"say ?hi?.png\""},
    };
    for (const Case& c : cases) {
        const std::vector<std::string> b = Body("", {{c.path, c.type}});
        EXPECT_EQ(b[3], c.contentType) << c.path;
        EXPECT_EQ(b[4], "Content-Transfer-Encoding: base64");
        EXPECT_EQ(b[5], "");
    }

    const std::vector<std::string> file = Body("", {{Attach("pic.bmp", "BM"), PART_FILE}});
    EXPECT_EQ(std::vector<std::string>(file.begin() + 3, file.begin() + 7),
              (std::vector<std::string>{"Content-Type: application/octet-stream; file=pic.bmp",
                                        "Content-Transfer-Encoding: base64",
                                        "Content-Disposition: attachment; filename=pic.bmp", ""}));
}

TEST(MimeParts, AttachmentTypeByExtension) {
    EXPECT_EQ(AttachmentPartType("/x/a.GIF"), PART_GIF);
    EXPECT_EQ(AttachmentPartType("/x/a.Png"), PART_PNG);
    EXPECT_EQ(AttachmentPartType("a.jpg"), PART_JPEG);
    EXPECT_EQ(AttachmentPartType("a.JPEG"), PART_JPEG);
    EXPECT_EQ(AttachmentPartType("a.bmp"), PART_FILE);
    EXPECT_EQ(AttachmentPartType("/x.png/noext"), std::nullopt);
    EXPECT_EQ(AttachmentPartType(""), std::nullopt);
}

TEST(PartHandlerRegistry, FindsHandlerByTypeFromAnyThread) {
    CMimeMail first; // registers the handlers
    PartHandlerRegistry& registry = PartHandlerRegistry::Instance();
    registry.Register(nullptr);
    const std::pair<int, const char*> types[] = {{PART_TEXT, "text/plain"},
                                                 {PART_FILE, "application/octet-stream"},
                                                 {PART_JPEG, "image/jpeg"},
                                                 {PART_PNG, "image/png"},
                                                 {PART_GIF, "image/gif"}};
    for (const auto& [type, media] : types) {
        const CPartHandler* h = registry.Lookup(type);
        ASSERT_NE(h, nullptr) << type;
        EXPECT_EQ(h->Type(), type);
        EXPECT_EQ(h->ContentTypeName(), media);
    }
    EXPECT_EQ(registry.Lookup(5), nullptr);
    EXPECT_EQ(registry.Lookup(-1), nullptr);

    // Messages composed at once on several threads come out the same.
    testsupport::TempDir dir;
    const std::string path = dir.file("shared.png");
    testsupport::WriteFileBytes(path, Bytes(5000));
    std::vector<std::string> bodies(4);
    std::vector<std::thread> threads;
    for (std::string& out : bodies) {
        threads.emplace_back([&out, &path] {
            for (int i = 0; i < 20; ++i) {
                CMimeMail mail;
                mail.body = "same text";
                mail.AddPart(path, PART_PNG, "");
                mail.FormatMessage();
                out = mail.body;
            }
        });
    }
    for (std::thread& t : threads)
        t.join();
    for (const std::string& b : bodies)
        EXPECT_EQ(b, bodies[0]);
}

TEST(WireText, EncodedWordAndNames) {
    // The unconvertible character becomes "?" in ASCII, after the return from JIS.
    const std::string word = EncodedWordIso2022Jp("モ\xF0\x9F\x98\x80");
    ASSERT_EQ(word.substr(0, 16), "=?iso-2022-jp?B?");
    std::string bytes;
    CBase64Coder().Decode(word.substr(16, word.size() - 18), bytes);
    EXPECT_EQ(bytes, "\x1B$B%b\x1B(B?");
    EXPECT_EQ(EncodedWordIso2022Jp("abc"), "=?iso-2022-jp?B?YWJj?=");

    EXPECT_EQ(ToWireName("tab\there\x7F"), "tab?here?");
    // A long text converts completely (the output buffer grows).
    std::string many;
    for (int i = 0; i < 5000; ++i)
        many += "ア";
    EXPECT_EQ(ToWireText(many).size(), 10000u);
}

} // namespace
