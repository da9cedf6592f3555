// Reading robots.txt into the rules of one crawler, and matching request
// paths against them.
#include "engine/robots_txt.h"

#include <utility>

#include "engine/ascii_case.h"
#include "engine/hex_digit.h"

namespace {

// The RFC asks crawlers to read at least 500 KiB; more is not read.
constexpr std::size_t kMaxRobotsBytes = 500 * 1024;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool IsLineEnd(char c) { return c == '\n' || c == '\r'; }

// The text up to the size limit. A line the limit cuts in two is dropped
// whole: its first half could be a shorter rule than the one written, and
// "Disallow: /private" cut to "Disallow: /p" would refuse far too much.
std::string_view ReadablePart(std::string_view text) {
    if (text.size() <= kMaxRobotsBytes) return text;
    if (IsLineEnd(text[kMaxRobotsBytes])) return text.substr(0, kMaxRobotsBytes);
    std::string_view part = text.substr(0, kMaxRobotsBytes);
    while (!part.empty() && !IsLineEnd(part.back())) part.remove_suffix(1);
    return part;
}

// A robots.txt saved by an editor that writes a byte order mark still
// starts with a field.
std::string_view WithoutByteOrderMark(std::string_view text) {
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
    return text;
}

void AppendPercentEncoded(std::string& out, unsigned char byte) {
    constexpr char kHexDigits[] = "0123456789ABCDEF";
    out += '%';
    out += kHexDigits[byte >> 4];
    out += kHexDigits[byte & 0x0F];
}

// Rules and paths in one spelling: every percent-encoding with upper-case
// hex letters, every byte outside ASCII (a rule written in UTF-8) encoded.
std::string NormalisedForMatching(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == '%' && i + 2 < text.size() && HexDigitValue(text[i + 1]) >= 0 &&
            HexDigitValue(text[i + 2]) >= 0) {
            AppendPercentEncoded(out, static_cast<unsigned char>(HexDigitValue(text[i + 1]) * 16 +
                                                                 HexDigitValue(text[i + 2])));
            i += 2;
        } else if (byte >= 0x80) {
            AppendPercentEncoded(out, byte);
        } else {
            out += static_cast<char>(byte);
        }
    }
    return out;
}

// Whether pattern, in which "*" matches any run of characters, matches
// path from its start: the whole of it, or (wholePath false) any beginning.
// The classic greedy walk: on a mismatch only the latest "*" takes one more
// character, as giving an earlier one more can reach nothing the latest one
// cannot.
bool GlobMatches(std::string_view pattern, std::string_view path, bool wholePath) {
    std::size_t p = 0;
    std::size_t s = 0;
    std::size_t star = std::string_view::npos;
    std::size_t starPath = 0;
    while (s < path.size()) {
        if (!wholePath && p == pattern.size()) return true;
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            starPath = s;
        } else if (p < pattern.size() && pattern[p] == path[s]) {
            ++p;
            ++s;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            s = ++starPath;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

// A rule matches from the start of the path; a final "$" makes it match to
// the end as well.
bool RuleMatches(std::string_view pattern, std::string_view path) {
    if (pattern.ends_with('$')) {
        pattern.remove_suffix(1);
        return GlobMatches(pattern, path, true);
    }
    return GlobMatches(pattern, path, false);
}

// The product token of a user-agent value: "Skarnel/2.0 (+info)" names
// the crawler "Skarnel".
std::string_view ProductToken(std::string_view value) {
    std::size_t length = 0;
    while (length < value.size()) {
        const char c = value[length];
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!letter && c != '_' && c != '-') break;
        ++length;
    }
    return value.substr(0, length);
}

struct Line {
    std::string_view field;
    std::string_view value;
};

// "Field: value # comment" as its field and value, blanks trimmed; no
// field when the line holds no colon.
Line ParseLine(std::string_view line) {
    line = line.substr(0, line.find('#'));
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) return {};
    return {TrimBlanks(line.substr(0, colon)), TrimBlanks(line.substr(colon + 1))};
}

// Walks the lines, keeping the rules of the groups that name the crawler
// and those of the groups for "*"; which set applies is known at the end.
class GroupReader {
public:
    explicit GroupReader(std::string_view token) : m_token(token) {}

    void Read(const Line& line) {
        if (EqualsIgnoringCase(line.field, "user-agent")) {
            ReadUserAgent(line.value);
        } else if (EqualsIgnoringCase(line.field, "allow")) {
            ReadRule(line.value, true);
        } else if (EqualsIgnoringCase(line.field, "disallow")) {
            ReadRule(line.value, false);
        }
    }

    // A group that names the crawler decides even when it holds no rule:
    // the crawler is then allowed everything, whatever "*" says.
    [[nodiscard]] const std::vector<std::pair<std::string, bool>>& Rules() const {
        return m_namedFound ? m_namedRules : m_anyRules;
    }

private:
    void ReadUserAgent(std::string_view value) {
        // Consecutive user-agent lines open one group; a user-agent after
        // a rule opens the next.
        if (!m_readingAgents) {
            m_groupNamesCrawler = false;
            m_groupIsForAny = false;
            m_readingAgents = true;
            m_inGroup = true;
        }
        if (value.starts_with('*')) {
            m_groupIsForAny = true;
            return;
        }
        const std::string_view product = ProductToken(value);
        if (!product.empty() && EqualsIgnoringCase(product, m_token)) {
            m_groupNamesCrawler = true;
            m_namedFound = true;
        }
    }

    void ReadRule(std::string_view pattern, bool allow) {
        m_readingAgents = false;
        // Rules before the first user-agent belong to no group, and an
        // empty pattern matches nothing.
        if (!m_inGroup || pattern.empty()) return;
        if (m_groupNamesCrawler) m_namedRules.emplace_back(NormalisedForMatching(pattern), allow);
        if (m_groupIsForAny) m_anyRules.emplace_back(NormalisedForMatching(pattern), allow);
    }

    std::string_view m_token;
    bool m_inGroup = false;
    bool m_readingAgents = false;
    bool m_groupNamesCrawler = false;
    bool m_groupIsForAny = false;
    bool m_namedFound = false;
    std::vector<std::pair<std::string, bool>> m_namedRules;
    std::vector<std::pair<std::string, bool>> m_anyRules;
};

}  // namespace

RobotsRules RobotsRules::Parse(std::string_view text, std::string_view token) {
    GroupReader reader(token);
    std::string_view rest = WithoutByteOrderMark(ReadablePart(text));
    while (!rest.empty()) {
        std::size_t end = 0;
        while (end < rest.size() && !IsLineEnd(rest[end])) ++end;
        reader.Read(ParseLine(rest.substr(0, end)));
        rest.remove_prefix(end < rest.size() ? end + 1 : end);
    }
    RobotsRules rules;
    for (const auto& [pattern, allow] : reader.Rules()) {
        rules.m_rules.push_back(Rule{pattern, allow});
    }
    return rules;
}

RobotsRules RobotsRules::DisallowAll() {
    RobotsRules rules;
    rules.m_rules.push_back(Rule{"*", false});
    return rules;
}

bool RobotsRules::Allows(std::string_view path) const {
    if (path.empty()) path = "/";
    // The crawler must always be able to read the rules themselves.
    if (path == "/robots.txt") return true;
    const std::string normalised = NormalisedForMatching(path);
    // The longest matching rule decides; of two as long, Allow.
    bool matched = false;
    std::size_t longest = 0;
    bool allowed = true;
    for (const Rule& rule : m_rules) {
        if (!RuleMatches(rule.pattern, normalised)) continue;
        const std::size_t length = rule.pattern.size();
        if (!matched || length > longest) {
            matched = true;
            longest = length;
            allowed = rule.allow;
        } else if (length == longest && rule.allow) {
            allowed = true;
        }
    }
    return allowed;
}
