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

#include "engine/indexed_text_list.h"
#include "engine/link_classification.h"
#include "engine/link_extraction.h"
#include "engine/local_page.h"
#include "engine/results_table.h"
#include "engine/scan_control.h"
#include "engine/scan_state.h"
#include "engine/text_limits.h"
#include "engine/url_functions.h"

namespace {

constexpr wchar_t kOkState[] = L"OK";
constexpr wchar_t kEmptyFileState[] = L"Empty file";
constexpr wchar_t kCantOpenState[] = L"Can't open file";

// A page whose links are being followed: its name, its folder, its
// <base href> and its links.
struct PageCursor {
    std::wstring path;
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
    std::deque<PageCursor> pages;
    std::unordered_map<std::wstring, std::uint32_t> folders;
    IndexedTextList<char> repeats;
};

// The folder's number in the walk, for a page without <base href>. The https
// option is part of it: it decides what an "https:" link is.
std::uint32_t FolderNumber(Walk& walk, const LocalPath& base, bool hasBase) {
    if (hasBase) return kNoFolder;
    std::wstring key = base.text;
    key.push_back(HttpsLinksOf(mainWindow->Options()) == HttpsLinks::kChecked ? L's' : L'p');
    const auto [entry, added] =
        walk.folders.emplace(std::move(key), static_cast<std::uint32_t>(walk.folders.size()));
    (void)added;
    return entry->second;
}

// A repeat's key: the folder's number, then the link value.
std::string_view RepeatKey(std::uint32_t folder, std::string_view value, std::string& key) {
    key.assign(reinterpret_cast<const char*>(&folder), sizeof folder);
    key.append(value);
    return key;
}

// The walk running on this thread, if any: CheckLocalFile called from within
// it pushes the page instead of scanning it on the spot.
thread_local Walk* activeWalk = nullptr;

// Marks a walk active for its lifetime, also when a check throws.
class ActiveWalkScope {
public:
    explicit ActiveWalkScope(Walk& walk) { activeWalk = &walk; }
    ~ActiveWalkScope() { activeWalk = nullptr; }
    ActiveWalkScope(const ActiveWalkScope&) = delete;
    ActiveWalkScope& operator=(const ActiveWalkScope&) = delete;
};

// Checks and reports one file; a page to be scanned goes onto the walk.
void VisitLocalFile(const LocalLinkPaths& link, const std::wstring& location, Walk& walk) {
    ScanState& scan = TheScanState();
    if (scan.reportedLinks.Contains(link.path.text)) return;
    if (!scan.scanRunning) return;
    // Another name of the link is checked only when it is not reported yet.
    const LocalPath& path = NameToCheck(link);
    if (&path != &link.path && scan.reportedLinks.Contains(path.text)) return;
    const bool readLinks = !mainWindow->Options().scanPageOnly || path.text == scan.startPath;
    LocalFileRead read = ReadLocalFile(path, AllowedLinkGroups(mainWindow->Options()), readLinks);
    switch (read.content) {
        case FileContent::kUnreadable:
            AddLocalResult(path.text, kCantOpenState, location);
            return;
        case FileContent::kEmpty:
            AddLocalResult(path.text, kEmptyFileState, location);
            return;
        case FileContent::kPresent:
            AddLocalResult(path.text, kOkState, location);
            break;
    }
    if (!read.links) return;
    LocalPath base{GetUrlFolderW(path.text), GetUrlFolder(read.pathBytes)};
    LocalDocumentBase documentBase;
    if (read.baseHref) documentBase = ResolveLocalDocumentBase(*read.baseHref, base);
    const std::uint32_t folder = FolderNumber(walk, base, read.baseHref.has_value());
    walk.pages.push_back(
        {path.text, std::move(base), std::move(documentBase), std::move(read.links), 0, folder});
}

// Follows the links of every page on the walk, innermost page first. A
// page pushed while a link is classified leaves the cursors where they are.
void RunWalk(Walk& walk) {
    std::wstring location;
    std::string key;
    while (!walk.pages.empty()) {
        PageCursor& page = walk.pages.back();
        if (page.next == page.links->Count()) {
            walk.pages.pop_back();
            continue;
        }
        const std::size_t link = page.next++;
        const std::string_view value = page.links->Value(link);
        if (page.folder != kNoFolder && walk.repeats.Contains(RepeatKey(page.folder, value, key)))
            continue;
        location.assign(page.path).push_back(L':');
        const std::string line = std::to_string(page.links->Line(link));
        location.append(line.begin(), line.end());
        const LocalLinkRepeat repeat =
            ClassifyLocalLink(value, location, page.base, page.documentBase);
        if (page.folder != kNoFolder && repeat == LocalLinkRepeat::kAddsNoRow)
            walk.repeats.Add(RepeatKey(page.folder, value, key));
    }
}

}  // namespace

void CheckLocalFile(const std::wstring& path, const std::wstring& location) {
    CheckLocalFile(LocalPath{path, {}}, location);
}

void CheckLocalFile(const LocalPath& path, const std::wstring& location) {
    CheckLocalFile(LocalLinkPaths{path, {}, {}}, location);
}

void CheckLocalFile(const LocalLinkPaths& link, const std::wstring& location) {
    if (activeWalk != nullptr) {
        VisitLocalFile(link, location, *activeWalk);
        return;
    }
    Walk walk;
    const ActiveWalkScope scope(walk);
    VisitLocalFile(link, location, walk);
    RunWalk(walk);
}

std::wstring LocalStartPath(const std::wstring& typed) {
    if (typed.empty()) return typed;
    if (typed.find(L'/') == std::wstring::npos) return L"./" + typed;
    return RemoveDotSegmentsW(typed);
}

void RunLocalScan() {
    ScanState& scan = TheScanState();
    mainWindow->SetStartButtonLook(StartButtonLook::kStop);
    scan.startPath = LocalStartPath(scan.startPath);
    scan.scanRunning = true;
    CheckLocalFile(scan.startPath, scan.startPath);
    scan.scanRunning = false;
    mainWindow->SetStartButtonLook(StartButtonLook::kStart);
    ShowScanTotals();
}
