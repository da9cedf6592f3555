// The response side of the HTTP client over a real TLS connection: a TLS
// server on loopback in this process sends any bytes as the response, in
// records of the sizes the fuzzer picks, and closes. The first block is the
// first record's start; a text body equals a plain decode of the whole
// response, as over plain TCP, however the records split it.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/http_exchange.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_input.h"
#include "fuzz/plain_http_response.h"
#include "testing/tls_test_server.h"

namespace {

constexpr std::size_t kMaxRecords = 8;
constexpr std::size_t kMaxRecordSize = 2048;
// Far above any local exchange: reached only when the client hangs.
constexpr int kTimeoutMs = 10000;

// Made once: a certificate for 127.0.0.1 from the test CA, which the client
// then trusts, and the server that presents it.
struct Setup {
    TempFolder folder;
    ServerCertificate certificate;
    std::unique_ptr<TlsTestServer> server;
};

TlsTestServer& Server() {
    static Setup* const setup = [] {
        auto* made = new Setup;
        std::string error;
        if (!MakeServerCertificate(made->folder, "fuzz", "127.0.0.1", CertificateKind::kValid,
                                   &made->certificate, &error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            std::abort();
        }
        made->server = std::make_unique<TlsTestServer>(made->certificate);
        FUZZ_CHECK(made->server->IsListening());
        return made;
    }();
    return *setup->server;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TlsTestServer& server = Server();
    FuzzInput input(data, size);
    const auto firstLength = input.Integer<std::size_t>(1, kPageFirstRead);
    std::vector<std::size_t> records(input.Integer<std::size_t>(1, kMaxRecords));
    for (std::size_t& record : records) record = input.Integer<std::size_t>(1, kMaxRecordSize);
    const std::string response = input.Rest();
    server.SetResponse(response, records);

    const FirstBlockResult result =
        FetchFirstBlock("https://127.0.0.1:" + std::to_string(server.Port()) + "/", firstLength,
                        kTimeoutMs, HttpsLinks::kChecked);
    if (response.empty()) {
        FUZZ_CHECK(result.outcome == FetchOutcome::kNoResponse);
        return 0;
    }
    FUZZ_CHECK(result.outcome == FetchOutcome::kFirstBlock);
    // One read takes at most one record.
    const std::string& firstBlock = result.firstBlock;
    FUZZ_CHECK(firstBlock.size() == std::min({firstLength, records.front(), response.size()}));
    FUZZ_CHECK(response.starts_with(firstBlock));

    const std::string body = ReadTextBody(firstBlock, *result.connection);
    if (!Has(firstBlock, "ype: text")) {
        FUZZ_CHECK(body.empty());
    } else if (Has(firstBlock, "Transfer-Encoding: chunked")) {
        FUZZ_CHECK(body == PlainChunkedDecode(response));
    } else {
        FUZZ_CHECK(body == PlainTextBody(response, SIZE_MAX));
    }
    return 0;
}
