// The per-link costs around extraction: the URL functions and classifiers,
// the visited-URL and reported-links look-ups as the lists grow, and the
// chunked body decoder fed from memory through a fake socket.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "engine/http_exchange.h"
#include "engine/indexed_text_list.h"
#include "engine/link_classification.h"
#include "engine/url_functions.h"

namespace {

// Link values of the kinds a page holds, one of each classifier branch.
const std::vector<std::string>& LinkValues() {
    static const std::vector<std::string> values = {
        "http://www.example.com/products/list.html",
        "mailto:someone@example.com",
        "/images/logo.png",
        "sub/folder/page.html",
        "page.html#section-two",
        "javascript:void(0)",
        "../up/one.html",
        "https://secure.example.com/",
    };
    return values;
}

const std::string kBase = "http://www.example.com/catalogue/2026/";
const LocalPath kLocalBase{L"/home/user/sites/example/catalogue/2026/",
                           "/home/user/sites/example/catalogue/2026/"};

void BM_KindOfLink(benchmark::State& state) {
    const auto& values = LinkValues();
    for (auto _ : state)
        for (const std::string& value : values) benchmark::DoNotOptimize(KindOfLink(value));
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(values.size()));
}
BENCHMARK(BM_KindOfLink);

// Resolution of the links that resolve: relative and root-relative ones.
template <typename Resolve>
void ResolveEach(benchmark::State& state, Resolve resolve) {
    std::vector<std::pair<std::string, LinkKind>> links;
    for (const std::string& value : LinkValues()) {
        const LinkKind kind = KindOfLink(value);
        if (kind == LinkKind::kRelative || kind == LinkKind::kRootRelative)
            links.emplace_back(value, kind);
    }
    for (auto _ : state)
        for (const auto& [value, kind] : links) benchmark::DoNotOptimize(resolve(value, kind));
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(links.size()));
}

void BM_ResolveWebLink(benchmark::State& state) {
    ResolveEach(state, [](const std::string& value, LinkKind kind) {
        return ResolveWebLink(value, kind, kBase);
    });
}
BENCHMARK(BM_ResolveWebLink);

void BM_ResolveLocalLink(benchmark::State& state) {
    ResolveEach(state, [](const std::string& value, LinkKind kind) {
        return ResolveLocalLink(value, kind, kLocalBase);
    });
}
BENCHMARK(BM_ResolveLocalLink);

void BM_UrlParts(benchmark::State& state) {
    const std::string url = kBase + "sub/folder/page.html?query=1";
    for (auto _ : state) {
        benchmark::DoNotOptimize(GetUrlHost(url));
        benchmark::DoNotOptimize(GetUrlRequestPath(url));
        benchmark::DoNotOptimize(GetUrlFolder(url));
    }
    state.SetItemsProcessed(state.iterations() * 3);
}
BENCHMARK(BM_UrlParts);

// Site-like entries: long common prefixes, as the URLs of one site have.
template <typename Char>
std::basic_string<Char> Entry(std::size_t i) {
    const std::string text =
        kBase + "d" + std::to_string(i % 97) + "/p" + std::to_string(i) + ".html";
    return std::basic_string<Char>(text.begin(), text.end());
}

// A look-up of an entry that is there and of one that is not, in a list of
// range(0) entries: the cost must not grow with the list.
template <typename Char>
void BM_Lookup(benchmark::State& state) {
    const auto entries = static_cast<std::size_t>(state.range(0));
    IndexedTextList<Char> list;
    for (std::size_t i = 0; i < entries; ++i) list.Add(Entry<Char>(i));
    std::vector<std::basic_string<Char>> probes;
    for (std::size_t i = 0; i < 64; ++i) {
        probes.push_back(Entry<Char>(i * entries / 64));
        probes.push_back(Entry<Char>(entries + i));
    }
    std::size_t found = 0;
    for (auto _ : state)
        for (const auto& probe : probes) found += list.Contains(probe) ? 1 : 0;
    benchmark::DoNotOptimize(found);
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(probes.size()));
}
BENCHMARK(BM_Lookup<char>)->Name("BM_VisitedUrlLookup")->Arg(1000)->Arg(10000)->Arg(100000);
BENCHMARK(BM_Lookup<wchar_t>)->Name("BM_ReportedLinkLookup")->Arg(1000)->Arg(10000)->Arg(100000);

// Serves a fixed response from memory, as large as each read asks for.
class MemorySocket final : public ResponseSource {
public:
    explicit MemorySocket(std::string_view data) : m_data(data) {}
    ReadStatus Read(char* buffer, std::size_t size, int, std::size_t* count) override {
        *count = std::min(size, m_data.size() - m_read);
        std::memcpy(buffer, m_data.data() + m_read, *count);
        m_read += *count;
        return *count == 0 ? ReadStatus::kEnded : ReadStatus::kData;
    }

private:
    std::string_view m_data;
    std::size_t m_read = 0;
};

constexpr std::size_t kBodySize = 4 * 1024 * 1024;
constexpr std::size_t kFirstBlockSize = 1000;

// A chunked text response of kBodySize bytes in chunks of range bytes.
std::string ChunkedResponse(std::size_t chunkSize) {
    std::string response =
        "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nTransfer-Encoding: chunked\r\n\r\n";
    char sizeLine[32];
    for (std::size_t sent = 0; sent < kBodySize; sent += chunkSize) {
        const std::size_t size = std::min(chunkSize, kBodySize - sent);
        std::snprintf(sizeLine, sizeof sizeLine, "%zx\r\n", size);
        response += sizeLine;
        response.append(size, 'x');
        response += "\r\n";
    }
    return response + "0\r\n\r\n";
}

void BM_DecodeChunkedBody(benchmark::State& state) {
    const std::string response = ChunkedResponse(static_cast<std::size_t>(state.range(0)));
    const std::string_view firstBlock = std::string_view(response).substr(0, kFirstBlockSize);
    const std::string_view rest = std::string_view(response).substr(kFirstBlockSize);
    std::string body;
    for (auto _ : state) {
        MemorySocket socket(rest);
        body.clear();
        DecodeChunkedBody(firstBlock, socket, body);
        benchmark::DoNotOptimize(body.data());
    }
    if (body.size() != kBodySize) state.SkipWithError("decoded body has the wrong size");
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kBodySize));
}
BENCHMARK(BM_DecodeChunkedBody)->Arg(1024)->Arg(8192)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
