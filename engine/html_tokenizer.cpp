// The HTML tokenizer's states for start tags, end tags, comments,
// declarations and the text-only elements, written as loops over the page
// rather than one step per byte: text between tags is skipped with memchr,
// quoted values likewise, so most of a page is read at memory speed.
#include "engine/html_tokenizer.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/ascii_case.h"

namespace {

constexpr std::size_t kEnd = std::string_view::npos;

// What ends a name or value inside a tag, one bit each, for every byte.
enum : std::uint8_t { kSpace = 1, kSlash = 2, kTagEnd = 4, kEquals = 8 };

constexpr std::array<std::uint8_t, 256> kCharacterClasses = [] {
    std::array<std::uint8_t, 256> classes{};
    // The standard's white space inside tags; a lone CR is a line end there.
    for (const unsigned char c : {' ', '\n', '\t', '\f', '\r'}) classes[c] = kSpace;
    classes['/'] = kSlash;
    classes['>'] = kTagEnd;
    classes['='] = kEquals;
    return classes;
}();

bool IsIn(char c, std::uint8_t classes) {
    return (kCharacterClasses[static_cast<unsigned char>(c)] & classes) != 0;
}

bool IsTagSpace(char c) { return IsIn(c, kSpace); }

bool IsAsciiAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// What follows a start tag: markup, or text up to the element's end tag.
enum class ContentModel { kMarkup, kRawText, kScriptData, kPlainText };

struct TextOnlyElement {
    std::string_view name;
    ContentModel model;
};

// Elements whose content the tree builder hands to the tokenizer as text.
// textarea and title decode character references in it (RCDATA), which
// changes no tag boundary, so they end as raw text does. noscript stays
// markup: a link checker reads a page as a reader without scripts sees it.
constexpr TextOnlyElement kTextOnlyElements[] = {
    {"script", ContentModel::kScriptData},   {"style", ContentModel::kRawText},
    {"textarea", ContentModel::kRawText},    {"title", ContentModel::kRawText},
    {"xmp", ContentModel::kRawText},         {"iframe", ContentModel::kRawText},
    {"noembed", ContentModel::kRawText},     {"noframes", ContentModel::kRawText},
    {"plaintext", ContentModel::kPlainText},
};

ContentModel ContentModelOf(std::string_view tagName) {
    if (tagName.size() < 3 || tagName.size() > 9) return ContentModel::kMarkup;
    for (const TextOnlyElement& element : kTextOnlyElements) {
        if (EqualsIgnoringCase(tagName, element.name)) return element.model;
    }
    return ContentModel::kMarkup;
}

class Tokenizer {
public:
    Tokenizer(std::string_view text, HtmlStartTagHandler& handler)
        : m_text(text), m_handler(handler) {
        // Room for the attributes of any ordinary tag, so a page costs one allocation.
        m_attributes.reserve(32);
    }

    void Run() {
        std::size_t p = 0;
        while (p != kEnd) p = AfterMarkup(p);
    }

private:
    enum class TagKind { kStart, kEnd };

    // The data state from p: where the next thing after one piece of markup
    // starts, or kEnd when the text is done.
    std::size_t AfterMarkup(std::size_t p) {
        const std::size_t open = Find('<', p);
        if (open == kEnd || open + 1 >= m_text.size()) return kEnd;
        const std::size_t next = open + 1;
        const char c = m_text[next];
        if (IsAsciiAlpha(c)) return AfterStartTag(next);
        if (c == '!') return AfterDeclaration(next + 1);
        if (c == '/') return AfterEndTagOpen(next + 1);
        // A processing instruction is a bogus comment in HTML.
        if (c == '?') return AfterBogusComment(next);
        // "<" followed by anything else is text.
        return next;
    }

    std::size_t Find(char c, std::size_t from) const {
        if (from >= m_text.size()) return kEnd;
        const void* found = std::memchr(m_text.data() + from, c, m_text.size() - from);
        return found == nullptr
                   ? kEnd
                   : static_cast<std::size_t>(static_cast<const char*>(found) - m_text.data());
    }

    bool StartsAt(std::size_t p, std::string_view part) const {
        return m_text.substr(std::min(p, m_text.size())).starts_with(part);
    }

    // A start tag whose name starts at p, then the text it opens.
    std::size_t AfterStartTag(std::size_t p) {
        std::string_view name;
        const std::size_t end = AfterTag(p, TagKind::kStart, &name);
        if (end == kEnd) return kEnd;
        switch (ContentModelOf(name)) {
            case ContentModel::kMarkup:
                return end;
            case ContentModel::kRawText:
                return AfterRawText(end, name);
            case ContentModel::kScriptData:
                return AfterScriptData(end);
            case ContentModel::kPlainText:
                return kEnd;
        }
        return end;
    }

    // The tag name state and the attribute states, from the name's first
    // letter to the ">" that ends the tag. kEnd when the text ends inside
    // the tag, which then is no tag at all.
    std::size_t AfterTag(std::size_t p, TagKind kind, std::string_view* name) {
        const std::size_t nameStart = p;
        while (p < m_text.size() && !IsIn(m_text[p], kSpace | kSlash | kTagEnd)) ++p;
        if (p >= m_text.size()) return kEnd;
        *name = m_text.substr(nameStart, p - nameStart);
        m_attributes.clear();
        while (true) {
            while (p < m_text.size() && IsTagSpace(m_text[p])) ++p;
            if (p >= m_text.size()) return kEnd;
            const char c = m_text[p];
            if (c == '>') break;
            // The self-closing flag changes nothing here; a "/" not before
            // ">" is passed over.
            if (c == '/') {
                ++p;
                continue;
            }
            p = AfterAttribute(p);
            if (p == kEnd) return kEnd;
        }
        if (kind == TagKind::kStart) m_handler.OnStartTag(*name, m_attributes);
        return p + 1;
    }

    // One attribute from its name's first byte (which may be "="); records
    // it and returns where the before-attribute-name state goes on.
    std::size_t AfterAttribute(std::size_t p) {
        const std::size_t nameStart = p++;
        while (p < m_text.size() && !IsIn(m_text[p], kSpace | kSlash | kTagEnd | kEquals)) ++p;
        // A value without "=" is empty, placed at the name's end.
        HtmlAttribute attribute{m_text.substr(nameStart, p - nameStart), m_text.substr(p, 0),
                                nameStart};
        while (p < m_text.size() && IsTagSpace(m_text[p])) ++p;
        if (p >= m_text.size()) return kEnd;
        if (m_text[p] == '=') {
            p = AfterValue(p + 1, &attribute.value);
            if (p == kEnd) return kEnd;
        }
        m_attributes.push_back(attribute);
        return p;
    }

    // The before-attribute-value state and the value states.
    std::size_t AfterValue(std::size_t p, std::string_view* value) const {
        while (p < m_text.size() && IsTagSpace(m_text[p])) ++p;
        if (p >= m_text.size()) return kEnd;
        const char c = m_text[p];
        if (c == '"' || c == '\'') {
            const std::size_t close = Find(c, p + 1);
            if (close == kEnd) return kEnd;
            *value = m_text.substr(p + 1, close - p - 1);
            return close + 1;
        }
        // "=>": the attribute has an empty value and the tag ends here.
        if (c == '>') return p;
        const std::size_t start = p;
        while (p < m_text.size() && !IsIn(m_text[p], kSpace | kTagEnd)) ++p;
        if (p >= m_text.size()) return kEnd;
        *value = m_text.substr(start, p - start);
        return p;
    }

    // After "</": an end tag, "</>" (nothing), or a bogus comment.
    std::size_t AfterEndTagOpen(std::size_t p) {
        if (p >= m_text.size()) return kEnd;
        if (IsAsciiAlpha(m_text[p])) {
            return AfterEndTagAt(p - 2);
        }
        if (m_text[p] == '>') return p + 1;
        return AfterBogusComment(p);
    }

    // After "<!": a comment, or a doctype, CDATA section or other
    // declaration, each of which ends at the next ">" in HTML content.
    std::size_t AfterDeclaration(std::size_t p) const {
        if (StartsAt(p, "--")) return AfterComment(p + 2);
        return AfterBogusComment(p);
    }

    std::size_t AfterBogusComment(std::size_t p) const {
        const std::size_t close = Find('>', p);
        return close == kEnd ? kEnd : close + 1;
    }

    // A comment's text from p (after "<!--") to "-->" or "--!>"; "<!-->"
    // and "<!--->" are whole comments. A comment the text never closes
    // runs to its end.
    std::size_t AfterComment(std::size_t p) const {
        if (StartsAt(p, ">")) return p + 1;
        if (StartsAt(p, "->")) return p + 2;
        for (std::size_t dashes = m_text.find("--", p); dashes != kEnd;
             dashes = m_text.find("--", dashes + 1)) {
            if (StartsAt(dashes + 2, ">")) return dashes + 3;
            if (StartsAt(dashes + 2, "!>")) return dashes + 4;
        }
        return kEnd;
    }

    // "</name" followed by white space, "/" or ">", at p (at its "<").
    bool IsEndTagOf(std::size_t p, std::string_view name) const {
        const std::size_t after = p + 2 + name.size();
        if (after >= m_text.size() || m_text[p + 1] != '/') return false;
        return StartsWithIgnoringCase(m_text.substr(p + 2), name) &&
               (IsTagSpace(m_text[after]) || m_text[after] == '/' || m_text[after] == '>');
    }

    // The text of a raw-text element up to its end tag, then that tag.
    std::size_t AfterRawText(std::size_t p, std::string_view name) {
        for (std::size_t open = Find('<', p); open != kEnd; open = Find('<', open + 1)) {
            if (IsEndTagOf(open, name)) return AfterEndTagAt(open);
        }
        return kEnd;
    }

    // The end tag whose "<" is at open.
    std::size_t AfterEndTagAt(std::size_t open) {
        std::string_view name;
        return AfterTag(open + 2, TagKind::kEnd, &name);
    }

    // Script text, with the standard's escaped states: after "<!--" a
    // "<script" opens a nested part in which "</script>" does not end the
    // element, until "-->" or that part's own "</script>".
    std::size_t AfterScriptData(std::size_t p) {
        constexpr std::string_view kScript = "script";
        while (true) {
            const std::size_t open = Find('<', p);
            if (open == kEnd) return kEnd;
            if (IsEndTagOf(open, kScript)) return AfterEndTagAt(open);
            p = open + 1;
            if (StartsAt(p, "!--")) {
                p = AfterEscapedScript(p + 3);
                if (p == kEnd) return kEnd;
                // An end tag inside the escaped part ended the script.
                if (m_scriptEnded) return p;
            }
        }
    }

    // The escaped and double-escaped states from p, entered with two dashes
    // just read. Returns where script data goes on, with m_scriptEnded set
    // when a "</script" ended the element there.
    std::size_t AfterEscapedScript(std::size_t p) {
        constexpr std::string_view kScript = "script";
        m_scriptEnded = false;
        bool doubleEscaped = false;
        int dashes = 2;
        while (p < m_text.size()) {
            const char c = m_text[p];
            if (c == '-') {
                ++dashes;
                ++p;
                continue;
            }
            if (c == '>' && dashes >= 2) return p + 1;
            dashes = 0;
            if (c != '<') {
                ++p;
                continue;
            }
            if (!doubleEscaped && IsEndTagOf(p, kScript)) {
                m_scriptEnded = true;
                return AfterEndTagAt(p);
            }
            const bool closing = doubleEscaped && StartsAt(p + 1, "/");
            const std::size_t nameStart = p + (closing ? 2 : 1);
            if (doubleEscaped != closing) {
                ++p;
                continue;
            }
            std::size_t nameEnd = nameStart;
            while (nameEnd < m_text.size() && IsAsciiAlpha(m_text[nameEnd])) ++nameEnd;
            if (nameEnd == nameStart || nameEnd >= m_text.size()) {
                p = nameStart;
                continue;
            }
            const char after = m_text[nameEnd];
            if ((IsTagSpace(after) || after == '/' || after == '>') &&
                EqualsIgnoringCase(m_text.substr(nameStart, nameEnd - nameStart), kScript)) {
                doubleEscaped = !doubleEscaped;
                // The character that ended the name is text of the new state.
                p = nameEnd + 1;
                continue;
            }
            p = nameEnd;
        }
        return kEnd;
    }

    std::string_view m_text;
    HtmlStartTagHandler& m_handler;
    std::vector<HtmlAttribute> m_attributes;
    bool m_scriptEnded = false;
};

}  // namespace

void TokenizeHtml(std::string_view text, HtmlStartTagHandler& handler) {
    Tokenizer(text, handler).Run();
}
