// The local site scan. Pages are walked depth first without nesting calls:
// each page being scanned is a cursor over its links on an explicit stack,
// so a chain of any length cannot exhaust the thread's stack, and the rows
// still come in the order the nested walk would give them.
#include "engine/local_scan.h"

#include <array>
#include <cstdint>
#include <deque>
#include <vector>

#include "engine/ascii_case.h"
#include "engine/link_classification.h"
#include "engine/link_extraction.h"
#include "engine/results_table.h"
#include "engine/scan_control.h"
#include "engine/scan_state.h"
#include "engine/text_limits.h"
#include "engine/url_functions.h"
#include "platform/file.h"
#include "platform/text_codec.h"

namespace {

constexpr std::size_t kBlockSize = 1023;
constexpr wchar_t kOkState[] = L"OK";
constexpr wchar_t kEmptyFileState[] = L"Empty file";
constexpr wchar_t kCantOpenState[] = L"Can't open file";

// Where one found link's value lies in its page's link text, and its line.
struct LinkSpan {
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
    int line = 0;
};

// The links of one page still to classify, in pass and text order. Values
// are held once: copied side by side when together they are smaller than
// the page, else as pieces of the page text itself, so a page's links never
// cost much more than the page.
class PageLinks {
public:
    PageLinks(std::string pageText, std::vector<LinkSpan> spans)
        : m_text(std::move(pageText)), m_spans(std::move(spans)) {
        std::size_t valueBytes = 0;
        for (const LinkSpan& span : m_spans) valueBytes += span.length;
        if (valueBytes < m_text.size()) PackValues(valueBytes);
    }

    [[nodiscard]] std::size_t Count() const { return m_spans.size(); }
    [[nodiscard]] std::string_view Value(std::size_t i) const {
        return std::string_view(m_text).substr(m_spans[i].offset, m_spans[i].length);
    }
    [[nodiscard]] int Line(std::size_t i) const { return m_spans[i].line; }

private:
    void PackValues(std::size_t valueBytes) {
        std::string packed;
        packed.reserve(valueBytes);
        for (LinkSpan& span : m_spans) {
            const std::size_t offset = packed.size();
            packed.append(m_text, span.offset, span.length);
            span.offset = static_cast<std::uint32_t>(offset);
        }
        m_text = std::move(packed);
    }

    std::string m_text;
    std::vector<LinkSpan> m_spans;
};

// A page whose links are being followed: its name, its folder, its
// <base href> and its links.
struct PageCursor {
    std::wstring path;
    LocalPath base;
    LocalDocumentBase documentBase;
    PageLinks links;
    std::size_t next = 0;
};

// The walk running on this thread, if any: CheckLocalFile called from within
// it pushes the page instead of scanning it on the spot.
// A deque: pushing a page keeps every other page where it is.
using Walk = std::deque<PageCursor>;
thread_local Walk* activeWalk = nullptr;

// Marks a walk active for its lifetime, also when a check throws.
class ActiveWalkScope {
public:
    explicit ActiveWalkScope(Walk& walk) { activeWalk = &walk; }
    ~ActiveWalkScope() { activeWalk = nullptr; }
    ActiveWalkScope(const ActiveWalkScope&) = delete;
    ActiveWalkScope& operator=(const ActiveWalkScope&) = delete;
};

enum class FileContent { kUnreadable, kEmpty, kPresent };

bool OpenLocalFile(const LocalPath& path, InputFile& file) {
    if (path.text.size() > kMaxAddressLength) return false;
    if (path.fileBytes.empty()) return file.Open(path.text, FileMode::kText);
    return file.OpenBytes(path.fileBytes, FileMode::kText);
}

bool LocalPathExists(const LocalPath& path) {
    return path.fileBytes.empty() ? PathExists(path.text) : PathBytesExist(path.fileBytes);
}

bool HasPageName(const std::wstring& path) {
    const std::string name = Narrow(GetUrlFileNameW(path));
    for (const std::string_view suffix : {".html", ".htm", ".xhtml"}) {
        if (name.size() >= suffix.size() &&
            EqualsIgnoringCase(std::string_view(name).substr(name.size() - suffix.size()), suffix))
            return true;
    }
    return false;
}

// A page is read whole: one named as a page, or whose first block says it is
// one (HTML lets a page leave out its <html> tag but rarely its doctype).
bool IsPage(const std::wstring& path, std::string_view firstBlock) {
    return HasPageName(path) || ContainsIgnoringCase(firstBlock, "<html") ||
           ContainsIgnoringCase(firstBlock, "<!doctype html");
}

// Reads a file as text: the page text is filled only for a page; other
// files are read no further than their first block. The bytes the file was
// opened by go to pathBytes.
FileContent ReadLocalPage(const LocalPath& path, std::string* pageText, std::string* pathBytes) {
    InputFile file;
    if (!OpenLocalFile(path, file)) return FileContent::kUnreadable;
    *pathBytes = file.PathBytes();
    std::array<char, kBlockSize> block;
    const std::size_t got = file.Read(block.data(), block.size());
    if (got == 0) return FileContent::kEmpty;
    const std::string_view firstBlock(block.data(), got);
    if (!IsPage(path.text, firstBlock)) return FileContent::kPresent;
    pageText->assign(firstBlock);
    file.ReadRest(pageText);
    return FileContent::kPresent;
}

struct CollectedLinks {
    PageLinks links;
    std::optional<std::string> baseHref;
};

CollectedLinks CollectLinks(std::string pageText) {
    std::vector<LinkSpan> spans;
    const std::string_view text(pageText);
    // Offsets fit 32 bits: a page too large for them is read up to there.
    PageReading reading = ScanPageLinks(text.substr(0, UINT32_MAX));
    spans.reserve(reading.links.size());
    for (const FoundLink& link : reading.links) {
        // No row shows more of a value than this; see ClassifyLocalLink.
        const std::string_view value = link.value.substr(0, kMaxRowTextLength);
        spans.push_back({static_cast<std::uint32_t>(value.data() - text.data()),
                         static_cast<std::uint32_t>(value.size()), link.line});
    }
    std::optional<std::string> baseHref;
    if (reading.baseHref) baseHref = std::string(*reading.baseHref);
    return {PageLinks(std::move(pageText), std::move(spans)), std::move(baseHref)};
}

// The name of a link to check: the first of its names that a file has, else
// the name without query or fragment. A link whose names include no query,
// fragment or percent escape has only one.
const LocalPath& NameToCheck(const LocalLinkPaths& link) {
    const bool hasOthers = !link.withoutQuery.text.empty() || !link.unescaped.text.empty();
    if (!hasOthers || LocalPathExists(link.path)) return link.path;
    if (!link.withoutQuery.text.empty() && LocalPathExists(link.withoutQuery)) {
        return link.withoutQuery;
    }
    if (!link.unescaped.text.empty() && LocalPathExists(link.unescaped)) return link.unescaped;
    return link.withoutQuery.text.empty() ? link.path : link.withoutQuery;
}

// Checks and reports one file; a page to be scanned goes onto the walk.
void VisitLocalFile(const LocalLinkPaths& link, const std::wstring& location, Walk& walk) {
    ScanState& scan = TheScanState();
    if (scan.reportedLinks.Contains(link.path.text)) return;
    if (!scan.scanRunning) return;
    // Another name of the link is checked only when it is not reported yet.
    const LocalPath& path = NameToCheck(link);
    if (&path != &link.path && scan.reportedLinks.Contains(path.text)) return;
    std::string pageText;
    std::string pathBytes;
    switch (ReadLocalPage(path, &pageText, &pathBytes)) {
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
    if (mainWindow->Options().scanPageOnly && path.text != scan.startPath) return;
    if (pageText.empty()) return;
    LocalPath base{GetUrlFolderW(path.text), GetUrlFolder(pathBytes)};
    CollectedLinks collected = CollectLinks(std::move(pageText));
    LocalDocumentBase documentBase;
    if (collected.baseHref) documentBase = ResolveLocalDocumentBase(*collected.baseHref, base);
    walk.push_back(
        {path.text, std::move(base), std::move(documentBase), std::move(collected.links), 0});
}

// Follows the links of every page on the walk, innermost page first. A
// page pushed while a link is classified leaves the cursors where they are.
void RunWalk(Walk& walk) {
    std::wstring location;
    while (!walk.empty()) {
        PageCursor& page = walk.back();
        if (page.next == page.links.Count()) {
            walk.pop_back();
            continue;
        }
        const std::size_t link = page.next++;
        location.assign(page.path).push_back(L':');
        const std::string line = std::to_string(page.links.Line(link));
        location.append(line.begin(), line.end());
        ClassifyLocalLink(page.links.Value(link), location, page.base, page.documentBase);
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
