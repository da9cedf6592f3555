// Finding the links of one page: which attributes of which elements hold
// links (the table), one reading of the page that finds them all, grouped
// and in text order, its <base href>, and line numbers. A reading only
// reads its text; any thread may run one.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/scan_options.h"
#include "engine/web_checks.h"

// A page's links are handed on group by group in this order, each group's
// in text order: the anchors and frames, the images, then the other tags.
// Pages that hold only lower-case <a href>, <img src>, <link href>,
// <script src> and <form action> come out as they always did.
enum class LinkGroup : std::uint8_t { kAnchors, kImages, kLinks, kScripts, kForms, kMedia };
inline constexpr std::size_t kLinkGroupCount = 6;

// How an attribute's value holds its links.
enum class LinkValueForm : std::uint8_t {
    kUrl,
    // Comma-separated image candidates, each a URL and its descriptors.
    kSrcset,
    // A refresh's "seconds; url=..." text.
    kRefresh,
};

// What the element must also say for the attribute to be a link.
enum class LinkCondition : std::uint8_t {
    kAlways,
    // <input type="image">
    kImageInput,
    // <meta http-equiv="refresh">
    kRefreshMeta,
};

struct LinkTagEntry {
    std::string_view tag;
    std::string_view attribute;
    LinkGroup group;
    LinkValueForm form = LinkValueForm::kUrl;
    LinkCondition condition = LinkCondition::kAlways;
};

inline constexpr std::array<LinkTagEntry, 18> LinkTagTable = {{
    {"a", "href", LinkGroup::kAnchors},
    {"area", "href", LinkGroup::kAnchors},
    {"iframe", "src", LinkGroup::kAnchors},
    {"meta", "content", LinkGroup::kAnchors, LinkValueForm::kRefresh, LinkCondition::kRefreshMeta},
    {"img", "src", LinkGroup::kImages},
    {"img", "srcset", LinkGroup::kImages, LinkValueForm::kSrcset},
    {"source", "srcset", LinkGroup::kImages, LinkValueForm::kSrcset},
    {"input", "src", LinkGroup::kImages, LinkValueForm::kUrl, LinkCondition::kImageInput},
    {"video", "poster", LinkGroup::kImages},
    {"link", "href", LinkGroup::kLinks},
    {"script", "src", LinkGroup::kScripts},
    {"form", "action", LinkGroup::kForms},
    {"source", "src", LinkGroup::kMedia},
    {"video", "src", LinkGroup::kMedia},
    {"audio", "src", LinkGroup::kMedia},
    {"track", "src", LinkGroup::kMedia},
    {"embed", "src", LinkGroup::kMedia},
    {"object", "data", LinkGroup::kMedia},
}};

// The groups a scan reads, one bit each (bit n: LinkGroup n).
using LinkGroups = std::uint8_t;
inline constexpr LinkGroups kAnchorGroups = 1u << static_cast<int>(LinkGroup::kAnchors);
inline constexpr LinkGroups kAnchorAndImageGroups =
    kAnchorGroups | (1u << static_cast<int>(LinkGroup::kImages));
inline constexpr LinkGroups kAllLinkGroups = (1u << kLinkGroupCount) - 1;

// Anchors always; images with checkImages or checkAllTags; the other tags
// with checkAllTags; as the options are at the moment of the call.
[[nodiscard]] LinkGroups AllowedLinkGroups(const ScanOptions& options);

// One link: its value as written (a view into the page text, character
// references not yet decoded) and the line of its attribute's name.
struct FoundLink {
    std::string_view value;
    int line = 0;

    bool operator==(const FoundLink&) const = default;
};

// What one reading of a page finds.
struct PageReading {
    std::vector<FoundLink> links;
    // The href of the page's first <base> that has one, as written.
    std::optional<std::string_view> baseHref;
    // What a fragment may name: each element's id and each <a name>, as
    // written; only when asked for.
    std::vector<std::string_view> anchors;
};

// Whether a reading collects the anchors too.
enum class PageAnchors { kSkipped, kCollected };

[[nodiscard]] PageReading ReadPageLinks(std::string_view text, LinkGroups groups,
                                        PageAnchors anchors = PageAnchors::kSkipped);

// The links of the groups the scan options allow.
[[nodiscard]] PageReading ScanPageLinks(std::string_view text);

// The URLs of a srcset value, and the URL of a refresh's content (nothing
// when it names none: the page refreshes itself). Views into value.
[[nodiscard]] std::vector<std::string_view> SrcsetUrls(std::string_view value);
[[nodiscard]] std::optional<std::string_view> RefreshUrl(std::string_view content);

// 1 plus the number of line feeds before position.
[[nodiscard]] int LineOfPosition(std::string_view text, std::size_t position);

// "pageUrl:line".
[[nodiscard]] std::string WebLinkLocation(const std::string& pageUrl, int line);

// Reads a fetched page and classifies each link (ClassifyWebLink) with
// "pageUrl:line", resolved against the page's folder or its <base href>:
// the checks they ask for, in text order. With anchors kept, the page's
// anchors are kept first for the fragments that name it; with links
// skipped, only they are read.
enum class PageAnchorUse { kNotKept, kKept };
enum class PageLinkUse { kFollowed, kSkipped };
[[nodiscard]] std::vector<WebCheck> ScanWebPageLinks(
    std::string_view text, const std::string& base, const std::string& pageUrl,
    PageAnchorUse anchors = PageAnchorUse::kNotKept, PageLinkUse links = PageLinkUse::kFollowed);
