// Link extraction speed: one reading of generated pages of 100 KiB and
// 16 MiB with every group of links on, of the same pages with anchors only,
// of a real manual's pages, and line numbering.
#include <benchmark/benchmark.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

#include "engine/ascii_case.h"
#include "engine/link_extraction.h"

namespace {

constexpr std::size_t kSmallPage = 100 * 1024;
constexpr std::size_t kLargePage = 16 * 1024 * 1024;
constexpr std::size_t kLargePageLinks = 200000;

// The tag forms of the generated pages: the five link tags in lower and
// upper case, and with an upper-case name but a lower-case attribute.
struct TagForm {
    std::string_view opener;
    std::string_view attribute;
};
constexpr std::array<TagForm, 15> kTagForms = {{
    {"<a ", "href"},
    {"<A ", "HREF"},
    {"<A ", "href"},
    {"<img ", "src"},
    {"<IMG ", "SRC"},
    {"<IMG ", "src"},
    {"<link ", "href"},
    {"<script ", "src"},
    {"<form ", "action"},
    {"<LINK ", "HREF"},
    {"<SCRIPT ", "SRC"},
    {"<FORM ", "ACTION"},
    {"<LINK ", "href"},
    {"<SCRIPT ", "src"},
    {"<FORM ", "action"},
}};

// A page of about size bytes holding links links, each on a line of its own
// with filler text between them, the tags taking each form in turn. A
// script is closed at once, as pages close them: its text is no markup.
std::string GeneratePage(std::size_t size, std::size_t links) {
    std::string page = "<html>\n";
    const std::size_t fillerPerLink = size / links;
    for (std::size_t i = 0; i < links; ++i) {
        const TagForm& form = kTagForms[i % kTagForms.size()];
        std::string tag(form.opener);
        tag.append(form.attribute).append("=\"link").append(std::to_string(i)).append(".html\">");
        if (StartsWithIgnoringCase(form.opener, "<script")) tag += "</script>";
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

// The pages of git's manual (Debian's git-doc), one after another, up to
// 16 MiB: real markup, with its scripts, styles and comments.
const std::string& ManualPages() {
    static const std::string pages = [] {
        std::string text;
        const std::filesystem::path folder = "/usr/share/doc/git-doc";
        std::error_code error;
        while (text.size() < kLargePage && std::filesystem::is_directory(folder, error)) {
            const std::size_t before = text.size();
            for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
                if (entry.path().extension() != ".html") continue;
                std::ifstream in(entry.path(), std::ios::binary);
                std::stringstream page;
                page << in.rdbuf();
                text += page.str();
                if (text.size() >= kLargePage) break;
            }
            if (text.size() == before) break;
        }
        return text;
    }();
    return pages;
}

void ReportRates(benchmark::State& state, std::size_t bytesPerIteration, std::size_t linksFound) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytesPerIteration));
    state.counters["links/s"] =
        benchmark::Counter(static_cast<double>(linksFound), benchmark::Counter::kIsRate);
    state.counters["links"] =
        static_cast<double>(linksFound / std::max<std::size_t>(1, state.iterations()));
}

void ReadLinks(benchmark::State& state, const std::string& page, LinkGroups groups) {
    std::size_t found = 0;
    for (auto _ : state) {
        const PageReading reading = ReadPageLinks(page, groups);
        benchmark::DoNotOptimize(reading.links.data());
        found += reading.links.size();
    }
    ReportRates(state, page.size(), found);
}

void BM_ReadPageLinks(benchmark::State& state) {
    const std::string& page = Page(static_cast<std::size_t>(state.range(0)));
    ReadLinks(state, page, state.range(1) == 0 ? kAnchorGroups : kAllLinkGroups);
}
BENCHMARK(BM_ReadPageLinks)
    ->ArgsProduct({{kSmallPage, kLargePage}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

void BM_ReadManualPages(benchmark::State& state) {
    if (ManualPages().empty()) {
        state.SkipWithError("/usr/share/doc/git-doc is not installed");
        return;
    }
    ReadLinks(state, ManualPages(), kAllLinkGroups);
}
BENCHMARK(BM_ReadManualPages)->Unit(benchmark::kMillisecond);

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
