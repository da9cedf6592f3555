// What a found link is and where it goes: a page to crawl, an address to
// check by its status, a local file to check, or a skipped row. The
// classifiers decide and return; the thread that read the page acts on the
// decisions. ClassifyWebLink runs in whichever worker read a web page,
// ClassifyLocalLink in the scan thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/local_scan.h"
#include "engine/url_functions.h"
#include "engine/web_checks.h"

// The kinds of link, decided by prefix tests in this order. "https:" links
// are absolute web links when https links are checked, else ignored.
enum class LinkKind { kAbsoluteWeb, kIgnored, kRootRelative, kRelative };

inline constexpr wchar_t kAbsoluteSkippedState[] = L"Absolute URL - skipped";

[[nodiscard]] LinkKind KindOfLink(std::string_view value, HttpsLinks https = HttpsLinks::kIgnored);

// The URL a relative or root-relative web link resolves to against base:
// joined to the base's origin (scheme and host) or folder, then without
// fragment and dot segments.
[[nodiscard]] std::string ResolveWebLink(std::string_view value, LinkKind kind,
                                         const std::string& base);
// The paths a relative or root-relative local link resolves to against base:
// joined to the base's host part or folder, without dot segments.
[[nodiscard]] LocalLinkPaths ResolveLocalLink(std::string_view value, LinkKind kind,
                                              const LocalPath& base);
// The text of the first of those paths (the one a row shows when that file
// exists), into text.
void ResolveLocalLinkText(std::string_view value, LinkKind kind, const LocalPath& base,
                          std::wstring& text);

// A page's <base href> as what its relative links resolve against: the value
// read and resolved as a link of the page whose folder is base. Empty when
// it names nothing to resolve against (an empty value, a fragment, a scheme
// such as mailto:).
[[nodiscard]] std::string WebDocumentBase(std::string_view baseHref, const std::string& base);

// A local page's <base href>: a local path, or a web address that turns the
// page's relative links into web links; neither when it names nothing.
struct LocalDocumentBase {
    std::optional<LocalPath> local;
    std::string web;
};
// A root-relative one resolves against the site root.
[[nodiscard]] LocalDocumentBase ResolveLocalDocumentBase(std::string_view baseHref,
                                                         const LocalPath& base,
                                                         const LocalPath& siteRoot);

// Where a link of a local page leads, decided without acting on it: nowhere
// to check, the page itself ("?query", "#fragment"), a web address (also
// "//host/path", read as http), the file a "file:" URL names, or a path to
// resolve against base (the page's, or its <base>; a root-relative link
// against the site root, when there is one).
struct LocalLinkTarget {
    enum class Kind { kNothing, kThisPage, kWebAddress, kFile, kRelative };
    Kind kind = Kind::kNothing;
    // kWebAddress: the address as checked and shown; kRelative: the link
    // as a browser reads it.
    std::string value;
    LinkKind linkKind = LinkKind::kRelative;
    LocalPath file;
    const LocalPath* base = nullptr;
};
[[nodiscard]] LocalLinkTarget LocalLinkTargetOf(std::string_view rawValue, const LocalPath& base,
                                                const LocalDocumentBase& documentBase,
                                                HttpsLinks https, const LocalPath& siteRoot);

// Both classifiers first read the value as a browser would (CleanLinkValue)
// and pass over values that lead nowhere a check can go. Both read the https
// option as they classify, so a change made during a scan applies to the
// pages handled after it.
// ClassifyWebLink decides what a web page's link asks for: a page of the
// site to crawl, an address to check by its status, or nothing; a fragment
// to check is handed to the anchors at once.
[[nodiscard]] std::optional<WebCheck> ClassifyWebLink(std::string_view value,
                                                      const std::string& location,
                                                      const std::string& base);
// A fetched page as its links see it: its address ("?query" is that page
// with the query), its folder (what an absolute link must begin with to be
// crawled, and what relative links join) and its <base href> resolved by
// WebDocumentBase (empty without one: relative links then resolve against
// it, and one that leads to another server is checked as an absolute link
// would be).
struct WebLinkBase {
    std::string page;
    std::string folder;
    std::string documentBase;
};
[[nodiscard]] std::optional<WebCheck> ClassifyWebLink(std::string_view value,
                                                      const std::string& location,
                                                      const WebLinkBase& base);
// What classifying a local link once says of the next time: a link to a
// file (reported when it is checked, whatever it is) or to nothing adds no
// row again; a web link adds its row every time it is met.
enum class LocalLinkRepeat { kAddsNoRow, kAddsARowEachTime };

// What a local page's link asks for: a file to check (and walk, for a
// page), a web address to check by its status, or nothing. A web link that
// is not checked gets its skipped row at once.
struct LocalLinkDecision {
    LocalLinkRepeat repeat = LocalLinkRepeat::kAddsNoRow;
    std::optional<LocalLinkPaths> file;
    std::string webAddress;
};
[[nodiscard]] LocalLinkDecision ClassifyLocalLink(std::string_view value,
                                                  const std::wstring& location,
                                                  const LocalPath& base,
                                                  const LocalDocumentBase& documentBase = {});
