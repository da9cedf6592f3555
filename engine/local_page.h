// Reading one local file as the local scan reads it: whether it opens and
// has content, and for a page its links (in the order they are followed)
// and its <base href>. Pure but for the file system; any thread may read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/link_extraction.h"
#include "engine/local_scan.h"
#include "engine/page_anchors.h"
#include "platform/file.h"

// Where one found link's value lies in its page's link text, and its line.
struct LinkSpan {
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
    int line = 0;
};

// The links of one page, in the order they are followed. Values are held
// once: copied side by side when together they are smaller than the page,
// else as pieces of the page text itself, so a page's links never cost
// much more than the page.
class PageLinks {
public:
    PageLinks(std::string pageText, std::vector<LinkSpan> spans);

    [[nodiscard]] std::size_t Count() const { return m_spans.size(); }
    [[nodiscard]] std::string_view Value(std::size_t i) const {
        return std::string_view(m_text).substr(m_spans[i].offset, m_spans[i].length);
    }
    [[nodiscard]] int Line(std::size_t i) const { return m_spans[i].line; }
    // What the links take in memory.
    [[nodiscard]] std::size_t Bytes() const {
        return m_text.size() + m_spans.size() * sizeof(LinkSpan);
    }

private:
    void PackValues(std::size_t valueBytes);

    std::string m_text;
    std::vector<LinkSpan> m_spans;
};

enum class FileContent { kUnreadable, kEmpty, kPresent };

struct LocalFileRead {
    FileContent content = FileContent::kUnreadable;
    // The bytes the file was opened by.
    std::string pathBytes;
    // A page's links, read for these groups; none for a file that is no
    // page or whose links were not asked for.
    std::shared_ptr<const PageLinks> links;
    std::optional<std::string> baseHref;
    // What a fragment may name in the file, when anchors were asked for and
    // it is a page or an SVG image; none for any other file.
    std::shared_ptr<const AnchorSet> anchors;
    // For a file that could not be read: whether its name is a folder, when
    // the open could tell.
    FolderAnswer nameIsFolder = FolderAnswer::kUnknown;
};

// Reads the file at path. A file is a page when its name ends in .html,
// .htm or .xhtml or its first block holds "<html" or "<!doctype html" (any
// case); a page is read whole, and its links of groups collected when
// readLinks is set; any other file is read no further than its first block.
// With anchors collected, an SVG image is read whole for its ids too. A walk
// that reads many files passes the folders it holds open.
[[nodiscard]] LocalFileRead ReadLocalFile(const LocalPath& path, LinkGroups groups, bool readLinks,
                                          PageAnchors anchors = PageAnchors::kSkipped,
                                          FolderHandles* folders = nullptr);

// Whether a file or anything else of that name exists, and whether it is a
// folder, by the path's bytes when it has them.
[[nodiscard]] bool LocalPathExists(const LocalPath& path);
[[nodiscard]] bool LocalPathIsFolder(const LocalPath& path);
// Whether the file read at path, which could not be read, is a folder: as
// LocalPathIsFolder says, asked only when the open could not tell.
[[nodiscard]] bool UnreadPathIsFolder(const LocalFileRead& read, const LocalPath& path);

// A folder's index page: its index.html, else its index.htm, when one exists.
[[nodiscard]] std::optional<LocalPath> IndexPageOf(const LocalPath& folder);

// The path ending in "/", as a folder's row shows it.
[[nodiscard]] LocalPath AsFolder(const LocalPath& path);

// The name of a link to check: the first of its names that a file has, else
// the name without query or fragment. A link whose names include no query,
// fragment or percent escape has only one.
[[nodiscard]] const LocalPath& NameToCheck(const LocalLinkPaths& link);
