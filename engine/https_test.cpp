// Checking https links over TLS, end to end: nginx with certificates of a
// test CA on loopback, an in-process TLS server for names and ports, and
// servers that stall or speak the wrong protocol.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>

#include "engine/edit_file.h"
#include "engine/http_exchange.h"
#include "engine/scan_control.h"
#include "engine/web_check_rows.h"
#include "platform/command_line.h"
#include "platform/file.h"
#include "platform/text_codec.h"
#include "testing/nginx_server.h"
#include "testing/scan_fixture.h"
#include "testing/test_certificates.h"
#include "testing/tls_test_server.h"

namespace {

using namespace std::chrono_literals;
using RowList = std::vector<std::vector<std::wstring>>;

RowList Sorted(RowList rows) {
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TrustTheTestCa() {
    std::string error;
    ASSERT_TRUE(TrustTestAuthority(&error)) << error;
}

class HttpsScan : public ScanFixture {
protected:
    void SetUp() override {
        ScanFixture::SetUp();
        TrustTheTestCa();
        m_window.Options().checkHttpsLinks = 1;
    }

    // nginx serving m_site on port 80 and, with a certificate of kind for
    // subject (its own address when empty), with TLS on port 443.
    std::unique_ptr<NginxServer> StartServer(unsigned index, CertificateKind kind,
                                             NginxSetup setup = {}, std::string subject = "") {
        const std::string address = LoopbackAddressForTest(index);
        ServerCertificate certificate;
        std::string error;
        EXPECT_TRUE(MakeServerCertificate(m_certificates, "server" + std::to_string(index),
                                          subject.empty() ? address : subject, kind, &certificate,
                                          &error))
            << error;
        setup.tls =
            NginxTls{certificate.certificate, certificate.key,
                     setup.tls ? setup.tls->protocols : "", setup.tls ? setup.tls->ciphers : ""};
        return std::make_unique<NginxServer>(address, m_site.Path(), setup);
    }

    TempFolder m_certificates;
    TempFolder m_site;
};

#define START_OR_SKIP(server)        \
    SKIP_WITHOUT_PORT_80(*(server)); \
    ASSERT_TRUE((server)->IsListening()) << (server)->Failure()

}  // namespace

TEST_F(HttpsScan, HttpsPagesAreCrawledAndTheirLinksStayHttps) {
    const std::string host = LoopbackAddressForTest();
    const std::string https = "https://" + host;
    m_site.Put("index.html", "<html>\n" + Anchor("/sub/b.html") + Anchor("sub") +
                                 Anchor(https + "/a.html") + Anchor("http://" + host + "/a.html") +
                                 Anchor("gone.html"));
    m_site.Put("sub/b.html", "<html>\n" + Anchor(https + "/"));
    m_site.Put("a.html", "plain");
    NginxSetup redirecting;
    redirecting.redirectToHttps = true;
    const auto server = StartServer(0, CertificateKind::kValid, redirecting);
    START_OR_SKIP(server);

    // The plain address is moved to the https one: the suffix names it, and
    // the redirect is not followed.
    ScanAndWait(Widen("http://" + host + "/"));
    const std::wstring start = Widen(https + "/");
    EXPECT_EQ(Rows(),
              (RowList{{Widen("http://" + host + "/"), L"301 Moved Permanently =>  " + start,
                        Widen("http://" + host + "/")}}));

    ScanAndWait(start);
    const auto at = [&](int line) { return start + L":" + std::to_wstring(line); };
    EXPECT_EQ(Sorted(Rows()),
              Sorted({
                  {start, L"200 OK", start},
                  {start + L"sub/b.html", L"200 OK", at(2)},
                  {start + L"sub", L"301 Moved Permanently =>  " + start + L"sub/", at(3)},
                  {start + L"a.html", L"200 OK", at(4)},
                  {Widen("http://" + host + "/a.html"), L"301 Moved Permanently", at(5)},
                  {start + L"gone.html", L"404 Not Found", at(6)},
                  {start, L"200 OK", start + L"sub/b.html:2"},
              }));
    EXPECT_EQ(m_window.StatusText(), L"Total links found: 7, errors: 1");
}

TEST_F(HttpsScan, LocalPageWithHttpsLinksReportsEachServersCertificateAndProtocol) {
    m_site.Put("index.html", "ok");
    NginxSetup tls10Only;
    // Debian's OpenSSL refuses TLS 1.0 at its default security level, on the
    // server side too.
    tls10Only.tls = NginxTls{{}, {}, "TLSv1", "DEFAULT:@SECLEVEL=0"};
    const auto valid = StartServer(0, CertificateKind::kValid);
    START_OR_SKIP(valid);
    const auto expired = StartServer(1, CertificateKind::kExpired);
    START_OR_SKIP(expired);
    const auto otherHost = StartServer(2, CertificateKind::kValid, {}, LoopbackAddressForTest(9));
    START_OR_SKIP(otherHost);
    const auto selfSigned = StartServer(3, CertificateKind::kSelfSigned);
    START_OR_SKIP(selfSigned);
    const auto oldProtocol = StartServer(4, CertificateKind::kValid, tls10Only);
    START_OR_SKIP(oldProtocol);

    const std::vector<std::string> links = {
        valid->HttpsUrl("/"), expired->HttpsUrl("/"), otherHost->HttpsUrl("/"),
        selfSigned->HttpsUrl("/"), oldProtocol->HttpsUrl("/"),
        // Plain http where TLS is expected.
        "https://" + valid->Address() + ":80/", valid->Url("/")};
    std::string page = "<html>\n";
    for (const std::string& link : links) page += Anchor(link);
    TempFolder local;
    const std::wstring path = local.WidePathOf("page.html");
    local.Put("page.html", page);
    const auto at = [&](std::size_t index) { return path + L":" + std::to_wstring(index + 2); };
    m_window.Options().checkExternalUrls = 1;

    m_window.Options().checkHttpsLinks = 0;
    ScanAndWait(path);
    EXPECT_EQ(Rows(), (RowList{{path, L"OK", path}, {Widen(links[6]), L"200 OK", at(6)}}));

    m_window.Options().checkHttpsLinks = 1;
    m_window.Options().checkExternalUrls = 0;
    ScanAndWait(path);
    RowList skipped = {{path, L"OK", path}};
    for (std::size_t i = 0; i < links.size(); ++i) {
        skipped.push_back({Widen(links[i]), L"Absolute URL - skipped", at(i)});
    }
    EXPECT_EQ(Rows(), skipped);

    m_window.Options().checkExternalUrls = 1;
    ScanAndWait(path);
    const std::vector<std::wstring> states = {L"200 OK",
                                              L"Certificate error: certificate has expired",
                                              L"Certificate error: IP address mismatch",
                                              L"Certificate error: self-signed certificate",
                                              L"TLS error: tlsv1 alert protocol version",
                                              L"TLS error: wrong version number",
                                              L"200 OK"};
    RowList checked = {{path, L"OK", path}};
    for (std::size_t i = 0; i < links.size(); ++i) {
        checked.push_back({Widen(links[i]), states[i], at(i)});
    }
    EXPECT_EQ(Rows(), checked);
    EXPECT_EQ(m_window.StatusText(), L"Total links found: 8, errors: 5");
}

TEST_F(HttpsScan, StopDuringAStalledHandshakeEndsTheScanWithinTheHandshakesTimeOut) {
    ScriptedHttpServer server(LoopbackAddressForTest());
    SKIP_WITHOUT_PORT_80(server);
    server.SetDefaultResponse(NeverAnswer());
    const std::wstring address = Widen("https://" + server.Address() + ":80/");
    const auto started = std::chrono::steady_clock::now();
    Start(address);
    while (server.ConnectionsAccepted() == 0 && std::chrono::steady_clock::now() < started + 30s) {
        std::this_thread::sleep_for(5ms);
    }
    ASSERT_EQ(server.ConnectionsAccepted(), 1u);
    StopScan();
    EXPECT_EQ(m_window.StatusText(), L"Total links found: 0, errors: 0");
    WaitForScanEnd();
    EXPECT_LT(std::chrono::steady_clock::now() - started,
              std::chrono::milliseconds(kPageFirstTimeoutMs) + 5s);
    // The check in flight runs to its end, as every check past its start does.
    EXPECT_EQ(Rows(), (RowList{{address, L"TLS error: handshake timed out", address}}));
}

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
    // It waited for its time-out (give or take the timers' precision), and
    // no longer.
    EXPECT_GE(waited, 250ms);
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
        EXPECT_EQ(ReadTextBody(result.firstBlock, *result.connection), "hello");
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
        const std::vector<std::wstring> arguments = SplitCommandLine(commandLine);
        // The page's copy, when there is one; an address opens no file.
        if (arguments.size() > 1) (void)ReadWholeFile(arguments[1], &edited);
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
    ASSERT_EQ(commandLines.size(), 2u);
    // The copy lies in a private folder of the temporary folder.
    EXPECT_TRUE(commandLines[0].starts_with(L"/opt/skarnel/ZentribEditor " + folder.WidePath() +
                                            L"/skarnel-"));
    EXPECT_TRUE(commandLines[0].ends_with(L"/page.html__temp_file.txt 2"));
    EXPECT_EQ(commandLines[1], L"/opt/skarnel/ZentribEditor " + page + L" 2");
}
