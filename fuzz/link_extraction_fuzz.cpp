// Link extraction over any page text, with every option setting. The fast
// tokenizer must hand on exactly the start tags that a plain tokenizer,
// one state per byte as the HTML standard writes them, finds; every link
// must be a piece of an attribute value of one of those tags, with the line
// of that attribute's name; reading a prefix of the page must give a prefix
// of its tags, and nothing inside a comment may be a link.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/html_tokenizer.h"
#include "engine/link_extraction.h"
#include "fuzz/fuzz_check.h"

namespace {

struct Span {
    std::size_t start = 0;
    std::size_t end = 0;
    bool operator==(const Span&) const = default;
};

struct Attribute {
    Span name;
    Span value;
    bool operator==(const Attribute&) const = default;
};

struct Tag {
    Span name;
    std::vector<Attribute> attributes;
    bool operator==(const Tag&) const = default;
};

bool IsSpace(char c) { return c == ' ' || c == '\n' || c == '\t' || c == '\f' || c == '\r'; }
bool IsAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Lowered(std::string_view text) {
    std::string lowered(text);
    std::transform(lowered.begin(), lowered.end(), lowered.begin(), Lower);
    return lowered;
}

// The tokenizer's states, one byte at a time, for what decides where tags,
// attributes and values begin and end. DOCTYPEs end at their first ">" in
// every one of their states, so they share the bogus comment's state.
class PlainTokenizer {
public:
    explicit PlainTokenizer(std::string_view text) : m_text(text) {}

    std::vector<Tag> Run() {
        for (m_p = 0; m_p <= m_text.size(); ++m_p) {
            const bool atEnd = m_p == m_text.size();
            Step(atEnd ? '\0' : m_text[m_p], atEnd);
            if (m_done) break;
        }
        return m_tags;
    }

private:
    enum class State {
        kData,
        kTagOpen,
        kEndTagOpen,
        kTagName,
        kBeforeName,
        kName,
        kAfterName,
        kBeforeValue,
        kQuoted,
        kUnquoted,
        kAfterQuoted,
        kSelfClosing,
        kBogusComment,
        kCommentStart,
        kCommentStartDash,
        kComment,
        kCommentEndDash,
        kCommentEnd,
        kCommentEndBang,
        kRawText,
        kRawLessThan,
        kRawEndTagOpen,
        kRawEndTagName,
        kScript,
        kScriptLessThan,
        kScriptEndTagOpen,
        kScriptEndTagName,
        kEscapeStart,
        kEscapeStartDash,
        kEscaped,
        kEscapedDash,
        kEscapedDashDash,
        kEscapedLessThan,
        kEscapedEndTagOpen,
        kEscapedEndTagName,
        kDoubleEscapeStart,
        kDoubleEscaped,
        kDoubleEscapedDash,
        kDoubleEscapedDashDash,
        kDoubleEscapedLessThan,
        kDoubleEscapeEnd,
        kPlainText
    };

    void Reconsume(State state) {
        m_state = state;
        --m_p;
    }

    void StartTag(bool isEnd) {
        m_tag = Tag{{m_p, m_p}, {}};
        m_isEnd = isEnd;
        m_state = State::kTagName;
    }

    void StartAttribute() { m_tag.attributes.push_back({{m_p, m_p + 1}, {m_p, m_p}}); }

    // The text state the emitted start tag leads to.
    void Emit() {
        m_state = State::kData;
        if (m_isEnd) return;
        m_tags.push_back(m_tag);
        const std::string name =
            Lowered(m_text.substr(m_tag.name.start, m_tag.name.end - m_tag.name.start));
        m_lastStartTag = name;
        if (name == "script") m_state = State::kScript;
        if (name == "style" || name == "textarea" || name == "title" || name == "xmp" ||
            name == "iframe" || name == "noembed" || name == "noframes") {
            m_state = State::kRawText;
        }
        if (name == "plaintext") m_state = State::kPlainText;
    }

    // An end tag name in a text state: whether "</name" is the element's own.
    bool Appropriate() const { return m_buffer == m_lastStartTag; }

    void Step(char c, bool atEnd);
    void TagStep(char c, bool atEnd);
    void CommentStep(char c, bool atEnd);
    void TextStep(char c, bool atEnd);
    void ScriptStep(char c, bool atEnd);
    void EndTagNameStep(char c, bool atEnd, State textState);

    std::string_view m_text;
    std::size_t m_p = 0;
    State m_state = State::kData;
    Tag m_tag;
    bool m_isEnd = false;
    bool m_done = false;
    std::string m_lastStartTag;
    std::string m_buffer;
    std::vector<Tag> m_tags;
};

void PlainTokenizer::Step(char c, bool atEnd) {
    switch (m_state) {
        case State::kData:
            if (atEnd) m_done = true;
            if (c == '<') m_state = State::kTagOpen;
            return;
        case State::kTagOpen:
            if (!atEnd && c == '!') {
                if (m_text.substr(m_p + 1).starts_with("--")) {
                    m_p += 2;
                    m_state = State::kCommentStart;
                } else {
                    m_state = State::kBogusComment;
                }
            } else if (!atEnd && c == '/') {
                m_state = State::kEndTagOpen;
            } else if (!atEnd && IsAlpha(c)) {
                Reconsume(State::kTagName);
                StartTag(false);
                m_tag.name = {m_p + 1, m_p + 1};
            } else if (!atEnd && c == '?') {
                Reconsume(State::kBogusComment);
            } else {
                Reconsume(State::kData);
            }
            return;
        case State::kEndTagOpen:
            if (!atEnd && IsAlpha(c)) {
                Reconsume(State::kTagName);
                StartTag(true);
                m_tag.name = {m_p + 1, m_p + 1};
            } else if (!atEnd && c == '>') {
                m_state = State::kData;
            } else if (atEnd) {
                m_done = true;
            } else {
                Reconsume(State::kBogusComment);
            }
            return;
        case State::kBogusComment:
            if (atEnd) m_done = true;
            if (c == '>') m_state = State::kData;
            return;
        case State::kPlainText:
            if (atEnd) m_done = true;
            return;
        default:
            break;
    }
    if (m_state >= State::kTagName && m_state <= State::kSelfClosing) return TagStep(c, atEnd);
    if (m_state >= State::kCommentStart && m_state <= State::kCommentEndBang)
        return CommentStep(c, atEnd);
    if (m_state >= State::kRawText && m_state <= State::kRawEndTagName) return TextStep(c, atEnd);
    ScriptStep(c, atEnd);
}

void PlainTokenizer::TagStep(char c, bool atEnd) {
    if (atEnd) {
        m_done = true;
        return;
    }
    Attribute* attribute = m_tag.attributes.empty() ? nullptr : &m_tag.attributes.back();
    switch (m_state) {
        case State::kTagName:
            if (IsSpace(c)) m_state = State::kBeforeName;
            if (c == '/') m_state = State::kSelfClosing;
            if (c == '>') Emit();
            if (m_state == State::kTagName) m_tag.name.end = m_p + 1;
            return;
        case State::kBeforeName:
            if (IsSpace(c)) return;
            if (c == '/' || c == '>') return Reconsume(State::kAfterName);
            StartAttribute();
            m_state = State::kName;
            return;
        case State::kName:
            if (IsSpace(c) || c == '/' || c == '>') return Reconsume(State::kAfterName);
            if (c == '=') {
                m_state = State::kBeforeValue;
                return;
            }
            attribute->name.end = m_p + 1;
            return;
        case State::kAfterName:
            if (IsSpace(c)) return;
            if (c == '/') m_state = State::kSelfClosing;
            if (c == '=') m_state = State::kBeforeValue;
            if (c == '>') Emit();
            if (c != '/' && c != '=' && c != '>') {
                StartAttribute();
                m_state = State::kName;
            }
            return;
        case State::kBeforeValue:
            if (IsSpace(c)) return;
            if (c == '"' || c == '\'') {
                m_buffer.assign(1, c);
                attribute->value = {m_p + 1, m_p + 1};
                m_state = State::kQuoted;
            } else if (c == '>') {
                Emit();
            } else {
                attribute->value = {m_p, m_p + 1};
                m_state = State::kUnquoted;
            }
            return;
        case State::kQuoted:
            if (c == m_buffer[0]) {
                m_state = State::kAfterQuoted;
            } else {
                attribute->value.end = m_p + 1;
            }
            return;
        case State::kUnquoted:
            if (IsSpace(c)) m_state = State::kBeforeName;
            if (c == '>') Emit();
            if (m_state == State::kUnquoted) attribute->value.end = m_p + 1;
            return;
        case State::kAfterQuoted:
            if (IsSpace(c)) m_state = State::kBeforeName;
            if (c == '/') m_state = State::kSelfClosing;
            if (c == '>') Emit();
            if (m_state == State::kAfterQuoted) Reconsume(State::kBeforeName);
            return;
        case State::kSelfClosing:
            if (c == '>') return Emit();
            return Reconsume(State::kBeforeName);
        default:
            return;
    }
}

void PlainTokenizer::CommentStep(char c, bool atEnd) {
    if (atEnd) {
        m_done = true;
        return;
    }
    switch (m_state) {
        case State::kCommentStart:
            if (c == '-') return void(m_state = State::kCommentStartDash);
            if (c == '>') return void(m_state = State::kData);
            return Reconsume(State::kComment);
        case State::kCommentStartDash:
            if (c == '-') return void(m_state = State::kCommentEnd);
            if (c == '>') return void(m_state = State::kData);
            return Reconsume(State::kComment);
        case State::kComment:
            if (c == '-') m_state = State::kCommentEndDash;
            return;
        case State::kCommentEndDash:
            if (c == '-') return void(m_state = State::kCommentEnd);
            return Reconsume(State::kComment);
        case State::kCommentEnd:
            if (c == '>') return void(m_state = State::kData);
            if (c == '!') return void(m_state = State::kCommentEndBang);
            if (c == '-') return;
            return Reconsume(State::kComment);
        case State::kCommentEndBang:
            if (c == '-') return void(m_state = State::kCommentEndDash);
            if (c == '>') return void(m_state = State::kData);
            return Reconsume(State::kComment);
        default:
            return;
    }
}

// The end tag name state of a text element: letters gather; at white
// space, "/" or ">" the element's own end tag becomes a tag.
void PlainTokenizer::EndTagNameStep(char c, bool atEnd, State textState) {
    if (!atEnd && IsAlpha(c)) {
        m_buffer += Lower(c);
        m_tag.name.end = m_p + 1;
        return;
    }
    if (!atEnd && (IsSpace(c) || c == '/' || c == '>') && Appropriate()) {
        m_state = State::kTagName;
        m_isEnd = true;
        return Reconsume(State::kTagName);
    }
    Reconsume(textState);
}

void PlainTokenizer::TextStep(char c, bool atEnd) {
    switch (m_state) {
        case State::kRawText:
            if (atEnd) m_done = true;
            if (c == '<') m_state = State::kRawLessThan;
            return;
        case State::kRawLessThan:
            if (!atEnd && c == '/') return void(m_state = State::kRawEndTagOpen);
            return Reconsume(State::kRawText);
        case State::kRawEndTagOpen:
            if (!atEnd && IsAlpha(c)) {
                m_buffer.clear();
                m_tag = Tag{{m_p, m_p}, {}};
                return Reconsume(State::kRawEndTagName);
            }
            return Reconsume(State::kRawText);
        case State::kRawEndTagName:
            return EndTagNameStep(c, atEnd, State::kRawText);
        default:
            return;
    }
}

void PlainTokenizer::ScriptStep(char c, bool atEnd) {
    if (atEnd && m_state != State::kScriptEndTagName && m_state != State::kEscapedEndTagName) {
        m_done = true;
        return;
    }
    switch (m_state) {
        case State::kScript:
            if (c == '<') m_state = State::kScriptLessThan;
            return;
        case State::kScriptLessThan:
            if (c == '/') return void(m_state = State::kScriptEndTagOpen);
            if (c == '!') return void(m_state = State::kEscapeStart);
            return Reconsume(State::kScript);
        case State::kScriptEndTagOpen:
        case State::kEscapedEndTagOpen:
            if (IsAlpha(c)) {
                m_buffer.clear();
                m_tag = Tag{{m_p, m_p}, {}};
                return Reconsume(m_state == State::kScriptEndTagOpen ? State::kScriptEndTagName
                                                                     : State::kEscapedEndTagName);
            }
            return Reconsume(m_state == State::kScriptEndTagOpen ? State::kScript
                                                                 : State::kEscaped);
        case State::kScriptEndTagName:
            return EndTagNameStep(c, atEnd, State::kScript);
        case State::kEscapedEndTagName:
            return EndTagNameStep(c, atEnd, State::kEscaped);
        case State::kEscapeStart:
            if (c == '-') return void(m_state = State::kEscapeStartDash);
            return Reconsume(State::kScript);
        case State::kEscapeStartDash:
            if (c == '-') return void(m_state = State::kEscapedDashDash);
            return Reconsume(State::kScript);
        case State::kEscaped:
            if (c == '-') m_state = State::kEscapedDash;
            if (c == '<') m_state = State::kEscapedLessThan;
            return;
        case State::kEscapedDash:
            if (c == '-') return void(m_state = State::kEscapedDashDash);
            m_state = c == '<' ? State::kEscapedLessThan : State::kEscaped;
            return;
        case State::kEscapedDashDash:
            if (c == '-') return;
            if (c == '<') return void(m_state = State::kEscapedLessThan);
            m_state = c == '>' ? State::kScript : State::kEscaped;
            return;
        case State::kEscapedLessThan:
            if (c == '/') return void(m_state = State::kEscapedEndTagOpen);
            if (IsAlpha(c)) {
                m_buffer.clear();
                return Reconsume(State::kDoubleEscapeStart);
            }
            return Reconsume(State::kEscaped);
        case State::kDoubleEscapeStart:
        case State::kDoubleEscapeEnd: {
            const bool start = m_state == State::kDoubleEscapeStart;
            if (IsSpace(c) || c == '/' || c == '>') {
                m_state = (m_buffer == "script") == start ? State::kDoubleEscaped : State::kEscaped;
                return;
            }
            if (IsAlpha(c)) return void(m_buffer += Lower(c));
            return Reconsume(start ? State::kEscaped : State::kDoubleEscaped);
        }
        case State::kDoubleEscaped:
            if (c == '-') m_state = State::kDoubleEscapedDash;
            if (c == '<') m_state = State::kDoubleEscapedLessThan;
            return;
        case State::kDoubleEscapedDash:
            if (c == '-') return void(m_state = State::kDoubleEscapedDashDash);
            m_state = c == '<' ? State::kDoubleEscapedLessThan : State::kDoubleEscaped;
            return;
        case State::kDoubleEscapedDashDash:
            if (c == '-') return;
            if (c == '<') return void(m_state = State::kDoubleEscapedLessThan);
            m_state = c == '>' ? State::kScript : State::kDoubleEscaped;
            return;
        case State::kDoubleEscapedLessThan:
            if (c == '/') {
                m_buffer.clear();
                return void(m_state = State::kDoubleEscapeEnd);
            }
            return Reconsume(State::kDoubleEscaped);
        default:
            return;
    }
}

// The fast tokenizer's tags, as spans of the text.
class TagRecorder final : public HtmlStartTagHandler {
public:
    explicit TagRecorder(std::string_view text) : m_text(text) {}

    void OnStartTag(std::string_view name, std::span<const HtmlAttribute> attributes) override {
        Tag tag{SpanOf(name), {}};
        for (const HtmlAttribute& attribute : attributes) {
            FUZZ_CHECK(attribute.namePosition == SpanOf(attribute.name).start);
            tag.attributes.push_back({SpanOf(attribute.name), SpanOf(attribute.value)});
        }
        m_tags.push_back(tag);
    }

    std::vector<Tag> m_tags;

private:
    Span SpanOf(std::string_view part) const {
        FUZZ_CHECK(part.data() >= m_text.data() &&
                   part.data() + part.size() <= m_text.data() + m_text.size());
        const auto start = static_cast<std::size_t>(part.data() - m_text.data());
        return {start, start + part.size()};
    }

    std::string_view m_text;
};

std::vector<Tag> FastTags(std::string_view text) {
    TagRecorder recorder(text);
    TokenizeHtml(text, recorder);
    return recorder.m_tags;
}

// Where an empty value lies is no part of the comparison: the plain
// tokenizer puts a missing one at its name's start.
std::vector<Tag> WithoutEmptyValuePlaces(std::vector<Tag> tags) {
    for (Tag& tag : tags) {
        for (Attribute& attribute : tag.attributes) {
            if (attribute.value.start == attribute.value.end) attribute.value = {};
        }
    }
    return tags;
}

int CountedLine(std::string_view text, std::size_t position) {
    position = std::min(position, text.size());
    return 1 + static_cast<int>(std::count(text.begin(), text.begin() + position, '\n'));
}

// Every link lies inside a value of a tag the plain tokenizer found, and
// carries the line of that value's attribute name.
void CheckLinksLieInValues(std::string_view text, const PageReading& reading,
                           const std::vector<Tag>& tags) {
    for (const FoundLink& link : reading.links) {
        FUZZ_CHECK(link.value.data() >= text.data() &&
                   link.value.data() + link.value.size() <= text.data() + text.size());
        if (link.value.empty()) continue;
        const auto start = static_cast<std::size_t>(link.value.data() - text.data());
        bool inside = false;
        for (const Tag& tag : tags) {
            for (const Attribute& attribute : tag.attributes) {
                if (start >= attribute.value.start &&
                    start + link.value.size() <= attribute.value.end &&
                    link.line == CountedLine(text, attribute.name.start)) {
                    inside = true;
                }
            }
        }
        FUZZ_CHECK(inside);
    }
}

LinkGroups GroupsOf(unsigned setting) {
    constexpr LinkGroups kChoices[] = {kAnchorGroups, kAnchorAndImageGroups, kAllLinkGroups,
                                       kAllLinkGroups};
    return kChoices[setting & 3];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const LinkGroups groups = GroupsOf(data[0]);
    const std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);

    const std::vector<Tag> plain = PlainTokenizer(text).Run();
    const std::vector<Tag> fast = FastTags(text);
    FUZZ_CHECK(WithoutEmptyValuePlaces(fast) == WithoutEmptyValuePlaces(plain));

    // A page read only up to some byte gives the first of its tags.
    const std::size_t split = text.empty() ? 0 : data[1] * text.size() / 255;
    const std::vector<Tag> prefix = FastTags(text.substr(0, split));
    FUZZ_CHECK(prefix.size() <= fast.size());
    FUZZ_CHECK(std::equal(prefix.begin(), prefix.end(), fast.begin()));

    CheckLinksLieInValues(text, ReadPageLinks(text, groups), plain);

    // Commented out, the page has no link.
    if (text.find("--") == std::string_view::npos && !text.starts_with('>') &&
        !text.starts_with("->")) {
        const std::string commented = "<!--" + std::string(text) + "-->";
        FUZZ_CHECK(ReadPageLinks(commented, kAllLinkGroups).links.empty());
    }
    return 0;
}
