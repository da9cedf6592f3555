// Checking https links over TLS, end to end: an in-process TLS server for
// names and ports, and servers that stall or speak the wrong protocol.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>

#include "engine/edit_file.h"
#include "engine/http_client.h"
#include "engine/web_crawl.h"
#include "platform/text_codec.h"
#include "testing/loopback_address.h"
#include "testing/scripted_http_server.h"
#include "testing/test_certificates.h"
#include "testing/tls_test_server.h"

namespace {

using namespace std::chrono_literals;

void TrustTheTestCa() {
    std::string error;
    ASSERT_TRUE(TrustTestAuthority(&error)) << error;
}

}  // namespace

TEST(HttpsExchange, StalledHandshakeEndsAtTheTimeOutAndTlsAnswersArePlainlyNamed) {
    TrustTheTestCa();
    ScriptedHttpServer server(LoopbackAddressForTest());
    SKIP_WITHOUT_PORT_80(server);
    // A server that waits for a request line never answers a TLS hello.
    server.SetDefaultResponse(NeverAnswer());
    const auto started = std::chrono::steady_clock::now();
    const FirstBlockResult stalled =
        FetchFirstBlock("https://" + server.Address() + ":80/", 1000, 300, HttpsLinks::kChecked);
    const auto waited = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(stalled.outcome, FetchOutcome::kNoSecureChannel);
    EXPECT_EQ(stalled.failure, "TLS error: handshake timed out");
    EXPECT_GE(waited, 300ms);
    EXPECT_LT(waited, 3s);

    // A TLS alert in answer to a plain request.
    server.SetResponse("/", Reply(std::string("\x15\x03\x03\x00\x02\x02\x46", 7)));
    const FirstBlockResult alert = FetchFirstBlock(server.Url("/"), 1000, 5000);
    ASSERT_EQ(alert.outcome, FetchOutcome::kFirstBlock);
    EXPECT_EQ(PageStateText(alert.firstBlock), kTlsAnswerToPlainRequestState);
}

TEST(HttpsExchange, NamedHostGetsSniItsPortAndAResumedSession) {
    TrustTheTestCa();
    TempFolder folder;
    ServerCertificate forLocalhost;
    ServerCertificate forOtherName;
    std::string error;
    ASSERT_TRUE(MakeServerCertificate(folder, "localhost", "localhost", CertificateKind::kValid,
                                      &forLocalhost, &error))
        << error;
    ASSERT_TRUE(MakeServerCertificate(folder, "other", "other.test", CertificateKind::kValid,
                                      &forOtherName, &error))
        << error;
    TlsTestServer server(forLocalhost);
    ASSERT_TRUE(server.IsListening()) << server.Failure();
    const std::string response = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\nhello";
    // The headers in one record, the body in records of two bytes.
    server.SetResponse(response, {44, 2});
    const std::string url = "https://localhost:" + std::to_string(server.Port()) + "/page.html";

    for (int i = 0; i < 2; ++i) {
        const FirstBlockResult result = FetchFirstBlock(url, 1000, 5000, HttpsLinks::kChecked);
        ASSERT_EQ(result.outcome, FetchOutcome::kFirstBlock) << result.failure;
        EXPECT_EQ(result.firstBlock, response.substr(0, 44));
        EXPECT_EQ(ReadTextBody(result.firstBlock, *result.socket), "hello");
    }
    // An address is checked as an address and not sent for SNI.
    const FirstBlockResult byAddress =
        FetchFirstBlock("https://127.0.0.1:" + std::to_string(server.Port()) + "/", 1000, 5000,
                        HttpsLinks::kChecked);
    EXPECT_EQ(byAddress.failure, "Certificate error: IP address mismatch");
    EXPECT_EQ(server.Connections(3), (std::vector<TlsTestConnection>{
                                         {"localhost", false}, {"localhost", true}, {"", false}}));

    TlsTestServer otherName(forOtherName);
    ASSERT_TRUE(otherName.IsListening()) << otherName.Failure();
    EXPECT_EQ(FetchFirstBlock("https://localhost:" + std::to_string(otherName.Port()) + "/", 1000,
                              5000, HttpsLinks::kChecked)
                  .failure,
              "Certificate error: hostname mismatch");
    // With https links ignored, the address is taken as plain http would take it.
    EXPECT_EQ(FetchFirstBlock(url, 1000, 5000).outcome, FetchOutcome::kNoConnection);
}

TEST(HttpsEditFile, AnHttpsPageIsDownloadedOverTlsWhileHttpsLinksAreChecked) {
    TrustTheTestCa();
    TempFolder folder;
    ServerCertificate certificate;
    std::string error;
    ASSERT_TRUE(MakeServerCertificate(folder, "localhost", "localhost", CertificateKind::kValid,
                                      &certificate, &error))
        << error;
    TlsTestServer server(certificate);
    ASSERT_TRUE(server.IsListening()) << server.Failure();
    server.SetResponse("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\none two");
    std::vector<std::wstring> commandLines;
    std::string edited;
    EditFileServices services;
    services.showMessage = [](const std::wstring& text, const std::wstring&, EditMessageIcon) {
        ADD_FAILURE() << Narrow(text);
    };
    services.runAndWait = [&](const std::wstring& commandLine, std::wstring*) {
        commandLines.push_back(commandLine);
        edited = folder.Read("page.html__temp_file.txt");
        return true;
    };
    services.runningProgramPath = L"/opt/skarnel/Skarnel";
    services.temporaryFolder = folder.WidePath();
    const std::wstring page =
        L"https://localhost:" + std::to_wstring(server.Port()) + L"/page.html";
    ScanOptions options;
    options.checkHttpsLinks = 1;
    EditFileAtLocation(page + L":2", options, services);
    EXPECT_EQ(edited, "one two");
    options.checkHttpsLinks = 0;
    EditFileAtLocation(page + L":2", options, services);
    EXPECT_EQ(commandLines,
              (std::vector<std::wstring>{L"/opt/skarnel/ZentribEditor " +
                                             folder.WidePathOf("page.html__temp_file.txt") + L" 2",
                                         L"/opt/skarnel/ZentribEditor " + page + L" 2"}));
}
