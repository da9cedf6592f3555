// Link patterns: regular expressions (PCRE2 syntax, UTF-8) that a scan
// matches against a link's address or path to leave it unchecked or to
// leave its page's links unread. Compiled once when a scan starts; matching
// is const and safe from any number of threads at once.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class LinkPatterns {
public:
    LinkPatterns();
    ~LinkPatterns();
    LinkPatterns(LinkPatterns&&) noexcept;
    LinkPatterns& operator=(LinkPatterns&&) noexcept;

    // Every pattern compiled; nothing when one does not compile, and then
    // *error (when given) says which pattern and why, in one line.
    [[nodiscard]] static std::optional<LinkPatterns> Compile(
        const std::vector<std::wstring>& patterns, std::string* error = nullptr);

    // True when any pattern matches somewhere in text (a search, not a whole
    // match). Text that is not valid UTF-8 is still matched, byte by byte. A
    // search that gives up at PCRE2's match limits counts as no match.
    [[nodiscard]] bool Matches(std::string_view text) const;
    [[nodiscard]] bool Empty() const;

private:
    struct Compiled;
    std::vector<std::unique_ptr<Compiled>> m_patterns;
};

// The patterns a text holds: the words it splits into at blanks (the form
// the Options dialog edits them in), and back.
[[nodiscard]] std::vector<std::wstring> PatternsFromText(std::wstring_view text);
[[nodiscard]] std::wstring TextFromPatterns(const std::vector<std::wstring>& patterns);
