// The local site scan. Pages are walked depth first without nesting calls:
// each page being scanned is a cursor over its links on an explicit stack,
// so a chain of any length cannot exhaust the thread's stack, and the rows
// still come in the order the nested walk would give them.
#include "engine/local_scan.h"

#include <array>
#include <vector>

#include "engine/link_classification.h"
#include "engine/link_extraction.h"
#include "engine/results_table.h"
#include "engine/scan_control.h"
#include "engine/scan_state.h"
#include "engine/text_limits.h"
#include "engine/url_functions.h"
#include "platform/file.h"

namespace {

constexpr std::size_t kBlockSize = 1023;
constexpr wchar_t kOkState[] = L"OK";
constexpr wchar_t kEmptyFileState[] = L"Empty file";
constexpr wchar_t kCantOpenState[] = L"Can't open file";

struct FoundLink {
    std::string value;
    int line = 0;
};

// A page whose links are being followed: its name, its folder and the links
// still to classify, in pass and text order.
struct PageCursor {
    std::wstring path;
    std::wstring base;
    std::vector<FoundLink> links;
    std::size_t next = 0;
};

// The walk running on this thread, if any: CheckLocalFile called from within
// it pushes the page instead of scanning it on the spot.
thread_local std::vector<PageCursor>* activeWalk = nullptr;

// Marks a walk active for its lifetime, also when a check throws.
class ActiveWalkScope {
public:
    explicit ActiveWalkScope(std::vector<PageCursor>& walk) { activeWalk = &walk; }
    ~ActiveWalkScope() { activeWalk = nullptr; }
    ActiveWalkScope(const ActiveWalkScope&) = delete;
    ActiveWalkScope& operator=(const ActiveWalkScope&) = delete;
};

std::string_view UpToFirstNul(const char* block, std::size_t size) {
    const std::string_view text(block, size);
    return text.substr(0, text.find('\0'));
}

enum class FileContent { kUnreadable, kEmpty, kPresent };

// Reads a file as text: the page text is filled only when the first block
// holds "<html"; other files are read no further than that block.
FileContent ReadLocalPage(const std::wstring& path, std::string* pageText) {
    InputFile file;
    if (path.size() > kMaxAddressLength || !file.Open(path, FileMode::kText)) {
        return FileContent::kUnreadable;
    }
    std::array<char, kBlockSize> block{};
    std::size_t got = file.Read(block.data(), block.size());
    if (got == 0) return FileContent::kEmpty;
    std::string_view text = UpToFirstNul(block.data(), got);
    if (text.find("<html") == std::string_view::npos) return FileContent::kPresent;
    while (got > 0) {
        pageText->append(text);
        got = file.Read(block.data(), block.size());
        text = UpToFirstNul(block.data(), got);
    }
    return FileContent::kPresent;
}

std::vector<FoundLink> CollectLinks(std::string_view pageText) {
    std::vector<FoundLink> links;
    ScanPageLinks(pageText, PageVariant::kLocal, [&links](std::string_view value, int line) {
        // No row shows more of a value than this; see ClassifyLocalLink.
        links.push_back({std::string(value.substr(0, kMaxRowTextLength)), line});
    });
    return links;
}

// Checks and reports one file; a page to be scanned goes onto the walk.
void VisitLocalFile(const std::wstring& path, const std::wstring& location,
                    std::vector<PageCursor>& walk) {
    ScanState& scan = TheScanState();
    if (scan.reportedLinks.Contains(path)) return;
    if (!scan.scanRunning) return;
    std::string pageText;
    switch (ReadLocalPage(path, &pageText)) {
        case FileContent::kUnreadable:
            AddLocalResult(path, kCantOpenState, location);
            return;
        case FileContent::kEmpty:
            AddLocalResult(path, kEmptyFileState, location);
            return;
        case FileContent::kPresent:
            AddLocalResult(path, kOkState, location);
            break;
    }
    if (mainWindow->Options().scanPageOnly && path != scan.startPath) return;
    if (pageText.empty()) return;
    walk.push_back({path, GetUrlFolderW(path), CollectLinks(pageText), 0});
}

std::wstring LinkLocation(const std::wstring& pagePath, int line) {
    return pagePath + L":" + std::to_wstring(line);
}

// Follows the links of every page on the walk, innermost page first.
void RunWalk(std::vector<PageCursor>& walk) {
    while (!walk.empty()) {
        PageCursor& page = walk.back();
        if (page.next == page.links.size()) {
            walk.pop_back();
            continue;
        }
        const FoundLink link = std::move(page.links[page.next++]);
        // Classifying may push a page and so move the cursors: copy first.
        const std::wstring location = LinkLocation(page.path, link.line);
        const std::wstring base = page.base;
        ClassifyLocalLink(link.value, location, base);
    }
}

}  // namespace

void CheckLocalFile(const std::wstring& path, const std::wstring& location) {
    if (activeWalk != nullptr) {
        VisitLocalFile(path, location, *activeWalk);
        return;
    }
    std::vector<PageCursor> walk;
    const ActiveWalkScope scope(walk);
    VisitLocalFile(path, location, walk);
    RunWalk(walk);
}

void RunLocalScan() {
    ScanState& scan = TheScanState();
    mainWindow->SetStartButtonLook(StartButtonLook::kStop);
    scan.scanRunning = true;
    CheckLocalFile(scan.startPath, scan.startPath);
    scan.scanRunning = false;
    mainWindow->SetStartButtonLook(StartButtonLook::kStart);
    ShowScanTotals();
}
