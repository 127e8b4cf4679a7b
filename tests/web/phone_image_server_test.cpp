// The phone image server with real clients: exact answers, the access log, many phones.
#include "common/test_support.h"
#include "web_client.h"

#include "web/phone_image_server.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <future>
#include <random>
#include <regex>
#include <thread>

using namespace webtest;
using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

namespace {

std::string RandomBytes(size_t n, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(n, '\0');
    for (char& c : bytes)
        c = char(random());
    return bytes;
}

bool HaveTool(const char* path) {
    return std::filesystem::exists(path);
}

class PhoneImageServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        png_ = RandomBytes(5900, 1);
        // Larger than any socket buffer, so answers really are sent in pieces.
        jpg_ = RandomBytes(3 << 20, 2);
        pngPath_ = dir_.file("~kt0001.png");
        jpgPath_ = dir_.file("~kt0002.JPG");
        WriteFileBytes(pngPath_, png_);
        WriteFileBytes(jpgPath_, jpg_);
        owner_.SetPath(pngPath_);
        server_.SetOwner(&owner_);
        server_.SetPort(0);
        server_.SetRequestWait(5000);
        ASSERT_TRUE(server_.Start());
        port_ = server_.Port();
        url_ = "http://127.0.0.1:" + std::to_string(port_);
    }

    TempDir dir_;
    std::string png_, jpg_, pngPath_, jpgPath_;
    RecordingOwner owner_;
    CPhoneImageServer server_; // after the owner: stopped before the owner goes
    uint16_t port_ = 0;
    std::string url_;
};

TEST_F(PhoneImageServerTest, CurlAndPythonGetTheWholeImage) {
    if (!HaveTool("/usr/bin/curl") || !HaveTool("/usr/bin/python3"))
        GTEST_SKIP() << "curl or /usr/bin/python3 is not installed (scripts/install-deps.sh test)";
    const std::string headers = dir_.file("headers"), body = dir_.file("body");
    const std::string meta = dir_.file("meta");
    struct Case {
        std::string path, subtype, *bytes;
    };
    for (const Case& c : {Case{pngPath_, "png", &png_}, Case{jpgPath_, "jpeg", &jpg_}}) {
        owner_.SetPath(c.path);
        for (const char* version : {"--http1.0", "--http1.1"}) {
            const std::string command = "/usr/bin/curl -s --max-time 10 " + std::string(version) +
                                        " -D " + headers + " -o " + body + " '" + url_ +
                                        "/any/where.html?x=1'";
            ASSERT_EQ(std::system(command.c_str()), 0) << command;
            EXPECT_EQ(ReadFileBytes(headers),
                      "HTTP/1.0 200\r\nContent-Type: image/" + c.subtype + "\r\n\r\n");
            EXPECT_TRUE(ReadFileBytes(body) == *c.bytes) << c.path << " " << version;
        }

        const std::string script = "import http.client,sys\n"
                                   "c=http.client.HTTPConnection('127.0.0.1'," +
                                   std::to_string(port_) +
                                   ",timeout=10)\n"
                                   "c.request('GET','/')\n"
                                   "r=c.getresponse()\n"
                                   "open('" +
                                   body +
                                   "','wb').write(r.read())\n"
                                   "open('" +
                                   meta +
                                   "','w').write('%d %d %s %d'%(r.status,r.version,"
                                   "r.getheader('Content-Type'),len(r.getheaders())))\n";
        WriteFileBytes(dir_.file("fetch.py"), script);
        ASSERT_EQ(std::system(("/usr/bin/python3 " + dir_.file("fetch.py")).c_str()), 0);
        EXPECT_EQ(ReadFileBytes(meta), "200 10 image/" + c.subtype + " 1");
        EXPECT_TRUE(ReadFileBytes(body) == *c.bytes) << c.path;
    }
    EXPECT_TRUE(owner_.WaitForLines(6));
}

TEST_F(PhoneImageServerTest, AnyPathAndVersionGetTheSameAnswer) {
    const std::string expected = ImageAnswer("png", png_);
    for (const char* request :
         {"GET / HTTP/1.0\r\n\r\n", "GET /anything?q=1 HTTP/1.1\r\nHost: x\r\nAccept: */*\r\n\r\n",
          "GET\n\n", "GETTER /x HTTP/9.9\r\n\r\n", "GET http://phone.example/ HTTP/1.0\r\n\r\n"})
        EXPECT_TRUE(Exchange(port_, request).bytes == expected) << request;
    EXPECT_TRUE(owner_.WaitForLines(5));
}

TEST_F(PhoneImageServerTest, OtherMethodsGetNoAnswerAndNoLogLine) {
    for (const std::string& request : std::vector<std::string>{
             "get / HTTP/1.0\r\n\r\n", "HEAD / HTTP/1.0\r\n\r\n",
             "POST / HTTP/1.0\r\nContent-Length: 6000000\r\n\r\n",
             "POST / HTTP/1.0\r\nContent-Length: 5\r\n\r\nhello", "PUT / HTTP/1.0\r\n\r\n",
             "OPTIONS * HTTP/1.1\r\n\r\n", "GET /" + std::string(1019, 'x') + "\r\n\r\n"}) {
        const Reply reply = Exchange(port_, request);
        EXPECT_TRUE(reply.closed) << request.substr(0, 40);
        EXPECT_EQ(reply.bytes, "") << request.substr(0, 40);
    }
    // One answered fetch afterwards: its line must be the only one.
    ASSERT_NE(Exchange(port_, "GET / HTTP/1.0\r\n\r\n").bytes, "");
    ASSERT_TRUE(owner_.WaitForLines(1));
    EXPECT_EQ(owner_.Lines().size(), 1u);
}

TEST_F(PhoneImageServerTest, HeadCutShortByThePeerIsNeitherAnsweredNorLogged) {
    for (const std::string request :
         {"GET / HTTP/1.0\r\n", "GET / HTTP/1.0\r\nHost: x\r\n\r", "GET"}) {
        const int s = ConnectLoopback(port_);
        ASSERT_GE(s, 0);
        ::send(s, request.data(), request.size(), MSG_NOSIGNAL);
        ::shutdown(s, SHUT_WR);
        const Reply reply = ReadToEnd(s);
        ::close(s);
        EXPECT_TRUE(reply.closed);
        EXPECT_EQ(reply.bytes, "") << request;
    }
    for (int i = 0; i < 5; ++i) // reset right after the request line
        ASSERT_TRUE(SendAndReset(port_, "GET / HTTP/1.0\r\n"));
    ASSERT_NE(Exchange(port_, "GET / HTTP/1.0\r\n\r\n").bytes, "");
    server_.Stop(); // every connection has ended: no line can still come
    EXPECT_EQ(owner_.Lines().size(), 1u);
}

TEST_F(PhoneImageServerTest, AccessLogLines) {
    // A line is added once its answer has gone, so each fetch waits for its own.
    ASSERT_NE(Exchange(port_, "GET / HTTP/1.0\r\n\r\n").bytes, "");
    ASSERT_TRUE(owner_.WaitForLines(1));
    ASSERT_NE(Exchange(port_, "GET / HTTP/1.0\r\nuser-agent: DoCoMo/1.0/P503i\r\n\r\n").bytes, "");
    ASSERT_TRUE(owner_.WaitForLines(2));
    ASSERT_NE(Exchange(port_, "GET / HTTP/1.0\r\nUser-Agent:KDDI-CA21 \r\n\r\n").bytes, "");
    ASSERT_TRUE(owner_.WaitForLines(3));
    const std::vector<std::string> lines = owner_.Lines();
    const std::string peer = "\\(127\\.0\\.0\\.1:" + std::to_string(port_) + "\\) [^ ]+$";
    EXPECT_TRUE(std::regex_match(lines[0], std::regex("\\[\\d\\d:\\d\\d:\\d\\d\\]  " + peer)))
        << lines[0];
    EXPECT_TRUE(std::regex_match(lines[1],
                                 std::regex("\\[\\d\\d:\\d\\d:\\d\\d\\] DoCoMo/1.0/P503i " + peer)))
        << lines[1];
    EXPECT_TRUE(
        std::regex_match(lines[2], std::regex("\\[\\d\\d:\\d\\d:\\d\\d\\] KDDI-CA21 " + peer)))
        << lines[2];
}

TEST_F(PhoneImageServerTest, TheAnswerIsWholeBeforeItsLogLineIsMade) {
    // The line waits for the reverse look-up, which can take the resolver seconds.
    struct HeldLog : RecordingOwner {
        using RecordingOwner::RecordingOwner;
        std::promise<void> release;
        std::shared_future<void> released = release.get_future().share();
        void AddAccessLog(const std::string& line) override {
            released.wait();
            RecordingOwner::AddAccessLog(line);
        }
    } held(pngPath_);
    CPhoneImageServer server;
    server.SetOwner(&held);
    server.SetPort(0);
    ASSERT_TRUE(server.Start());
    const Reply reply = Exchange(server.Port(), "GET / HTTP/1.0\r\n\r\n");
    EXPECT_TRUE(reply.closed);
    EXPECT_TRUE(reply.bytes == ImageAnswer("png", png_));
    EXPECT_TRUE(held.Lines().empty());
    held.release.set_value();
    server.Stop();
    EXPECT_EQ(held.Lines().size(), 1u);
}

TEST_F(PhoneImageServerTest, MissingImageGivesTheHeaderBlockAndIsStillLogged) {
    owner_.SetPath(dir_.file("gone.png"));
    EXPECT_EQ(Exchange(port_, "GET / HTTP/1.0\r\n\r\n").bytes, ImageAnswer("png", ""));
    owner_.SetPath(dir_.path().string()); // a folder is not served either
    EXPECT_EQ(Exchange(port_, "GET / HTTP/1.0\r\n\r\n").bytes, ImageAnswer("", ""));
    owner_.SetPath("");
    EXPECT_EQ(Exchange(port_, "GET / HTTP/1.0\r\n\r\n").bytes, ImageAnswer("", ""));
    EXPECT_TRUE(owner_.WaitForLines(3));
}

TEST_F(PhoneImageServerTest, FiftyPhonesAtOnceAllGetTheWholeFile) {
    owner_.SetPath(jpgPath_);
    const std::string expected = ImageAnswer("jpeg", jpg_);
    constexpr int kPhones = 50;
    std::vector<std::future<Reply>> fetches;
    for (int i = 0; i < kPhones; ++i)
        fetches.push_back(std::async(std::launch::async, [&, i] {
            return Exchange(port_, "GET /" + std::to_string(i) + " HTTP/1.0\r\n\r\n");
        }));
    int whole = 0;
    for (auto& fetch : fetches)
        whole += fetch.get().bytes == expected;
    EXPECT_EQ(whole, kPhones);
    EXPECT_TRUE(owner_.WaitForLines(kPhones));
    EXPECT_EQ(owner_.Lines().size(), size_t(kPhones));
}

TEST_F(PhoneImageServerTest, StopWaitsForFetchesInProgress) {
    owner_.Hold();
    auto first =
        std::async(std::launch::async, [&] { return Exchange(port_, "GET / HTTP/1.0\r\n\r\n"); });
    auto second =
        std::async(std::launch::async, [&] { return Exchange(port_, "GET / HTTP/1.0\r\n\r\n"); });
    // Both inside their answer at the same time: each has a thread of its own.
    ASSERT_TRUE(owner_.WaitForHeldFetches(2));

    auto stopped = std::async(std::launch::async, [&] { server_.Stop(); });
    EXPECT_EQ(stopped.wait_for(std::chrono::milliseconds(200)), std::future_status::timeout)
        << "Stop returned while two fetches were still being answered";
    owner_.Release();
    ASSERT_EQ(stopped.wait_for(kExchangeLimit), std::future_status::ready);
    EXPECT_TRUE(first.get().bytes == ImageAnswer("png", png_));
    EXPECT_TRUE(second.get().bytes == ImageAnswer("png", png_));
}

TEST_F(PhoneImageServerTest, StopDuringLoadEndsEveryConnectionCleanly) {
    owner_.SetPath(jpgPath_);
    const std::string expected = ImageAnswer("jpeg", jpg_);
    constexpr int kPhones = 50;
    std::vector<std::future<Reply>> fetches;
    for (int i = 0; i < kPhones; ++i)
        fetches.push_back(std::async(std::launch::async,
                                     [&] { return Exchange(port_, "GET / HTTP/1.0\r\n\r\n"); }));
    ASSERT_TRUE(owner_.WaitForLines(5));
    auto stopped = std::async(std::launch::async, [&] { server_.Stop(); });
    ASSERT_EQ(stopped.wait_for(kExchangeLimit), std::future_status::ready);

    // Every fetch the server began is delivered whole or, past the stop's grace, cut; none
    // is corrupted, and each one begun is logged.
    size_t whole = 0, begun = 0;
    for (auto& fetch : fetches) {
        const Reply reply = fetch.get();
        EXPECT_TRUE(expected.starts_with(reply.bytes))
            << "wrong answer of " << reply.bytes.size() << " bytes";
        whole += reply.bytes == expected;
        begun += !reply.bytes.empty();
    }
    EXPECT_EQ(begun, owner_.Lines().size());
    EXPECT_GE(whole, 5u);
}

} // namespace

namespace {

TEST_F(PhoneImageServerTest, StopGivesAnAnswerUnderWayAGraceThenCutsIt) {
    // More than the socket buffers hold while the peer reads nothing (a few MB), and waits
    // for the peer that alone would last a minute. A phone that takes its answer as soon as
    // it can gets it whole; one that takes nothing does not hold Stop up.
    server_.SetRequestWait(60000);
    for (const size_t megabytes : {8, 32}) {
        const bool reads = megabytes == 8;
        const std::string big = RandomBytes(megabytes << 20, 3);
        WriteFileBytes(dir_.file("big.jpg"), big);
        owner_.SetPath(dir_.file("big.jpg"));
        const std::string answer = ImageAnswer("jpeg", big);
        ASSERT_TRUE(server_.Start());
        const int phone = ConnectLoopback(server_.Port());
        ASSERT_GE(phone, 0);
        const std::string request = "GET / HTTP/1.0\r\n\r\n";
        ASSERT_EQ(::send(phone, request.data(), request.size(), MSG_NOSIGNAL),
                  ssize_t(request.size()));
        // Once the first bytes are there, the server is stuck sending the rest.
        pollfd arrived = {phone, POLLIN, 0};
        ASSERT_EQ(::poll(&arrived, 1, int(kExchangeLimit.count())), 1);

        auto stopped = std::async(std::launch::async, [&] { server_.Stop(); });
        if (reads) {
            const Reply reply = ReadToEnd(phone);
            EXPECT_TRUE(reply.bytes == answer) << "answer cut to " << reply.bytes.size();
        }
        ASSERT_EQ(stopped.wait_for(kExchangeLimit), std::future_status::ready)
            << "Stop waited for a peer that takes nothing";
        const Reply rest = ReadToEnd(phone);
        ::close(phone);
        EXPECT_TRUE(rest.closed);
        if (!reads) {
            EXPECT_LT(rest.bytes.size(), answer.size());
        }
    }
}

} // namespace
