// robots.txt as RFC 9309 reads it: the group of the crawler's product token
// (matched without regard to case), else the "*" group; the longest
// matching Allow or Disallow rule decides, Allow winning a tie; "*" in a
// rule matches any run of characters and a final "$" the end of the path.
// /robots.txt itself is always allowed. Pure; any thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class RobotsRules {
public:
    // Rules that allow everything: what a missing or unreadable robots.txt
    // (a 4xx answer, no answer) means.
    RobotsRules() = default;

    // The rules of a robots.txt text for the crawler named token. Lines may
    // end in LF, CR LF or CR, "#" starts a comment, field names are read in
    // any case, and lines that are not rules are passed over. At most 500 KiB
    // of text is read, as the RFC allows; a line that limit cuts is dropped.
    [[nodiscard]] static RobotsRules Parse(std::string_view text, std::string_view token);

    // Rules that disallow everything: what a robots.txt the server could
    // not give (a 5xx answer) means.
    [[nodiscard]] static RobotsRules DisallowAll();

    // Whether a request path (from its first "/", the query included) may
    // be requested. Percent-encodings are compared with their letters in
    // upper case, and rule characters outside ASCII as their UTF-8 encoded.
    [[nodiscard]] bool Allows(std::string_view path) const;

private:
    struct Rule {
        std::string pattern;
        bool allow = false;
    };
    std::vector<Rule> m_rules;
};

// The product token Skarnel's crawler answers to in robots.txt.
inline constexpr std::string_view kRobotsToken = "Skarnel";
