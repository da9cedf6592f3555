// Link extraction. Each pass searches the text once from front to back: the
// searches for the attribute, ">" and the stop characters remember their last
// answer, and line numbers are counted on from the previous link, so a pass
// stays linear however many links a page holds.
#include "engine/link_extraction.h"

#include <cstring>

#include "engine/link_classification.h"
#include "engine/main_window_record.h"

namespace {

constexpr std::size_t kNone = std::string_view::npos;

// The first occurrence of a needle at or after a position, for positions
// that never go backwards: a remembered answer that still lies ahead is
// still the first one.
class ForwardSearch {
public:
    enum class Match { kWholeNeedle, kAnyCharacter };

    ForwardSearch(std::string_view text, std::string_view needle, Match match = Match::kWholeNeedle)
        : m_text(text), m_needle(needle), m_match(match) {}

    std::size_t From(std::size_t position) {
        if (!m_searched || (m_found != kNone && m_found < position)) {
            m_found = m_match == Match::kWholeNeedle ? m_text.find(m_needle, position)
                                                     : m_text.find_first_of(m_needle, position);
            m_searched = true;
        }
        return m_found;
    }

private:
    std::string_view m_text;
    std::string_view m_needle;
    Match m_match;
    std::size_t m_found = kNone;
    bool m_searched = false;
};

// Line numbers for positions met in ascending order.
class LineCounter {
public:
    explicit LineCounter(std::string_view text) : m_text(text) {}

    int LineAt(std::size_t position) {
        if (position < m_position) {
            m_position = 0;
            m_line = 1;
        }
        m_line += CountLineFeeds(m_position, position);
        m_position = position;
        return m_line;
    }

    int CountLineFeeds(std::size_t from, std::size_t to) const {
        int count = 0;
        const char* cursor = m_text.data() + from;
        const char* const end = m_text.data() + to;
        while (cursor < end) {
            const void* found = std::memchr(cursor, '\n', static_cast<std::size_t>(end - cursor));
            if (found == nullptr) break;
            ++count;
            cursor = static_cast<const char*>(found) + 1;
        }
        return count;
    }

private:
    std::string_view m_text;
    std::size_t m_position = 0;
    int m_line = 1;
};

// The stop characters of one pass and where the value starting at a
// position ends.
class ValueCutter {
public:
    ValueCutter(std::string_view text, PageVariant variant)
        : m_text(text),
          m_variant(variant),
          m_apostrophe(text, "'"),
          m_quote(text, "\""),
          m_tagEnd(text, ">"),
          m_unquotedEnd(text, kUnquotedValueEnd, ForwardSearch::Match::kAnyCharacter) {}

    // The value of the attribute whose name ends at afterName, or false when
    // there is none to hand on.
    bool CutAfterName(std::size_t afterName, std::string_view* value) {
        if (StartsUnquotedValue(afterName)) return CutUnquoted(afterName + 1, value);
        // "=" and the tag's end: the attribute has no value at all.
        if (m_text.substr(afterName).starts_with("=>")) return false;
        // Otherwise the two characters after the name are taken to be "=" and a quote.
        return Cut(afterName + 2, value);
    }

private:
    // White space and the tag's end close an unquoted value.
    static constexpr std::string_view kUnquotedValueEnd = " \t\r\n\f>";

    // "=" directly followed by a character that is no quote and no white
    // space: the value is written without quotes.
    bool StartsUnquotedValue(std::size_t afterName) const {
        if (afterName + 1 >= m_text.size() || m_text[afterName] != '=') return false;
        const char first = m_text[afterName + 1];
        return first != '"' && first != '\'' && kUnquotedValueEnd.find(first) == kNone;
    }

    // An unquoted value runs up to white space or ">", as a browser reads it;
    // one that the text ends before that belongs to no finished tag.
    bool CutUnquoted(std::size_t start, std::string_view* value) {
        const std::size_t end = m_unquotedEnd.From(start);
        if (end == kNone) return false;
        *value = m_text.substr(start, end - start);
        return true;
    }

    // A value from start up to a quote, as the variant reads it.
    bool Cut(std::size_t start, std::string_view* value) {
        if (start > m_text.size()) return false;
        const std::size_t quote = std::min(m_apostrophe.From(start), m_quote.From(start));
        if (m_variant == PageVariant::kLocal) {
            *value = m_text.substr(start, quote == kNone ? kNone : quote - start);
            return true;
        }
        const std::size_t tagEnd = m_tagEnd.From(start);
        if (quote == kNone || (tagEnd != kNone && tagEnd < quote)) return false;
        if (quote + 1 >= m_text.size()) return false;
        *value = m_text.substr(start, quote - start);
        return true;
    }

    std::string_view m_text;
    PageVariant m_variant;
    ForwardSearch m_apostrophe;
    ForwardSearch m_quote;
    ForwardSearch m_tagEnd;
    ForwardSearch m_unquotedEnd;
};

std::size_t AllowedPassCount() {
    const ScanOptions& options = mainWindow->Options();
    if (options.checkAllTags) return LinkTagTable.size();
    if (options.checkImages) return kImagePassEnd;
    return kAnchorPassCount;
}

template <typename String>
String LocationText(const String& pageName, int line) {
    String location = pageName;
    location.push_back(':');
    for (const char digit : std::to_string(line)) location.push_back(digit);
    return location;
}

}  // namespace

int LineOfPosition(std::string_view text, std::size_t position) {
    return LineCounter(text).LineAt(std::min(position, text.size()));
}

void ScanTagPass(std::string_view text, const LinkTagPass& pass, PageVariant variant,
                 const FoundLinkHandler& handler) {
    ForwardSearch opener(text, pass.opener);
    ForwardSearch attribute(text, pass.attribute);
    ForwardSearch tagEnd(text, ">");
    ValueCutter cutter(text, variant);
    LineCounter lines(text);
    // An opener at the very first byte is never found: the search starts at 1.
    for (std::size_t p = opener.From(1); p != kNone; p = opener.From(p + 1)) {
        const std::size_t name = attribute.From(p + 1);
        const std::size_t end = tagEnd.From(p + 1);
        if (name == kNone || (end != kNone && end < name)) continue;
        std::string_view value;
        if (!cutter.CutAfterName(name + pass.attribute.size(), &value)) continue;
        handler(value, lines.LineAt(name));
    }
}

void ScanPageLinks(std::string_view text, PageVariant variant, const FoundLinkHandler& handler) {
    const std::size_t passCount = AllowedPassCount();
    for (std::size_t i = 0; i < passCount; ++i)
        ScanTagPass(text, LinkTagTable[i], variant, handler);
}

void ScanWebPageTags(std::string_view text, const std::string& base, std::string_view opener,
                     std::string_view attribute, const std::string& pageUrl) {
    ScanTagPass(text, {opener, attribute}, PageVariant::kWeb,
                [&](std::string_view value, int line) {
                    ClassifyWebLink(value, LocationText(pageUrl, line), base);
                });
}

void ScanLocalPageTags(std::string_view text, const std::wstring& base, std::string_view opener,
                       std::string_view attribute, const std::wstring& pagePath) {
    ScanTagPass(text, {opener, attribute}, PageVariant::kLocal,
                [&](std::string_view value, int line) {
                    ClassifyLocalLink(value, LocationText(pagePath, line), base);
                });
}

void ScanWebPageLinks(std::string_view text, const std::string& base, const std::string& pageUrl) {
    ScanPageLinks(text, PageVariant::kWeb, [&](std::string_view value, int line) {
        ClassifyWebLink(value, LocationText(pageUrl, line), base);
    });
}
