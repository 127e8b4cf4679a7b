#include "web/phone_image_server.h"
#include "web/request_headers.h"

#include <gtest/gtest.h>

namespace {

TEST(RequestHeaders, FindHeaderMatchesNameAndColonIgnoringCase) {
    const std::vector<std::string> lines = {"GET / HTTP/1.0", "Host: 127.0.0.1",
                                            "user-agent: Phone/1.0", "User-Agentish: no",
                                            "USER-AGENT: Second"};
    EXPECT_EQ(FindHeader(lines, "User-Agent", 0), 2);
    EXPECT_EQ(FindHeader(lines, "User-Agent", 3), 4);
    EXPECT_EQ(FindHeader(lines, "Cookie", 0), -1);
    EXPECT_EQ(FindHeader(lines, "User-Agent", 5), -1);
    EXPECT_EQ(FindHeader(lines, "Host", -3), 1);
    // The request line takes part; callers accept only indexes above 0.
    EXPECT_EQ(FindHeader({"Host: x"}, "Host", 0), 0);
}

TEST(RequestHeaders, HeaderValueAfterColon) {
    const std::vector<std::string> lines = {"GET / HTTP/1.0",      "User-Agent: Phone/1.0 ",
                                            "Content-Length:6000", "X-Pad:\t 12 \t",
                                            "Host:a: b",           "X-Empty:",
                                            "Broken line"};
    EXPECT_EQ(HeaderValue(lines, 1), "Phone/1.0 "); // kept as sent after ": "
    EXPECT_EQ(HeaderValue(lines, 2), "6000");
    EXPECT_EQ(HeaderValue(lines, 3), "12");
    EXPECT_EQ(HeaderValue(lines, 4), "a: b"); // the name's own colon counts
    EXPECT_EQ(HeaderValue(lines, 5), "");
    EXPECT_EQ(HeaderValue(lines, 6), "");
    EXPECT_EQ(HeaderValue(lines, 7), "");
    EXPECT_EQ(HeaderValue(lines, -1), "");
}

TEST(RequestHeaders, MediaSubtypeFromExtension) {
    EXPECT_EQ(ImageMediaSubtype("/tmp/~kt1.jpg"), "jpeg");
    EXPECT_EQ(ImageMediaSubtype("/tmp/A.PNG"), "png");
    EXPECT_EQ(ImageMediaSubtype("x.Gif"), "gif");
    EXPECT_EQ(ImageMediaSubtype("x.jpeg"), ".jpeg");
    EXPECT_EQ(ImageMediaSubtype("/a.b/noext"), "");
    EXPECT_EQ(ImageMediaSubtype(""), "");
}

} // namespace
