// Link extraction over any page text, both variants, every option setting.
// Each pass must hand on exactly what a plain search of the text finds
// (quoted values as each variant cuts them, unquoted ones up to white space
// or ">"), each value must be a piece of the page text, and the passes the
// options allow must run in table order.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/headless_window.h"
#include "engine/link_extraction.h"
#include "fuzz/fuzz_check.h"

namespace {

struct FoundLink {
    std::size_t start;
    std::size_t length;
    int line;

    bool operator==(const FoundLink&) const = default;
};

constexpr std::size_t kNone = std::string_view::npos;

int CountedLine(std::string_view text, std::size_t position) {
    position = std::min(position, text.size());
    return 1 + static_cast<int>(std::count(text.begin(), text.begin() + position, '\n'));
}

// Where the value starting at start ends, or kNone when it is dropped.
std::size_t ValueEnd(std::string_view text, std::size_t start, PageVariant variant) {
    if (variant == PageVariant::kLocal) {
        const std::size_t quote = text.find_first_of("'\"", start);
        return quote == kNone ? text.size() : quote;
    }
    const std::size_t stop = text.find_first_of("'\">", start);
    if (stop == kNone || text[stop] == '>' || stop + 1 >= text.size()) return kNone;
    return stop;
}

// "=" then a character that is no quote, no white space and no ">": a value
// written without quotes, which ends at white space or ">" (kNone when the
// text ends first).
bool UnquotedValue(std::string_view text, std::size_t afterName, std::size_t* start,
                   std::size_t* end) {
    if (afterName + 1 >= text.size() || text[afterName] != '=') return false;
    constexpr std::string_view kEnds = " \t\r\n\f>";
    const char first = text[afterName + 1];
    if (first == '"' || first == '\'' || kEnds.find(first) != kNone) return false;
    *start = afterName + 1;
    *end = text.find_first_of(kEnds, *start);
    return true;
}

// One pass written as plainly as possible: every search from scratch.
std::vector<FoundLink> PlainPass(std::string_view text, const LinkTagPass& pass,
                                 PageVariant variant) {
    std::vector<FoundLink> found;
    for (std::size_t p = text.find(pass.opener, 1); p != kNone; p = text.find(pass.opener, p + 1)) {
        const std::size_t name = text.find(pass.attribute, p + 1);
        const std::size_t tagEnd = text.find('>', p + 1);
        if (name == kNone || (tagEnd != kNone && tagEnd < name)) continue;
        const std::size_t afterName = name + pass.attribute.size();
        std::size_t unquotedStart = 0;
        std::size_t unquotedEnd = 0;
        if (UnquotedValue(text, afterName, &unquotedStart, &unquotedEnd)) {
            if (unquotedEnd != kNone) {
                found.push_back(
                    {unquotedStart, unquotedEnd - unquotedStart, CountedLine(text, name)});
            }
            continue;
        }
        if (text.substr(afterName, 2) == "=>") continue;
        const std::size_t start = afterName + 2;
        if (start > text.size()) continue;
        const std::size_t end = ValueEnd(text, start, variant);
        if (end == kNone) continue;
        found.push_back({start, end - start, CountedLine(text, name)});
    }
    return found;
}

// Collects what a scan hands on, checking that every value lies in text.
class Collector {
public:
    explicit Collector(std::string_view text) : m_text(text) {}

    FoundLinkHandler Handler() {
        return [this](std::string_view value, int line) {
            const char* const begin = m_text.data();
            FUZZ_CHECK(value.data() >= begin && value.data() <= begin + m_text.size());
            const auto start = static_cast<std::size_t>(value.data() - begin);
            FUZZ_CHECK(value.size() <= m_text.size() - start);
            m_found.push_back({start, value.size(), line});
        };
    }

    std::vector<FoundLink> m_found;

private:
    std::string_view m_text;
};

std::size_t AllowedPasses(const ScanOptions& options) {
    if (options.checkAllTags) return LinkTagTable.size();
    return options.checkImages ? kImagePassEnd : kAnchorPassCount;
}

// Flags as stored in a configuration file: any non-zero value means on.
int FlagValue(unsigned bits) {
    constexpr int kValues[] = {0, 1, 2, -1};
    return kValues[bits & 3];
}

HeadlessWindow& Window() {
    static HeadlessWindow window;
    mainWindow = &window;
    return window;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const unsigned setting = data[0];
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    const PageVariant variant = setting & 1 ? PageVariant::kLocal : PageVariant::kWeb;
    ScanOptions& options = Window().Options();
    options.checkImages = FlagValue(setting >> 1);
    options.checkAllTags = FlagValue(setting >> 3);

    std::vector<FoundLink> expected;
    for (std::size_t i = 0; i < LinkTagTable.size(); ++i) {
        Collector pass(text);
        ScanTagPass(text, LinkTagTable[i], variant, pass.Handler());
        const std::vector<FoundLink> plain = PlainPass(text, LinkTagTable[i], variant);
        FUZZ_CHECK(pass.m_found == plain);
        for (const FoundLink& link : plain) {
            FUZZ_CHECK(LineOfPosition(text, link.start) >= link.line);
        }
        if (i < AllowedPasses(options)) expected.insert(expected.end(), plain.begin(), plain.end());
    }

    Collector all(text);
    ScanPageLinks(text, variant, all.Handler());
    FUZZ_CHECK(all.m_found == expected);

    // Line numbers at a few positions, also past the end.
    for (std::size_t position : {std::size_t{0}, text.size() / 3, text.size(), text.size() + 7}) {
        FUZZ_CHECK(LineOfPosition(text, position) == CountedLine(text, position));
    }
    return 0;
}
