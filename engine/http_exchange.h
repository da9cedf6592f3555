// One HTTP/1.1 GET exchange, in either of two readings of the response:
//
// - the classic reading: one first read of a set size, then (for a text
//   page) a body that ends at half a second of silence, chunks decoded
//   leniently; the connection is made for the exchange and closed after it;
// - the exact reading: the head read to its blank line and the body framed
//   to the byte (its length, its last chunk, or the server's close), so that
//   the connection may carry the next request; a kept connection that the
//   server closed before answering is replaced once.
//
// Each exchange owns the buffers it reads into; any thread may run one on a
// connection it holds.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "engine/host_lookups.h"
#include "engine/http_connection.h"
#include "engine/http_message.h"
#include "engine/url_functions.h"

enum class ReadingStyle { kClassic, kExact };

// What is read of a response.
enum class ResponseUse {
    // A page: the head, and the body when the head announces text.
    kPage,
    // An external link: the status line alone.
    kStatusOnly,
    // An external link whose redirects are followed: the whole head (the
    // classic reading: a page's first read), no body.
    kHead,
};

// What one exchange brought back: a failed exchange (with kNoSecureChannel,
// why in failure), or the first block (what the classic reading's first
// read holds: at most kPageFirstRead bytes of a page's response, at most
// kExternalFirstRead of a status check's) and, for a text page, the body.
struct WebResponse {
    FetchOutcome outcome = FetchOutcome::kNoResponse;
    std::string failure;
    std::string firstBlock;
    std::string body;
    // The Location and Retry-After headers' values (empty without them), as
    // far as the reading read the head.
    std::string location;
    std::string retryAfter;
    // Exact reading: the connection ended this response cleanly and may
    // carry the next request.
    bool reusable = false;
};

// Runs target's GET over connection in style: the classic reading opens it
// afresh and closes it after; the exact reading opens it when it is not open
// and leaves it open only when it is reusable. The host is looked up in
// lookups, or now when it is null. keepGoing turning false gives the exact
// reading's connect up; a classic exchange, once started, runs to its end.
[[nodiscard]] WebResponse Exchange(ReadingStyle style, HttpConnection& connection,
                                   const WebRequestTarget& target, ResponseUse use,
                                   HostLookups* lookups, const std::atomic<bool>& keepGoing,
                                   const BodyLimits& limits = {},
                                   const RequestHeaderText& headers = DefaultRequestHeaders());

// The classic reading's two halves, for a caller that reads the first block
// before it decides on the body.

// What the first half yields: the outcome and, with kFirstBlock, the first
// block's bytes and the still-open connection (null with every other
// outcome: the connection is already closed).
struct FirstBlockResult {
    FetchOutcome outcome = FetchOutcome::kNoSocket;
    std::string firstBlock;
    std::string failure;
    std::unique_ptr<HttpConnection> connection;
};

// Connects to the address's request target (RequestTargetOf), over TLS for
// an https address while https links are checked, sends the GET request and
// reads the first block: one read of at most firstReadSize bytes within
// timeoutMs. The TLS handshake is bounded by timeoutMs as well.
[[nodiscard]] FirstBlockResult FetchFirstBlock(std::string_view address, std::size_t firstReadSize,
                                               int timeoutMs,
                                               HttpsLinks https = HttpsLinks::kIgnored);

// The body of a text response ("ype: text" in the first block), decoded when
// chunked; empty otherwise. Reads of at most kBodyReadSize bytes, each waiting
// at most kBodyReadTimeoutMs; bounded in size and time by limits.
[[nodiscard]] std::string ReadTextBody(std::string_view firstBlock, ResponseSource& source,
                                       const BodyLimits& limits = BodyLimits{});

// Appends the decoded chunk data of a chunked response (its head starts
// firstBlock) to body, by the lenient rules. Reading stops at the last
// chunk, at a read that brings nothing, or at limits.
void DecodeChunkedBody(std::string_view firstBlock, ResponseSource& source, std::string& body,
                       const BodyLimits& limits = BodyLimits{});

// The exact reading of a response whose request was sent: what it read, and
// how the connection stands after it.
struct ExactResponse {
    std::string firstBlock;
    std::string body;
    std::string location;
    std::string retryAfter;
    // At least one byte of a response arrived.
    bool answered = false;
    // The connection ended before any byte of a response: a kept connection
    // the server had closed meanwhile.
    bool closedUnanswered = false;
    bool reusable = false;
};
[[nodiscard]] ExactResponse ReadExactResponse(ResponseSource& source, ResponseUse use,
                                              const BodyLimits& limits = BodyLimits{});
