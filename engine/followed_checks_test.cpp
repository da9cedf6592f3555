// The pure readings behind retries and followed redirects: Retry-After
// values, Location values against the address that gave them, and the
// request headers a user names.
#include "engine/followed_checks.h"

#include <gtest/gtest.h>

#include "engine/http_message.h"

namespace {

using std::chrono::seconds;

TEST(RetryAfterWait, ReadsSecondsAndDatesWithinTheLongestWait) {
    // Sun, 06 Nov 1994 08:49:37 GMT, the RFC's own example.
    const auto now = std::chrono::system_clock::time_point(seconds(784111777));
    EXPECT_EQ(RetryAfterWait("1", now), seconds(1));
    EXPECT_EQ(RetryAfterWait("0", now), seconds(0));
    EXPECT_EQ(RetryAfterWait("3600", now), kMaxRetryWait);
    EXPECT_EQ(RetryAfterWait("99999999999999999999999", now), kMaxRetryWait);
    EXPECT_EQ(RetryAfterWait("Sun, 06 Nov 1994 08:50:07 GMT", now), seconds(30));
    EXPECT_EQ(RetryAfterWait("Sun, 06 Nov 1994 08:00:00 GMT", now), seconds(0));
    EXPECT_EQ(RetryAfterWait("Mon, 07 Nov 1994 08:49:37 GMT", now), kMaxRetryWait);
    EXPECT_EQ(RetryAfterWait("Thu, 29 Feb 2024 00:00:10 GMT",
                             std::chrono::system_clock::time_point(seconds(1709164800))),
              seconds(10));
    for (const char* malformed :
         {"", "-1", "1.5", " 1", "soon", "Sun, 06 Nov 1994 08:49:37 UTC",
          "Sun, 06 Foo 1994 08:49:37 GMT", "Sun, 6 Nov 1994 08:49:37 GMT"}) {
        EXPECT_EQ(RetryAfterWait(malformed, now), std::nullopt) << malformed;
    }
}

TEST(RedirectAddress, ResolvesEachFormAgainstTheAddressThatGaveIt) {
    const std::string from = "http://h/docs/page.html?x=1";
    EXPECT_EQ(RedirectAddress("http://other/new.html", from), "http://other/new.html");
    EXPECT_EQ(RedirectAddress("HTTPS://other/", from), "https://other/");
    EXPECT_EQ(RedirectAddress("//cdn/x.js", from), "http://cdn/x.js");
    EXPECT_EQ(RedirectAddress("//cdn/x.js", "https://h/"), "https://cdn/x.js");
    EXPECT_EQ(RedirectAddress("/new/", from), "http://h/new/");
    EXPECT_EQ(RedirectAddress("other.html", from), "http://h/docs/other.html");
    EXPECT_EQ(RedirectAddress("../up.html#part", from), "http://h/up.html");
    EXPECT_EQ(RedirectAddress("?page=2", from), "http://h/docs/page.html?page=2");
    EXPECT_EQ(RedirectAddress("  /trimmed", from), "http://h/trimmed");
    EXPECT_EQ(RedirectAddress("a:b/c", from), "");
    EXPECT_EQ(RedirectAddress("mailto:me@h", from), "");
    EXPECT_EQ(RedirectAddress("", from), "");
}

TEST(RequestHeaders, DefaultsStayByteForByteAndUserHeadersReplaceTheirNamesakes) {
    WebRequestTarget target;
    target.host = "h";
    target.path = "/a b";
    EXPECT_EQ(GetRequestFor(target),
              "GET /a%20b HTTP/1.1\r\nAccept: */*\r\n"
              "Accept-Charset: windows-1251,utf-8;q=0.7,*;q=0.7\r\n"
              "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)\r\nHost: h\r\n"
              "Cache-Control: no-cache\r\n\r\n");
    const RequestHeaderText headers =
        MakeRequestHeaders("Bot/1", {"accept:  text/html ", "X-Token: abc", "X-Empty:"});
    EXPECT_EQ(GetRequestFor(target, headers),
              "GET /a%20b HTTP/1.1\r\nAccept: text/html\r\n"
              "Accept-Charset: windows-1251,utf-8;q=0.7,*;q=0.7\r\nUser-Agent: Bot/1\r\nHost: h\r\n"
              "Cache-Control: no-cache\r\nX-Token: abc\r\nX-Empty: \r\n\r\n");
}

TEST(HeaderValue, FindsWholeHeaderLinesInAnyCase) {
    const std::string head =
        "HTTP/1.1 301 Moved\r\nlocation:  /new \r\nRetry-After: 5\r\nX-Location: no\r\n\r\n";
    EXPECT_EQ(HeaderValue(head, "Location"), "/new");
    EXPECT_EQ(HeaderValue(head, "retry-after"), "5");
    EXPECT_EQ(HeaderValue(head, "Missing"), "");
    EXPECT_EQ(HeaderValue("HTTP/1.1 301 Moved\r\nLocation: /cut", "Location"), "");
    EXPECT_EQ(HeaderValue("Location: /status-line\r\n", "Location"), "");
}

}  // namespace
