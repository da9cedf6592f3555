// The classic reading of the GET exchange: response parsing through a source
// whose reads the test splits at will, and whole exchanges against the
// scripted loopback server and a real nginx.
#include "engine/http_exchange.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <thread>

#include "platform/environment.h"
#include "testing/loopback_address.h"
#include "testing/nginx_server.h"
#include "testing/scripted_http_server.h"
#include "testing/temp_folder.h"

namespace {

using std::chrono::milliseconds;

// Hands out a response in the pieces given (a piece larger than a read stays
// for the next read, as a stream would), then nothing. Records every read.
class FakeSocket final : public ResponseSource {
public:
    explicit FakeSocket(std::vector<std::string> pieces) : m_pieces(pieces.begin(), pieces.end()) {}

    ReadStatus Read(char* buffer, std::size_t size, int timeoutMs, std::size_t* count) override {
        m_reads.push_back({size, timeoutMs});
        while (!m_pieces.empty() && m_pieces.front().empty()) m_pieces.pop_front();
        *count = 0;
        if (m_pieces.empty()) return ReadStatus::kEnded;
        std::string& piece = m_pieces.front();
        *count = std::min(size, piece.size());
        std::copy_n(piece.data(), *count, buffer);
        piece.erase(0, *count);
        if (piece.empty()) m_pieces.pop_front();
        return ReadStatus::kData;
    }

    struct ReadCall {
        std::size_t size;
        int timeoutMs;
    };
    std::vector<ReadCall> m_reads;
    std::deque<std::string> m_pieces;
};

// Never runs dry: every read is filled with 'x', after a short wait.
class EndlessSocket final : public ResponseSource {
public:
    ReadStatus Read(char* buffer, std::size_t size, int, std::size_t* count) override {
        std::this_thread::sleep_for(milliseconds(1));
        std::fill_n(buffer, size, 'x');
        *count = size;
        return ReadStatus::kData;
    }
};

constexpr std::string_view kTextHeaders = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n";
constexpr std::string_view kChunkedHeaders =
    "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nTransfer-Encoding: chunked\r\n\r\n";
// Chunk sizes in both cases, with leading zeros and with an extension.
constexpr std::string_view kChunks =
    "5\r\n<html\r\n"
    "000000000000000000000000000c;name=\"value\"\r\n> <a href=x>\r\n"
    "A\r\nlinks</a>\n\r\n"
    "1a \r\n<p>end of the pages.</p>\r\n\r\n"
    "0\r\nTrailer: ignored\r\n\r\n";
constexpr std::string_view kDecoded = "<html> <a href=x>links</a>\n<p>end of the pages.</p>\r\n";

std::string Joined(std::string_view a, std::string_view b) {
    return std::string(a) + std::string(b);
}

std::string ReadBodyInPieces(const std::vector<std::string>& pieces) {
    FakeSocket socket(std::vector<std::string>(pieces.begin() + 1, pieces.end()));
    return ReadTextBody(pieces.front(), socket);
}

}  // namespace

TEST(ClassicReadingStatusText, IsFirstLineFromItsTenthByte) {
    EXPECT_EQ(StatusTextOf("HTTP/1.0 200 OK\r\nServer: x\r\n\r\n"), "200 OK");
    EXPECT_EQ(StatusTextOf("HTTP/1.1 301 Moved Permanently\r\nLocation: /a\r\n"),
              "301 Moved Permanently");
    EXPECT_EQ(StatusTextOf("HTTP/1.1 404 Not Found\nServer: x"), "404 Not Found");
    EXPECT_EQ(StatusTextOf(std::string_view("HTTP/1.1 200 OK\0junk\r\n", 23)), "200 OK");
}

TEST(ClassicReadingStatusText, FirstLineShorterThanTenBytesGivesEmptyText) {
    EXPECT_EQ(StatusTextOf("HTTP/1.1 \r\n\r\n"), "");
    EXPECT_EQ(StatusTextOf("OK\r\n"), "");
    EXPECT_EQ(StatusTextOf("\r\nHTTP/1.1 200 OK\r\n"), "");
    EXPECT_EQ(StatusTextOf("HTTP/1.1 2"), "2");
}

TEST(ClassicReadingStatusText, NeverLongerThanNinetyOneCharacters) {
    const std::string reason(5000, 'r');
    EXPECT_EQ(StatusTextOf("HTTP/1.1 200 " + reason + "\r\n\r\n"),
              "200 " + reason.substr(0, kMaxStatusTextLength - 4));
}

TEST(ClassicReadingBody, ResponseThatIsNotTextReadsNothing) {
    FakeSocket socket({"<html>never read</html>"});
    EXPECT_EQ(ReadTextBody("HTTP/1.1 200 OK\r\nContent-Type: image/png\r\n\r\n\x89PNG", socket),
              "");
    EXPECT_TRUE(socket.m_reads.empty());
}

TEST(ClassicReadingBody, PlainBodyIsEverythingAfterTheHeadersUntilNothingComes) {
    EXPECT_EQ(ReadBodyInPieces({std::string(kTextHeaders), "<html>", "<body>", "</html>"}),
              "<html><body></html>");
    // Either spelling of the header name announces text.
    EXPECT_EQ(ReadBodyInPieces({"HTTP/1.1 200 OK\r\nContent-type: text/plain\r\n\r\nab", "cd"}),
              "abcd");
    // Headers that go on past the first block are removed all the same.
    EXPECT_EQ(ReadBodyInPieces({"HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nX-A: 1",
                                "\r\nX-B: 2\r\n\r\n<p>", "text</p>"}),
              "<p>text</p>");
}

TEST(ClassicReadingBody, TextWithoutBlankLineIsKeptWhole) {
    EXPECT_EQ(ReadBodyInPieces({"HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n", "<p>x</p>"}),
              "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n<p>x</p>");
}

TEST(ClassicReadingBody, BodyReadsTakeAtMost1023BytesAndWaitAtMostHalfASecond) {
    FakeSocket socket({std::string(3000, 'a')});
    EXPECT_EQ(ReadTextBody(kTextHeaders, socket), std::string(3000, 'a'));
    ASSERT_EQ(socket.m_reads.size(), 4u);
    for (const FakeSocket::ReadCall& read : socket.m_reads) {
        EXPECT_EQ(read.size, kBodyReadSize);
        EXPECT_LE(read.timeoutMs, kBodyReadTimeoutMs);
    }
}

// The decoded body must not depend on where the network splits the bytes:
// every way of cutting the response into three reads gives the same result.
TEST(ClassicReadingChunked, DecodesTheSameWhateverTheReadSplits) {
    const std::string response = Joined(kChunkedHeaders, kChunks);
    const std::size_t firstBlockMinimum = response.find("chunked") + 7;
    for (std::size_t first = firstBlockMinimum; first <= response.size(); ++first) {
        for (std::size_t second = first; second <= response.size(); ++second) {
            const std::string body =
                ReadBodyInPieces({response.substr(0, first), response.substr(first, second - first),
                                  response.substr(second)});
            ASSERT_EQ(body, kDecoded) << "reads split at " << first << " and " << second;
        }
    }
}

TEST(ClassicReadingChunked, DecodesByteByByteAndAcrossHeadersCutShort) {
    const std::string response = Joined(kChunkedHeaders, kChunks);
    std::vector<std::string> bytes;
    for (char c : response) bytes.emplace_back(1, c);
    FakeSocket socket(std::vector<std::string>(bytes.begin() + 1, bytes.end()));
    std::string body = "kept ";
    DecodeChunkedBody(bytes.front(), socket, body);
    EXPECT_EQ(body, Joined("kept ", kDecoded));
}

TEST(ClassicReadingChunked, StopsAtTheLastChunkWithoutAnotherRead) {
    FakeSocket socket({"4\r\nabcd\r\n0\r\n\r\n", "HTTP/1.1 200 OK\r\n"});
    EXPECT_EQ(ReadTextBody(kChunkedHeaders, socket), "abcd");
    EXPECT_EQ(socket.m_pieces.size(), 1u);
}

TEST(ClassicReadingBodyLimits, EndlessBodyStopsAtTheSizeBound) {
    BodyLimits limits;
    limits.maxBytes = 100000;
    EndlessSocket plain;
    const std::string plainBody = ReadTextBody(kTextHeaders, plain, limits);
    EXPECT_LE(plainBody.size(), limits.maxBytes);
    EXPECT_GT(plainBody.size(), limits.maxBytes - kTextHeaders.size() - 1);
    EXPECT_EQ(plainBody.find_first_not_of('x'), std::string::npos);

    EndlessSocket chunked;
    const std::string chunkedBody =
        ReadTextBody(Joined(kChunkedHeaders, "ffffffffffffffffffff\r\n"), chunked, limits);
    EXPECT_EQ(chunkedBody, std::string(limits.maxBytes, 'x'));
}

TEST(ClassicReadingBodyLimits, BodyThatNeverPausesStopsAtTheTimeBound) {
    BodyLimits limits;
    limits.maxReadTime = milliseconds(300);
    EndlessSocket plain;
    const std::string body = ReadTextBody(kTextHeaders, plain, limits);
    EXPECT_GT(body.size(), 0u);
    EXPECT_LT(body.size(), limits.maxBytes);
    EXPECT_EQ(body.find_first_not_of('x'), std::string::npos);
}

class ClassicExchange : public ::testing::Test {
protected:
    ScriptedHttpServer m_server{LoopbackAddressForTest()};
};

TEST_F(ClassicExchange, SendsTheExactRequestToPort80) {
    SKIP_WITHOUT_PORT_80(m_server);
    // A blank, a quote and bytes above 126 cannot stand in a request line:
    // they go percent-encoded, as a browser sends them.
    m_server.SetResponse("/dir/a%20b%22%C3%A9.html?q=1", HtmlPage("200 OK", "<p>hi</p>"));
    FirstBlockResult result =
        FetchFirstBlock(m_server.Url("/dir/a b\"\xc3\xa9.html?q=1"), 1000, 5000);
    ASSERT_EQ(result.outcome, FetchOutcome::kFirstBlock);
    EXPECT_EQ(StatusTextOf(result.firstBlock), "200 OK");
    EXPECT_EQ(ReadTextBody(result.firstBlock, *result.connection), "<p>hi</p>");
    const std::vector<std::string> requests = m_server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0],
              "GET /dir/a%20b%22%C3%A9.html?q=1 HTTP/1.1\r\nAccept: */*\r\n"
              "Accept-Charset: windows-1251,utf-8;q=0.7,*;q=0.7\r\n"
              "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)\r\n"
              "Host: " +
                  m_server.Address() + "\r\nCache-Control: no-cache\r\n\r\n");
}

TEST_F(ClassicExchange, AddressWithoutPathRequestsRootAndLongRequestArrivesWhole) {
    SKIP_WITHOUT_PORT_80(m_server);
    const std::string longPath = "/" + std::string(3000, 'p');
    EXPECT_EQ(FetchFirstBlock(m_server.Url(""), 1000, 5000).outcome, FetchOutcome::kFirstBlock);
    EXPECT_EQ(FetchFirstBlock(m_server.Url(longPath), 1000, 5000).outcome,
              FetchOutcome::kFirstBlock);
    EXPECT_EQ(m_server.RequestedPaths(), (std::vector<std::string>{"/", longPath}));
    EXPECT_TRUE(m_server.Requests()[1].ends_with("Cache-Control: no-cache\r\n\r\n"));
}

TEST_F(ClassicExchange, HeadersAndBodyInSeparatePacketsThenIdleConnection) {
    SKIP_WITHOUT_PORT_80(m_server);
    ScriptedResponse plain;
    plain.chunks = {{milliseconds(0), std::string(kTextHeaders)},
                    {milliseconds(100), "<p>one</p>"},
                    {milliseconds(100), "<p>two</p>"}};
    // The server keeps the connection open: the body ends at the idle read.
    plain.end = ScriptedEnd::kStayIdle;
    m_server.SetResponse("/plain", plain);
    ScriptedResponse chunked;
    chunked.chunks = {{milliseconds(0), std::string(kChunkedHeaders)},
                      {milliseconds(50), "3\r\nabc\r"},
                      {milliseconds(50), "\n2"},
                      {milliseconds(50), "\r\nde\r\n0\r\n\r\n"}};
    chunked.end = ScriptedEnd::kStayIdle;
    m_server.SetResponse("/chunked", chunked);

    FirstBlockResult first = FetchFirstBlock(m_server.Url("/plain"), 1000, 5000);
    ASSERT_EQ(first.outcome, FetchOutcome::kFirstBlock);
    EXPECT_EQ(ReadTextBody(first.firstBlock, *first.connection), "<p>one</p><p>two</p>");
    FirstBlockResult second = FetchFirstBlock(m_server.Url("/chunked"), 1000, 5000);
    ASSERT_EQ(second.outcome, FetchOutcome::kFirstBlock);
    EXPECT_EQ(ReadTextBody(second.firstBlock, *second.connection), "abcde");
}

TEST_F(ClassicExchange, ExternalCheckReadsOnlyItsShortFirstBlock) {
    SKIP_WITHOUT_PORT_80(m_server);
    m_server.SetResponse("/moved", Reply("HTTP/1.1 301 Moved Permanently\r\nLocation: /new/\r\n" +
                                         std::string(500, 'h') + "\r\n\r\n"));
    FirstBlockResult result = FetchFirstBlock(m_server.Url("/moved"), kExternalFirstRead, 5000);
    ASSERT_EQ(result.outcome, FetchOutcome::kFirstBlock);
    EXPECT_EQ(result.firstBlock.size(), kExternalFirstRead);
    EXPECT_EQ(StatusTextOf(result.firstBlock), "301 Moved Permanently");
}

TEST_F(ClassicExchange, SilentOrClosingServerGivesNoResponse) {
    SKIP_WITHOUT_PORT_80(m_server);
    m_server.SetResponse("/silent", NeverAnswer());
    m_server.SetResponse("/closed", Reply(""));
    FirstBlockResult silent = FetchFirstBlock(m_server.Url("/silent"), 1000, 300);
    EXPECT_EQ(silent.outcome, FetchOutcome::kNoResponse);
    EXPECT_EQ(silent.connection, nullptr);
    EXPECT_EQ(FetchFirstBlock(m_server.Url("/closed"), 1000, 5000).outcome,
              FetchOutcome::kNoResponse);
}

TEST_F(ClassicExchange, AddressesThatReachNoServerGiveNoConnection) {
    SKIP_WITHOUT_PORT_80(m_server);
    // Where a name server is configured but unreachable, a look-up gives up
    // after a second instead of the resolver's usual rounds of waits.
    SetEnvironmentText("RES_OPTIONS", L"timeout:1 attempts:1");
    // Nothing listens on this address: the connection is refused.
    EXPECT_EQ(FetchFirstBlock("http://" + LoopbackAddressForTest(1) + "/", 1000, 5000).outcome,
              FetchOutcome::kNoConnection);
    // A port in the address stays part of the host, which does not resolve,
    // even though a server listens on port 80 of that address.
    EXPECT_EQ(FetchFirstBlock("http://" + m_server.Address() + ":80/", 1000, 5000).outcome,
              FetchOutcome::kNoConnection);
    // "https:" is not stripped: the host is "https:".
    EXPECT_EQ(FetchFirstBlock("https://" + m_server.Address() + "/", 1000, 5000).outcome,
              FetchOutcome::kNoConnection);
    EXPECT_EQ(FetchFirstBlock("http://no-such-host.invalid/", 1000, 5000).outcome,
              FetchOutcome::kNoConnection);
    EXPECT_TRUE(m_server.Requests().empty());
}

TEST_F(ClassicExchange, TrickleAndFloodEndAtTheBodyBounds) {
    SKIP_WITHOUT_PORT_80(m_server);
    ScriptedResponse trickle = Reply(std::string(kTextHeaders));
    trickle.endlessTail = "t";
    trickle.tailPause = milliseconds(100);
    m_server.SetResponse("/trickle", trickle);
    ScriptedResponse flood = Reply(std::string(kTextHeaders));
    flood.endlessTail = std::string(4096, 'f');
    m_server.SetResponse("/flood", flood);

    BodyLimits limits;
    limits.maxBytes = 1 << 20;
    limits.maxReadTime = milliseconds(1000);
    FirstBlockResult slow = FetchFirstBlock(m_server.Url("/trickle"), 1000, 5000);
    ASSERT_EQ(slow.outcome, FetchOutcome::kFirstBlock);
    const std::string slowBody = ReadTextBody(slow.firstBlock, *slow.connection, limits);
    EXPECT_FALSE(slowBody.empty());
    EXPECT_EQ(slowBody.find_first_not_of('t'), std::string::npos);

    FirstBlockResult fast = FetchFirstBlock(m_server.Url("/flood"), 1000, 5000);
    ASSERT_EQ(fast.outcome, FetchOutcome::kFirstBlock);
    limits.maxReadTime = milliseconds(60000);
    const std::string fastBody = ReadTextBody(fast.firstBlock, *fast.connection, limits);
    EXPECT_LE(fastBody.size(), limits.maxBytes);
    EXPECT_GT(fastBody.size(), limits.maxBytes - kTextHeaders.size() - 1);
    EXPECT_EQ(fastBody.find_first_not_of('f'), std::string::npos);
}

TEST(ClassicExchangeNginx, FetchesAPageFromARealServer) {
    const TempFolder site;
    const std::string page = "<html><body><a href=\"other.html\">other</a>\n</body></html>\n";
    site.Put("dir/page.html", page);
    NginxServer server(LoopbackAddressForTest(), site.Path());
    SKIP_WITHOUT_PORT_80(server);
    ASSERT_TRUE(server.IsListening()) << server.Failure();
    FirstBlockResult result = FetchFirstBlock(server.Url("/dir/page.html"), 1000, 5000);
    ASSERT_EQ(result.outcome, FetchOutcome::kFirstBlock);
    EXPECT_EQ(StatusTextOf(result.firstBlock), "200 OK");
    EXPECT_EQ(ReadTextBody(result.firstBlock, *result.connection), page);
    FirstBlockResult missing = FetchFirstBlock(server.Url("/dir/none.html"), 1000, 5000);
    ASSERT_EQ(missing.outcome, FetchOutcome::kFirstBlock);
    EXPECT_EQ(StatusTextOf(missing.firstBlock), "404 Not Found");
}
