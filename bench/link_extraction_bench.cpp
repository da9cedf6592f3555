// Link extraction speed: one reading of generated pages of 100 KiB and
// 16 MiB with every group of links on, of the same pages with anchors only,
// of a real manual's pages, and line numbering. Where gumbo and libxml2 are
// installed, their HTML parsers read the same pages beside it.
#include <benchmark/benchmark.h>

#ifdef SKARNEL_BENCH_GUMBO
#include <gumbo.h>
#endif
#ifdef SKARNEL_BENCH_LIBXML2
#include <libxml/HTMLparser.h>
#endif

#include <array>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

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

// True, with the case skipped, when the manual is not on this machine.
bool SkippedWithoutManual(benchmark::State& state, const std::string& pages) {
    if (!pages.empty()) return false;
    state.SkipWithError("/usr/share/doc/git-doc is not installed");
    return true;
}

void BM_ReadManualPages(benchmark::State& state) {
    if (SkippedWithoutManual(state, ManualPages())) return;
    ReadLinks(state, ManualPages(), kAllLinkGroups);
}
BENCHMARK(BM_ReadManualPages)->Unit(benchmark::kMillisecond);

#if defined(SKARNEL_BENCH_GUMBO) || defined(SKARNEL_BENCH_LIBXML2)
// The attributes a link checker reads, by name alone: what a library's
// parser hands over has to be sorted at least this much.
bool IsLinkAttribute(std::string_view name) {
    return name == "href" || name == "src" || name == "srcset" || name == "action" ||
           name == "data" || name == "poster";
}

// One library's reading of the case's pages: 0 and 1 the generated ones,
// 2 the manual's.
void ReadWithLibrary(benchmark::State& state, std::size_t (*linksOfPage)(const std::string&)) {
    const std::int64_t which = state.range(0);
    const std::string& page =
        which == 2 ? ManualPages() : Page(which == 0 ? kSmallPage : kLargePage);
    if (SkippedWithoutManual(state, page)) return;
    std::size_t found = 0;
    for (auto _ : state) found += linksOfPage(page);
    ReportRates(state, page.size(), found);
}
#endif

#ifdef SKARNEL_BENCH_GUMBO
// Gumbo builds the whole tree; its attributes carry their source lines.
std::size_t GumboLinks(const std::string& page) {
    GumboOutput* output = gumbo_parse_with_options(&kGumboDefaultOptions, page.data(), page.size());
    std::size_t found = 0;
    std::vector<const GumboNode*> open = {output->root};
    while (!open.empty()) {
        const GumboNode* node = open.back();
        open.pop_back();
        if (node->type != GUMBO_NODE_ELEMENT) continue;
        const GumboVector& attributes = node->v.element.attributes;
        for (unsigned i = 0; i < attributes.length; ++i) {
            const auto* attribute = static_cast<const GumboAttribute*>(attributes.data[i]);
            if (!IsLinkAttribute(attribute->name)) continue;
            benchmark::DoNotOptimize(attribute->name_start.line);
            ++found;
        }
        const GumboVector& children = node->v.element.children;
        for (unsigned i = 0; i < children.length; ++i)
            open.push_back(static_cast<const GumboNode*>(children.data[i]));
    }
    gumbo_destroy_output(&kGumboDefaultOptions, output);
    return found;
}

void BM_GumboLinks(benchmark::State& state) { ReadWithLibrary(state, GumboLinks); }
BENCHMARK(BM_GumboLinks)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
#endif

#ifdef SKARNEL_BENCH_LIBXML2
// libxml2's HTML parser at its fastest, through SAX with no tree. It tells
// an element's line at its end, never an attribute's.
void OnLibxml2StartElement(void* found, const xmlChar*, const xmlChar** attributes) {
    for (const xmlChar** pair = attributes; pair && pair[0]; pair += 2) {
        if (IsLinkAttribute(reinterpret_cast<const char*>(pair[0])))
            ++*static_cast<std::size_t*>(found);
    }
}

std::size_t Libxml2Links(const std::string& page) {
    htmlSAXHandler handler{};
    handler.startElement = OnLibxml2StartElement;
    std::size_t found = 0;
    htmlParserCtxtPtr context =
        htmlCreatePushParserCtxt(&handler, &found, nullptr, 0, nullptr, XML_CHAR_ENCODING_UTF8);
    htmlCtxtUseOptions(
        context, HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET);
    htmlParseChunk(context, page.data(), static_cast<int>(page.size()), 1);
    htmlFreeParserCtxt(context);
    return found;
}

void BM_Libxml2Links(benchmark::State& state) { ReadWithLibrary(state, Libxml2Links); }
// Not the manual's pages: joined, they hold one html element per page, and
// libxml2 hands over nothing past the end of the first.
BENCHMARK(BM_Libxml2Links)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);
#endif

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
