// Link extraction speed: each tag pass, all fifteen passes and line
// numbering, on generated pages of 100 KiB and 16 MiB.
#include <benchmark/benchmark.h>

#include <string>

#include "engine/headless_window.h"
#include "engine/link_extraction.h"

namespace {

constexpr std::size_t kSmallPage = 100 * 1024;
constexpr std::size_t kLargePage = 16 * 1024 * 1024;
constexpr std::size_t kLargePageLinks = 200000;

// A page of about size bytes holding links links, each on a line of its own
// with filler text between them. The tags take every pass's form in turn, so
// each pass finds its share of the links.
std::string GeneratePage(std::size_t size, std::size_t links) {
    std::string page = "<html>\n";
    const std::size_t fillerPerLink = size / links;
    for (std::size_t i = 0; i < links; ++i) {
        const LinkTagPass& pass = LinkTagTable[i % LinkTagTable.size()];
        std::string tag(pass.opener);
        tag.append(pass.attribute).append("=\"link").append(std::to_string(i)).append(".html\">");
        page += tag;
        page += '\n';
        if (fillerPerLink > tag.size() + 2)
            page.append(fillerPerLink - tag.size() - 2, 'x').push_back('\n');
    }
    page += "</html>\n";
    return page;
}

const std::string& Page(std::size_t size) {
    static const std::string small = GeneratePage(kSmallPage, kSmallPage / 80);
    static const std::string large = GeneratePage(kLargePage, kLargePageLinks);
    return size == kSmallPage ? small : large;
}

void ReportRates(benchmark::State& state, std::size_t bytesPerIteration, std::size_t linksFound) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytesPerIteration));
    state.counters["links/s"] =
        benchmark::Counter(static_cast<double>(linksFound), benchmark::Counter::kIsRate);
    state.counters["links"] =
        static_cast<double>(linksFound / std::max<std::size_t>(1, state.iterations()));
}

void BM_OnePass(benchmark::State& state) {
    const std::string& page = Page(static_cast<std::size_t>(state.range(0)));
    const LinkTagPass& pass = LinkTagTable[static_cast<std::size_t>(state.range(1))];
    std::size_t found = 0;
    for (auto _ : state) {
        ScanTagPass(page, pass, PageVariant::kWeb, [&](std::string_view value, int line) {
            benchmark::DoNotOptimize(value);
            benchmark::DoNotOptimize(line);
            ++found;
        });
    }
    ReportRates(state, page.size(), found);
}
BENCHMARK(BM_OnePass)
    ->ArgsProduct({{kSmallPage, kLargePage}, benchmark::CreateDenseRange(0, 14, 1)})
    ->Unit(benchmark::kMillisecond);

void BM_AllFifteenPasses(benchmark::State& state) {
    const std::string& page = Page(static_cast<std::size_t>(state.range(0)));
    const PageVariant variant = state.range(1) == 0 ? PageVariant::kWeb : PageVariant::kLocal;
    HeadlessWindow window;
    window.Options().checkAllTags = 1;
    mainWindow = &window;
    std::size_t found = 0;
    for (auto _ : state) {
        ScanPageLinks(page, variant, [&](std::string_view value, int line) {
            benchmark::DoNotOptimize(value);
            benchmark::DoNotOptimize(line);
            ++found;
        });
    }
    mainWindow = nullptr;
    ReportRates(state, page.size(), found);
}
BENCHMARK(BM_AllFifteenPasses)
    ->ArgsProduct({{kSmallPage, kLargePage}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

// The line of the last byte, counted from the start: the cost that counting
// on from the previous link avoids paying once per link.
void BM_LineOfPosition(benchmark::State& state) {
    const std::string& page = Page(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(LineOfPosition(page, page.size()));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_LineOfPosition)->Arg(kSmallPage)->Arg(kLargePage)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
