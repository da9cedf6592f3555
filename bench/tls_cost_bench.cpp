// What TLS costs per page: one page fetched as the crawl fetches it (the
// exchange, then the text body) from the same nginx over plain http, over
// https resuming the TLS session (as every page after a host's first does),
// and over https with a full handshake (a host's first page). nginx closes
// each connection, so a body ends at the close and not at the 500 ms idle
// read that a kept-alive connection would add to every case alike.
#include <benchmark/benchmark.h>

#include <string>

#include "engine/http_exchange.h"
#include "platform/tls.h"
#include "testing/nginx_server.h"
#include "testing/test_certificates.h"

namespace {

// Port 80 and 443 of an address of its own (see scan_end_to_end_bench).
constexpr const char* kAddress = "127.81.0.3";
constexpr std::size_t kPageBytes = 10 * 1024;

enum class Transport { kHttp, kHttpsResumed, kHttpsFullHandshake };

// A page of about kPageBytes: lines of anchors, as a real page has.
std::string Page() {
    std::string page = "<html>\n";
    for (int i = 0; page.size() < kPageBytes; ++i) {
        page += "<p><a href=\"page" + std::to_string(i) + ".html\">page " + std::to_string(i) +
                "</a></p>\n";
    }
    return page;
}

struct Site {
    TempFolder root;
    TempFolder certificates;
    std::unique_ptr<NginxServer> server;
    std::string failure;
};

// Made on first use and kept for the run; nginx stops when the program ends.
const Site& TheSite() {
    static const std::unique_ptr<Site> site = [] {
        auto made = std::make_unique<Site>();
        made->root.Put("page.html", Page());
        ServerCertificate certificate;
        if (!MakeServerCertificate(made->certificates, "site", kAddress, CertificateKind::kValid,
                                   &certificate, &made->failure)) {
            return made;
        }
        NginxSetup setup;
        setup.connections = NginxConnections::kCloseEach;
        setup.tls = NginxTls{certificate.certificate, certificate.key, "", ""};
        made->server = std::make_unique<NginxServer>(kAddress, made->root.Path(), setup);
        if (!made->server->IsListening()) made->failure = made->server->Failure();
        return made;
    }();
    return *site;
}

void BM_PageFetch(benchmark::State& state) {
    const Site& site = TheSite();
    if (!site.failure.empty()) {
        state.SkipWithError(site.failure.c_str());
        return;
    }
    const auto transport = static_cast<Transport>(state.range(0));
    const bool https = transport != Transport::kHttp;
    const std::string address =
        https ? site.server->HttpsUrl("/page.html") : site.server->Url("/page.html");
    state.SetLabel(transport == Transport::kHttp           ? "http"
                   : transport == Transport::kHttpsResumed ? "https, session resumed"
                                                           : "https, full handshake");
    std::size_t bytes = 0;
    for (auto _ : state) {
        if (transport == Transport::kHttpsFullHandshake) ForgetTlsClientSessions();
        FirstBlockResult result =
            FetchFirstBlock(address, kPageFirstRead, kPageFirstTimeoutMs,
                            https ? HttpsLinks::kChecked : HttpsLinks::kIgnored);
        if (result.outcome != FetchOutcome::kFirstBlock) {
            state.SkipWithError(("no page: " + result.failure).c_str());
            return;
        }
        const std::string body = ReadTextBody(result.firstBlock, *result.connection);
        result.connection->Close();
        if (body.size() < kPageBytes) {
            state.SkipWithError("the page came back short");
            return;
        }
        bytes += body.size();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_PageFetch)
    ->DenseRange(0, 2)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
