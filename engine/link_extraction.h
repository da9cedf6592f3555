// Finding the links of one page: the fixed table of tag passes, one pass of
// either variant, all passes the options allow, and line numbers. A pass only
// reads its text; any thread may run one.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

// One tag pass: a tag opener ("<", the tag name, one blank) and the
// attribute whose value is the link.
struct LinkTagPass {
    std::string_view opener;
    std::string_view attribute;
};

inline constexpr std::array<LinkTagPass, 15> LinkTagTable = {{
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

// Passes 1 to 3 always run, 4 to 6 with images or all tags, the rest with
// all tags.
inline constexpr std::size_t kAnchorPassCount = 3;
inline constexpr std::size_t kImagePassEnd = 6;

// Where a quoted value ends: the web variant stops at a quote or ">" and
// drops values that do not end in a quote followed by more text; the local
// variant stops at a quote only and hands every value on. A value written
// without quotes ("=" then no quote) ends, in both, at white space or ">".
enum class PageVariant { kWeb, kLocal };

// Called once per accepted occurrence with the value (a view into the page
// text, valid during the call) and the line of the attribute name.
using FoundLinkHandler = std::function<void(std::string_view value, int line)>;

// 1 plus the number of line feeds before position.
[[nodiscard]] int LineOfPosition(std::string_view text, std::size_t position);

// One pass over the whole text, occurrences in text order.
void ScanTagPass(std::string_view text, const LinkTagPass& pass, PageVariant variant,
                 const FoundLinkHandler& handler);

// Every pass the scan options allow at the moment of the call, in table order.
void ScanPageLinks(std::string_view text, PageVariant variant, const FoundLinkHandler& handler);

// One web pass: each link goes to ClassifyWebLink with "pageUrl:line".
void ScanWebPageTags(std::string_view text, const std::string& base, std::string_view opener,
                     std::string_view attribute, const std::string& pageUrl);

// One local pass: each link goes to ClassifyLocalLink with "pagePath:line".
void ScanLocalPageTags(std::string_view text, const std::wstring& base, std::string_view opener,
                       std::string_view attribute, const std::wstring& pagePath);

// All allowed web passes over a fetched body; links go to ClassifyWebLink.
void ScanWebPageLinks(std::string_view text, const std::string& base, const std::string& pageUrl);
