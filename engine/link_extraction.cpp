// Link extraction on top of the tokenizer: each start tag is looked up in
// the table, its link attributes cut into URLs, and each URL given the line
// of its attribute. Lines are counted on from the previous link, so a page
// is read once however many links it holds.
#include "engine/link_extraction.h"

#include <cstring>

#include "engine/ascii_case.h"
#include "engine/html_tokenizer.h"
#include "engine/link_classification.h"
#include "engine/main_window_record.h"
#include "engine/page_anchors.h"
#include "engine/web_anchors.h"

namespace {

// Line numbers for positions met in ascending order.
class LineCounter {
public:
    explicit LineCounter(std::string_view text) : m_text(text) {}

    int LineAt(std::size_t position) {
        position = std::min(position, m_text.size());
        if (position < m_position) {
            m_position = 0;
            m_line = 1;
        }
        m_line += CountLineFeeds(m_position, position);
        m_position = position;
        return m_line;
    }

private:
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

    std::string_view m_text;
    std::size_t m_position = 0;
    int m_line = 1;
};

bool IsHtmlSpace(char c) { return c == ' ' || c == '\n' || c == '\t' || c == '\f' || c == '\r'; }

std::size_t SkipSpaces(std::string_view text, std::size_t p) {
    while (p < text.size() && IsHtmlSpace(text[p])) ++p;
    return p;
}

// The value of a tag's first attribute of that name, if it has one.
std::optional<std::string_view> AttributeValue(std::span<const HtmlAttribute> attributes,
                                               std::string_view name) {
    for (const HtmlAttribute& attribute : attributes) {
        if (EqualsIgnoringCase(attribute.name, name)) return attribute.value;
    }
    return std::nullopt;
}

bool MeetsCondition(LinkCondition condition, std::span<const HtmlAttribute> attributes) {
    switch (condition) {
        case LinkCondition::kAlways:
            return true;
        case LinkCondition::kImageInput:
            return EqualsIgnoringCase(AttributeValue(attributes, "type").value_or(""), "image");
        case LinkCondition::kRefreshMeta:
            return EqualsIgnoringCase(AttributeValue(attributes, "http-equiv").value_or(""),
                                      "refresh");
    }
    return false;
}

// Whether any row of the table is for this tag: most tags have none.
bool TagHasLinks(std::string_view name) {
    if (name.empty() || name.size() > 6) return false;
    // The table's tags begin with few letters: most tags (p, div, li, td)
    // are passed over at their first.
    constexpr std::string_view kFirstLetters = "aefilmostv";
    if (kFirstLetters.find(AsciiLower(name[0])) == std::string_view::npos) return false;
    for (const LinkTagEntry& entry : LinkTagTable) {
        if (entry.tag.size() == name.size() && EqualsIgnoringCase(entry.tag, name)) return true;
    }
    return false;
}

// Collects the links of the allowed groups while the page is tokenized.
class LinkCollector final : public HtmlStartTagHandler {
public:
    LinkCollector(std::string_view text, LinkGroups groups, PageAnchors anchors)
        : m_lines(text), m_groups(groups), m_anchors(anchors) {
        m_found.reserve(64);
    }

    void OnStartTag(std::string_view name, std::span<const HtmlAttribute> attributes) override {
        if (m_anchors == PageAnchors::kCollected) AddAnchors(name, attributes);
        if (!m_reading.baseHref && EqualsIgnoringCase(name, "base")) {
            m_reading.baseHref = AttributeValue(attributes, "href");
            return;
        }
        if (!TagHasLinks(name)) return;
        // Each table row counts once a tag: the standard keeps the first of
        // an attribute written twice.
        std::uint32_t rowsSeen = 0;
        for (const HtmlAttribute& attribute : attributes) {
            for (std::size_t row = 0; row < LinkTagTable.size(); ++row) {
                const LinkTagEntry& entry = LinkTagTable[row];
                if (!EqualsIgnoringCase(entry.attribute, attribute.name) ||
                    !EqualsIgnoringCase(entry.tag, name)) {
                    continue;
                }
                const std::uint32_t bit = 1u << row;
                if ((rowsSeen & bit) != 0) break;
                rowsSeen |= bit;
                if (IsAllowed(entry.group) && MeetsCondition(entry.condition, attributes)) {
                    AddLinks(entry, attribute);
                }
                break;
            }
        }
    }

    // The links in group order, each group in text order.
    PageReading Finish() {
        std::array<std::size_t, kLinkGroupCount + 1> starts{};
        for (const GroupedLink& link : m_found) ++starts[static_cast<std::size_t>(link.group) + 1];
        for (std::size_t group = 1; group <= kLinkGroupCount; ++group)
            starts[group] += starts[group - 1];
        m_reading.links.resize(m_found.size());
        for (const GroupedLink& link : m_found)
            m_reading.links[starts[static_cast<std::size_t>(link.group)]++] = link.link;
        return std::move(m_reading);
    }

private:
    struct GroupedLink {
        FoundLink link;
        LinkGroup group;
    };

    bool IsAllowed(LinkGroup group) const {
        return (m_groups & (1u << static_cast<int>(group))) != 0;
    }

    // The element's id, and an <a>'s name: the first of each.
    void AddAnchors(std::string_view name, std::span<const HtmlAttribute> attributes) {
        if (const std::optional<std::string_view> id = AttributeValue(attributes, "id"))
            m_reading.anchors.push_back(*id);
        if (!EqualsIgnoringCase(name, "a")) return;
        if (const std::optional<std::string_view> anchor = AttributeValue(attributes, "name"))
            m_reading.anchors.push_back(*anchor);
    }

    void AddLinks(const LinkTagEntry& entry, const HtmlAttribute& attribute) {
        const int line = m_lines.LineAt(attribute.namePosition);
        switch (entry.form) {
            case LinkValueForm::kUrl:
                m_found.push_back({{attribute.value, line}, entry.group});
                break;
            case LinkValueForm::kSrcset:
                for (const std::string_view url : SrcsetUrls(attribute.value))
                    m_found.push_back({{url, line}, entry.group});
                break;
            case LinkValueForm::kRefresh:
                if (const std::optional<std::string_view> url = RefreshUrl(attribute.value))
                    m_found.push_back({{*url, line}, entry.group});
                break;
        }
    }

    LineCounter m_lines;
    const LinkGroups m_groups;
    const PageAnchors m_anchors;
    std::vector<GroupedLink> m_found;
    PageReading m_reading;
};

// The descriptors after a srcset URL, up to the comma that ends them (one
// inside parentheses does not); returns where the next candidate starts.
std::size_t AfterDescriptors(std::string_view value, std::size_t p) {
    bool inParentheses = false;
    for (; p < value.size(); ++p) {
        const char c = value[p];
        if (inParentheses) {
            inParentheses = c != ')';
        } else if (c == '(') {
            inParentheses = true;
        } else if (c == ',') {
            return p + 1;
        }
    }
    return p;
}

}  // namespace

LinkGroups AllowedLinkGroups(const ScanOptions& options) {
    if (options.checkAllTags) return kAllLinkGroups;
    if (options.checkImages) return kAnchorAndImageGroups;
    return kAnchorGroups;
}

PageReading ReadPageLinks(std::string_view text, LinkGroups groups, PageAnchors anchors) {
    LinkCollector collector(text, groups, anchors);
    TokenizeHtml(text, collector);
    return collector.Finish();
}

PageReading ScanPageLinks(std::string_view text) {
    return ReadPageLinks(text, AllowedLinkGroups(mainWindow->Options()));
}

std::vector<std::string_view> SrcsetUrls(std::string_view value) {
    std::vector<std::string_view> urls;
    std::size_t p = 0;
    while (true) {
        while (p < value.size() && (IsHtmlSpace(value[p]) || value[p] == ',')) ++p;
        if (p >= value.size()) return urls;
        const std::size_t start = p;
        while (p < value.size() && !IsHtmlSpace(value[p])) ++p;
        std::string_view url = value.substr(start, p - start);
        if (url.ends_with(',')) {
            // A URL that ends in commas has no descriptors.
            while (url.ends_with(',')) url.remove_suffix(1);
        } else {
            p = AfterDescriptors(value, p);
        }
        urls.push_back(url);
    }
}

std::optional<std::string_view> RefreshUrl(std::string_view content) {
    std::size_t p = SkipSpaces(content, 0);
    const std::size_t timeStart = p;
    while (p < content.size() && content[p] >= '0' && content[p] <= '9') ++p;
    if (p == timeStart && (p >= content.size() || content[p] != '.')) return std::nullopt;
    while (p < content.size() && ((content[p] >= '0' && content[p] <= '9') || content[p] == '.'))
        ++p;
    if (p >= content.size()) return std::nullopt;
    if (!IsHtmlSpace(content[p]) && content[p] != ';' && content[p] != ',') return std::nullopt;
    p = SkipSpaces(content, p);
    if (p < content.size() && (content[p] == ';' || content[p] == ',')) ++p;
    p = SkipSpaces(content, p);
    if (p >= content.size()) return std::nullopt;
    // "url" and "=" may be left out; without "=" the text from "u" on is the URL.
    std::string_view url = content.substr(p);
    if (StartsWithIgnoringCase(url, "url")) {
        const std::size_t equals = SkipSpaces(content, p + 3);
        if (equals < content.size() && content[equals] == '=') {
            p = SkipSpaces(content, equals + 1);
            url = content.substr(p);
        }
    }
    if (!url.empty() && (url.front() == '"' || url.front() == '\'')) {
        const char quote = url.front();
        url.remove_prefix(1);
        url = url.substr(0, url.find(quote));
    }
    return url;
}

int LineOfPosition(std::string_view text, std::size_t position) {
    return LineCounter(text).LineAt(position);
}

std::string WebLinkLocation(const std::string& pageUrl, int line) {
    std::string location = pageUrl;
    location.push_back(':');
    return location.append(std::to_string(line));
}

std::vector<WebCheck> ScanWebPageLinks(std::string_view text, const std::string& base,
                                       const std::string& pageUrl, PageAnchorUse anchors,
                                       PageLinkUse links) {
    const LinkGroups groups =
        links == PageLinkUse::kFollowed ? AllowedLinkGroups(mainWindow->Options()) : 0;
    const PageReading reading = ReadPageLinks(
        text, groups,
        anchors == PageAnchorUse::kKept ? PageAnchors::kCollected : PageAnchors::kSkipped);
    if (anchors == PageAnchorUse::kKept) {
        TheWebAnchors().PageRead(pageUrl, std::make_shared<const AnchorSet>(reading.anchors));
    }
    WebLinkBase linkBase{pageUrl, base, {}};
    if (reading.baseHref) linkBase.documentBase = WebDocumentBase(*reading.baseHref, base);
    std::vector<WebCheck> checks;
    for (const FoundLink& link : reading.links) {
        std::optional<WebCheck> check =
            ClassifyWebLink(link.value, WebLinkLocation(pageUrl, link.line), linkBase);
        if (check) checks.push_back(*std::move(check));
    }
    return checks;
}
