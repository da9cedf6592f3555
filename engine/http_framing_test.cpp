// Response framing fed bytes, no sockets: what a head says of its body, and
// chunked bodies by both rules, one byte at a time and whole.
#include "engine/http_framing.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(HttpFraming, HeadSaysHowTheBodyEndsInAnySpelling) {
    const Framing chunked =
        FramingOf("HTTP/1.1 200 OK\r\ntransfer-encoding: Chunked\r\nContent-Length: 9\r\n\r\n");
    EXPECT_TRUE(chunked.chunked);
    // Chunks win over a length, as a length beside them cannot be trusted.
    EXPECT_FALSE(chunked.contentLength);
    EXPECT_EQ(FramingOf("HTTP/1.1 200 OK\r\ncontent-length:  12 \r\n\r\n").contentLength, 12u);
    EXPECT_FALSE(FramingOf("HTTP/1.1 200 OK\r\nContent-Length: 1x\r\n\r\n").contentLength);
    EXPECT_TRUE(FramingOf("HTTP/1.1 304 Not Modified\r\nContent-Length: 5\r\n\r\n").noBody);
    EXPECT_TRUE(FramingOf("HTTP/1.1 204 No Content\r\n\r\n").noBody);
    EXPECT_FALSE(FramingOf("HTTP/1.1 200 OK\r\n\r\n").closes);
    EXPECT_TRUE(FramingOf("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n").closes);
    EXPECT_TRUE(FramingOf("HTTP/1.0 200 OK\r\n\r\n").closes);
    EXPECT_FALSE(FramingOf("HTTP/1.0 200 OK\r\nConnection: Keep-Alive\r\n\r\n").closes);
    EXPECT_EQ(BodyStart("HTTP/1.1 200 OK\r\nA: b\r\n\r\nbody"), 25u);
    EXPECT_FALSE(BodyStart("HTTP/1.1 200 OK\r\nA: b\r\n"));
}

// Feeds bytes one at a time; returns the body and how many bytes were its.
std::string FedByteByByte(ChunkedBody& chunks, std::string_view bytes, std::size_t* used) {
    std::string body;
    BodyText text(&body, 1000);
    *used = 0;
    for (const char c : bytes) {
        if (chunks.Done() || chunks.Broken()) break;
        *used += chunks.Feed(std::string_view(&c, 1), text);
    }
    return body;
}

TEST(HttpFraming, ExactChunksEndAtTheTrailersBlankLineAndNoLater) {
    const std::string body = "4;ext=1\r\nabcd\r\nA\r\n0123456789\r\n0\r\nX-T: 1\r\n\r\n";
    const std::string next = "HTTP/1.1 200 OK\r\n";
    for (const bool byteByByte : {true, false}) {
        ChunkedBody chunks(ChunkedBody::Rules::kExact);
        std::size_t used = 0;
        std::string decoded;
        if (byteByByte) {
            decoded = FedByteByByte(chunks, body + next, &used);
        } else {
            BodyText text(&decoded, 1000);
            used = chunks.Feed(body + next, text);
        }
        EXPECT_TRUE(chunks.Done());
        EXPECT_EQ(decoded, "abcd0123456789");
        EXPECT_EQ(used, body.size()) << "the next response starts where this one ends";
    }
}

TEST(HttpFraming, LenientChunksForgiveWhatExactOnesCallBroken) {
    // Blank lines before a size, and a body that stops at a line without one.
    const std::string sloppy = "\r\n 3\r\nabc\r\n\r\n2\r\nde\r\nno size here";
    ChunkedBody lenient(ChunkedBody::Rules::kLenient);
    std::size_t used = 0;
    EXPECT_EQ(FedByteByByte(lenient, sloppy, &used), "abcde");
    EXPECT_TRUE(lenient.Done());
    ChunkedBody exact(ChunkedBody::Rules::kExact);
    EXPECT_EQ(FedByteByByte(exact, sloppy, &used), "");
    EXPECT_TRUE(exact.Broken());

    // A body bound stops the data and leaves the body unfinished.
    ChunkedBody bounded(ChunkedBody::Rules::kExact);
    std::string kept;
    BodyText text(&kept, 3);
    bounded.Feed("5\r\nabcde\r\n0\r\n\r\n", text);
    EXPECT_EQ(kept, "abc");
    EXPECT_TRUE(text.Full());
    EXPECT_FALSE(bounded.Done());
}

}  // namespace
