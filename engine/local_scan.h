// The local site scan: the start file and every file it links to, depth
// first, on the scan thread.
#pragma once

#include <string>

class WebChecks;

// A local path twice over: as its rows show it (each byte of a link one
// character) and as the file system is given it (the bytes of the page that
// linked it and of the link itself, so a UTF-8 link under a folder typed with
// any characters names the file it names in a browser). Empty bytes: the
// file system is given the text as any typed path is.
struct LocalPath {
    std::wstring text;
    std::string fileBytes;

    bool operator==(const LocalPath&) const = default;
};

// Where a relative or root-relative local link leads: the path as written,
// and the names a browser would open instead when no file of that name
// exists: without the link's query or fragment, and with its percent
// escapes undone as well, and its bytes in UTF-8 (each empty when it would
// be the same).
struct LocalLinkPaths {
    LocalPath path;
    LocalPath withoutQuery;
    LocalPath unescaped;
    // For a link that is not UTF-8: its bytes read as Latin-1 and given to
    // the file system in UTF-8, under the same text.
    LocalPath latin1;
};

// The local branch of the scan thread.
void RunLocalScan();

// Checks path, adds its row and, for a page, checks the files it links to
// before returning; the web links it meets are handed to webChecks.
void CheckLocalFile(const LocalPath& path, const std::wstring& location, WebChecks& webChecks);

// The path a local scan starts from: a bare file name (no "/") is taken in
// the current folder as "./name", and dot segments are removed, so that the
// start page's links resolve as every other page's do.
[[nodiscard]] std::wstring LocalStartPath(const std::wstring& typed);
