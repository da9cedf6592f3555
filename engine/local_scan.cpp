// The local site scan. Pages are walked depth first without nesting calls:
// each page being scanned is a cursor over its links on an explicit stack,
// so a chain of any length cannot exhaust the thread's stack, and the rows
// still come in the order the nested walk would give them.
#include "engine/local_scan.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

#include "engine/ascii_case.h"
#include "engine/indexed_text_list.h"
#include "engine/link_classification.h"
#include "engine/link_extraction.h"
#include "engine/local_page.h"
#include "engine/page_anchors.h"
#include "engine/results_table.h"
#include "engine/scan_control.h"
#include "engine/scan_state.h"
#include "engine/text_limits.h"
#include "engine/url_functions.h"
#include "engine/web_check_rules.h"
#include "engine/web_checks.h"
#include "platform/file.h"
#include "platform/text_codec.h"

namespace {

constexpr wchar_t kOkState[] = L"OK";
constexpr wchar_t kEmptyFileState[] = L"Empty file";
constexpr wchar_t kCantOpenState[] = L"Can't open file";

// A page whose links are being followed: its name (the file, as its links'
// locations give it, and the text of its row: a folder's for an index
// page), its folder, its <base href> and its links.
struct PageCursor {
    std::wstring path;
    std::wstring rowText;
    LocalPath base;
    LocalDocumentBase documentBase;
    std::shared_ptr<const PageLinks> links;
    std::size_t next = 0;
    // The number of the page's folder among those whose links resolve
    // alike, or kNoFolder for a page with a <base href>.
    std::uint32_t folder = 0;
};

constexpr std::uint32_t kNoFolder = UINT32_MAX;

// The pages being followed, innermost last (a deque: pushing a page keeps
// every other page where it is), and what a link met before says. A link
// value that led to a file or to nothing from one folder adds no row when
// it is met there again, whatever page holds it: most of a site's links
// are such repeats, and are passed over without resolving them again.
struct Walk {
    explicit Walk(WebChecks& checks) : webChecks(checks) {}

    // Where the web links of a local scan go.
    WebChecks& webChecks;
    std::deque<PageCursor> pages;
    std::unordered_map<std::wstring, std::uint32_t> folders;
    // The repeats of each folder by its number, in a set of their own: the
    // pages of one folder, read one after another, then look up in a small
    // set that stays in the cache, not all over the whole site's.
    std::vector<IndexedTextList<char>> repeats;
    // True until the walk's first file, its start page, is read.
    bool first = true;
    // The folders the walk reads in, held open for its life.
    FolderHandles openFolders;
};

// The folder's number in the walk, for a page without <base href>. The https
// option is part of it: it decides what an "https:" link is.
std::uint32_t FolderNumber(Walk& walk, const LocalPath& base, bool hasBase) {
    if (hasBase) return kNoFolder;
    std::wstring key = base.text;
    key.push_back(HttpsLinksOf(mainWindow->Options()) == HttpsLinks::kChecked ? L's' : L'p');
    const auto [entry, added] =
        walk.folders.emplace(std::move(key), static_cast<std::uint32_t>(walk.folders.size()));
    if (added) walk.repeats.emplace_back();
    return entry->second;
}

bool ChecksAnchors() { return mainWindow->Options().checkAnchors != 0; }

// Patterns are matched against a file as its row names it.
bool MatchesAny(const LinkPatterns& patterns, const LocalPath& path) {
    return !patterns.Empty() && patterns.Matches(ToUtf8(path.text));
}

LocalFileRead ReadForWalk(const LocalPath& path, Walk& walk) {
    // Only the first file of a walk, its start page, has its links followed
    // when the start page alone is scanned.
    const ScanOptions& options = mainWindow->Options();
    const bool readLinks =
        (!options.scanPageOnly || walk.first) && !MatchesAny(TheWebCheckRules().noFollow, path);
    walk.first = false;
    return ReadLocalFile(path, AllowedLinkGroups(options), readLinks,
                         ChecksAnchors() ? PageAnchors::kCollected : PageAnchors::kSkipped,
                         &walk.openFolders);
}

// The anchors of a file read, under a text that names it.
void KeepAnchors(const std::wstring& text, const std::shared_ptr<const AnchorSet>& anchors) {
    if (anchors) TheScanState().localAnchors.emplace(text, anchors);
}

// Adds the row of a file read, and for a page with links puts the page on
// the walk: pagePath names it in the locations of its links, folder is what
// they resolve against.
void ReportAndFollow(const std::wstring& rowText, const std::wstring& pagePath, LocalFileRead read,
                     LocalPath folder, const std::wstring& location, Walk& walk) {
    KeepAnchors(rowText, read.anchors);
    KeepAnchors(pagePath, read.anchors);
    switch (read.content) {
        case FileContent::kUnreadable:
            AddLocalResult(rowText, kCantOpenState, location);
            return;
        case FileContent::kEmpty:
            AddLocalResult(rowText, kEmptyFileState, location);
            return;
        case FileContent::kPresent:
            AddLocalResult(rowText, kOkState, location);
            break;
    }
    if (!read.links) return;
    LocalDocumentBase documentBase;
    if (read.baseHref) {
        documentBase = ResolveLocalDocumentBase(*read.baseHref, folder, TheScanState().siteRoot);
    }
    const std::uint32_t number = FolderNumber(walk, folder, read.baseHref.has_value());
    walk.pages.push_back({pagePath, rowText, std::move(folder), std::move(documentBase),
                          std::move(read.links), 0, number});
}

// A link to a folder that holds an index page: one row for the folder,
// "folder/", with the index page's state, and the index page read as the
// page the folder is. Every text for it counts as reported.
void VisitFolderIndex(const LocalPath& folder, const LocalPath& index, const std::wstring& location,
                      Walk& walk) {
    ScanState& scan = TheScanState();
    const LocalPath slashed = AsFolder(folder);
    if (scan.reportedLinks.Contains(index.text) || scan.reportedLinks.Contains(slashed.text)) {
        scan.reportedLinks.Add(folder.text);
        if (const auto known = scan.localAnchors.find(index.text);
            known != scan.localAnchors.end()) {
            KeepAnchors(folder.text, std::shared_ptr<const AnchorSet>(known->second));
        }
        return;
    }
    LocalFileRead read = ReadForWalk(index, walk);
    scan.reportedLinks.Add(folder.text);
    scan.reportedLinks.Add(index.text);
    KeepAnchors(folder.text, read.anchors);
    LocalPath base{slashed.text,
                   read.pathBytes.empty() ? slashed.fileBytes : GetUrlFolder(read.pathBytes)};
    ReportAndFollow(slashed.text, index.text, std::move(read), std::move(base), location, walk);
}

// Checks and reports one file; a page to be scanned goes onto the walk.
void VisitLocalFile(const LocalLinkPaths& link, const std::wstring& location, Walk& walk) {
    ScanState& scan = TheScanState();
    if (scan.reportedLinks.Contains(link.path.text)) return;
    if (!scan.scanRunning) return;
    // Another name of the link is checked only when it is not reported yet.
    const LocalPath& path = NameToCheck(link);
    if (&path != &link.path && scan.reportedLinks.Contains(path.text)) return;
    if (MatchesAny(TheWebCheckRules().exclude, path)) {
        AddLocalResult(path.text, Widen(kExcludedState), location, ResultIcon::kSkipped);
        return;
    }
    const bool first = walk.first;
    LocalFileRead read = ReadForWalk(path, walk);
    if (read.content == FileContent::kUnreadable && UnreadPathIsFolder(read, path)) {
        if (const std::optional<LocalPath> index = IndexPageOf(path)) {
            walk.first = first;
            VisitFolderIndex(path, *index, location, walk);
            return;
        }
    }
    LocalPath base{GetUrlFolderW(path.text), GetUrlFolder(read.pathBytes)};
    ReportAndFollow(path.text, path.text, std::move(read), std::move(base), location, walk);
}

// A link's fragment, checked against the anchors of the page it leads to
// once that page has been read: a missing one is a row of its own, with the
// link and its fragment. A page not read as a page (an image, a file that
// is missing) has no anchors to check against.
void CheckLocalFragment(const PageCursor& page, std::string_view value,
                        const std::wstring& location) {
    ScanState& scan = TheScanState();
    const LocalLinkTarget target = LocalLinkTargetOf(
        value, page.base, page.documentBase, HttpsLinksOf(mainWindow->Options()), scan.siteRoot);
    const std::optional<std::string_view> fragment = FragmentOf(target.value);
    if (!fragment) return;
    std::wstring file;
    // A page's own anchors are named as its row names it, as a link to it would.
    if (target.kind == LocalLinkTarget::Kind::kThisPage) {
        file = page.rowText;
    } else if (target.kind == LocalLinkTarget::Kind::kRelative) {
        const LocalLinkPaths paths = ResolveLocalLink(target.value, target.linkKind, *target.base);
        // A file whose name holds the "#" is the file the link names.
        if (paths.withoutQuery.text.empty() || LocalPathExists(paths.path)) return;
        file = paths.withoutQuery.text;
    } else {
        return;
    }
    const auto anchors = scan.localAnchors.find(file);
    if (anchors == scan.localAnchors.end() || anchors->second->Names(*fragment)) return;
    AddLocalResult(file + L'#' + Widen(*fragment), kAnchorNotFoundState, location);
}

// Follows the links of every page on the walk, innermost page first. A
// page pushed while a link is classified leaves the cursors where they are.
void RunWalk(Walk& walk) {
    std::wstring location;
    const bool anchors = ChecksAnchors();
    while (!walk.pages.empty()) {
        PageCursor& page = walk.pages.back();
        if (page.next == page.links->Count()) {
            walk.pages.pop_back();
            continue;
        }
        const std::size_t link = page.next++;
        const std::string_view value = page.links->Value(link);
        // A fragment is checked wherever it is met: such a link is no repeat.
        const bool checksFragment = anchors && value.find('#') != std::string_view::npos;
        const bool memo = page.folder != kNoFolder && !checksFragment;
        if (memo && walk.repeats[page.folder].Contains(value)) continue;
        location.assign(page.path).push_back(L':');
        const std::string line = std::to_string(page.links->Line(link));
        location.append(line.begin(), line.end());
        const LocalLinkDecision decision =
            ClassifyLocalLink(value, location, page.base, page.documentBase);
        if (decision.file) {
            VisitLocalFile(*decision.file, location, walk);
        } else if (!decision.webAddress.empty()) {
            HandOnChecks({WebCheck{ResponseUse::kStatusOnly, decision.webAddress, location, {}}},
                         walk.webChecks);
        }
        if (checksFragment) CheckLocalFragment(page, value, location);
        if (memo && decision.repeat == LocalLinkRepeat::kAddsNoRow)
            walk.repeats[page.folder].Add(value);
    }
}

}  // namespace

void CheckLocalFile(const LocalPath& path, const std::wstring& location, WebChecks& webChecks) {
    Walk walk(webChecks);
    VisitLocalFile(LocalLinkPaths{path, {}, {}, {}}, location, walk);
    RunWalk(walk);
}

std::wstring LocalStartPath(const std::wstring& typed) {
    if (typed.empty()) return typed;
    if (typed.find(L'/') == std::wstring::npos) return L"./" + typed;
    return RemoveDotSegmentsW(typed);
}

namespace {

bool EndsInPageSuffix(std::string_view name) {
    for (const std::string_view suffix : {".html", ".htm"}) {
        if (name.size() >= suffix.size() &&
            EqualsIgnoringCase(name.substr(name.size() - suffix.size()), suffix))
            return true;
    }
    return false;
}

// A folder as the start: its index page first, then every other page
// under it that no link reached, in path order, each a start page.
void ScanFolder(const LocalPath& folder, WebChecks& webChecks) {
    ScanState& scan = TheScanState();
    if (const std::optional<LocalPath> index = IndexPageOf(folder)) {
        CheckLocalFile(*index, index->text, webChecks);
    }
    for (const std::string& file : FilesUnderFolder(folder.fileBytes)) {
        if (!scan.scanRunning) return;
        if (!EndsInPageSuffix(file)) continue;
        const LocalPath page{folder.text + Widen(file), folder.fileBytes + file};
        if (!scan.reportedLinks.Contains(page.text)) CheckLocalFile(page, page.text, webChecks);
    }
}

// The folder a typed path names, as a folder: "./" before a bare name, "/"
// at its end, dot segments removed.
LocalPath FolderPath(const std::wstring& typed) {
    std::wstring text = LocalStartPath(typed);
    if (!text.ends_with(L'/')) text.push_back(L'/');
    return LocalPath{text, FileSystemPath(text)};
}

// What root-relative links resolve against: the folder the options name,
// else the start folder, else the start page's folder.
LocalPath SiteRootOf(const std::wstring& startPath, bool startIsFolder) {
    const std::wstring& chosen = TheScanState().chosenSiteRoot;
    if (!chosen.empty()) return FolderPath(chosen);
    if (startIsFolder) return FolderPath(startPath);
    const std::wstring folder = GetUrlFolderW(startPath);
    return LocalPath{folder, FileSystemPath(folder)};
}

}  // namespace

void RunLocalScan() {
    ScanState& scan = TheScanState();
    mainWindow->SetStartButtonLook(StartButtonLook::kStop);
    scan.startPath = LocalStartPath(scan.startPath);
    const bool startIsFolder = !scan.startPath.empty() && PathIsFolder(scan.startPath);
    scan.siteRoot = SiteRootOf(scan.startPath, startIsFolder);
    ScanWebChecks webChecks;
    scan.scanRunning = true;
    if (startIsFolder) {
        ScanFolder(FolderPath(scan.startPath), webChecks.Checks());
    } else {
        CheckLocalFile(LocalPath{scan.startPath, {}}, scan.startPath, webChecks.Checks());
    }
    // The web links handed to fast checking are checked by now.
    webChecks.Checks().RunUntilDone();
    scan.scanRunning = false;
    scan.siteRoot = {};
    scan.localAnchors.clear();
    mainWindow->SetStartButtonLook(StartButtonLook::kStart);
    ShowScanTotals();
}
