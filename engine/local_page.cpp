// One local file read: the page test, the whole read of a page and its links.
#include "engine/local_page.h"

#include <array>

#include "engine/ascii_case.h"
#include "engine/results_table.h"
#include "engine/text_limits.h"
#include "engine/url_functions.h"
#include "platform/file.h"
#include "platform/text_codec.h"

namespace {

constexpr std::size_t kBlockSize = 1023;

bool OpenLocalFile(const LocalPath& path, InputFile& file, FolderHandles* folders) {
    if (path.text.size() > kMaxAddressLength) return false;
    if (path.fileBytes.empty()) return file.Open(path.text, FileMode::kText, folders);
    return file.OpenBytes(path.fileBytes, FileMode::kText, folders);
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

bool HasSvgName(const std::wstring& path) {
    const std::string name = Narrow(GetUrlFileNameW(path));
    return name.size() >= 4 &&
           EqualsIgnoringCase(std::string_view(name).substr(name.size() - 4), ".svg");
}

void CollectLinks(std::string pageText, LinkGroups groups, PageAnchors anchors,
                  LocalFileRead& read) {
    std::vector<LinkSpan> spans;
    const std::string_view text(pageText);
    // Offsets fit 32 bits: a page too large for them is read up to there.
    const PageReading reading = ReadPageLinks(text.substr(0, UINT32_MAX), groups, anchors);
    if (anchors == PageAnchors::kCollected)
        read.anchors = std::make_shared<const AnchorSet>(reading.anchors);
    spans.reserve(reading.links.size());
    for (const FoundLink& link : reading.links) {
        // No row shows more of a value than this; see ClassifyLocalLink.
        const std::string_view value = link.value.substr(0, kMaxRowTextLength);
        spans.push_back({static_cast<std::uint32_t>(value.data() - text.data()),
                         static_cast<std::uint32_t>(value.size()), link.line});
    }
    if (reading.baseHref) read.baseHref = std::string(*reading.baseHref);
    read.links = std::make_shared<const PageLinks>(std::move(pageText), std::move(spans));
}

}  // namespace

PageLinks::PageLinks(std::string pageText, std::vector<LinkSpan> spans)
    : m_text(std::move(pageText)), m_spans(std::move(spans)) {
    std::size_t valueBytes = 0;
    for (const LinkSpan& span : m_spans) valueBytes += span.length;
    if (valueBytes < m_text.size()) PackValues(valueBytes);
}

void PageLinks::PackValues(std::size_t valueBytes) {
    std::string packed;
    packed.reserve(valueBytes);
    for (LinkSpan& span : m_spans) {
        const std::size_t offset = packed.size();
        packed.append(m_text, span.offset, span.length);
        span.offset = static_cast<std::uint32_t>(offset);
    }
    m_text = std::move(packed);
}

LocalFileRead ReadLocalFile(const LocalPath& path, LinkGroups groups, bool readLinks,
                            PageAnchors anchors, FolderHandles* folders) {
    LocalFileRead read;
    InputFile file;
    if (!OpenLocalFile(path, file, folders)) {
        read.nameIsFolder = file.NameIsFolder();
        return read;
    }
    read.pathBytes = file.PathBytes();
    // A page by its name is read whole at once.
    const bool svg = anchors == PageAnchors::kCollected && HasSvgName(path.text);
    if ((readLinks && HasPageName(path.text)) || svg) {
        std::string pageText;
        file.ReadRest(&pageText);
        read.content = pageText.empty() ? FileContent::kEmpty : FileContent::kPresent;
        // An image's links are none of the scan's: only its ids are read.
        if (!pageText.empty()) CollectLinks(std::move(pageText), svg ? 0 : groups, anchors, read);
        if (svg) read.links.reset();
        return read;
    }
    std::array<char, kBlockSize> block;
    const std::size_t got = file.Read(block.data(), block.size());
    read.content = got == 0 ? FileContent::kEmpty : FileContent::kPresent;
    const std::string_view firstBlock(block.data(), got);
    if (got == 0 || !readLinks || !IsPage(path.text, firstBlock)) return read;
    std::string pageText(firstBlock);
    file.ReadRest(&pageText);
    CollectLinks(std::move(pageText), groups, anchors, read);
    return read;
}

bool LocalPathExists(const LocalPath& path) {
    return path.fileBytes.empty() ? PathExists(path.text) : PathBytesExist(path.fileBytes);
}

bool LocalPathIsFolder(const LocalPath& path) {
    return path.fileBytes.empty() ? PathIsFolder(path.text) : PathBytesAreFolder(path.fileBytes);
}

bool UnreadPathIsFolder(const LocalFileRead& read, const LocalPath& path) {
    if (read.nameIsFolder == FolderAnswer::kUnknown) return LocalPathIsFolder(path);
    return read.nameIsFolder == FolderAnswer::kFolder;
}

LocalPath AsFolder(const LocalPath& path) {
    LocalPath folder = path;
    if (!folder.text.ends_with(L'/')) folder.text.push_back(L'/');
    if (!folder.fileBytes.empty() && !folder.fileBytes.ends_with('/'))
        folder.fileBytes.push_back('/');
    return folder;
}

std::optional<LocalPath> IndexPageOf(const LocalPath& folder) {
    const LocalPath slashed = AsFolder(folder);
    for (const std::string_view name : {"index.html", "index.htm"}) {
        LocalPath index{slashed.text + Widen(name), {}};
        if (!slashed.fileBytes.empty()) index.fileBytes = slashed.fileBytes + std::string(name);
        if (LocalPathExists(index) && !LocalPathIsFolder(index)) return index;
    }
    return std::nullopt;
}

const LocalPath& NameToCheck(const LocalLinkPaths& link) {
    const bool hasOthers = !link.withoutQuery.text.empty() || !link.unescaped.text.empty() ||
                           !link.latin1.text.empty();
    if (!hasOthers || LocalPathExists(link.path)) return link.path;
    if (!link.latin1.text.empty() && LocalPathExists(link.latin1)) return link.latin1;
    if (!link.withoutQuery.text.empty() && LocalPathExists(link.withoutQuery)) {
        return link.withoutQuery;
    }
    if (!link.unescaped.text.empty() && LocalPathExists(link.unescaped)) return link.unescaped;
    return link.withoutQuery.text.empty() ? link.path : link.withoutQuery;
}
