// What a link value means before it is classified, read as a browser reads
// an attribute and a URL: character references decoded, surrounding white
// space dropped, percent escapes of a file name undone, and the schemes no
// check here can follow. Pure functions; any thread may use them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// The kind of page a link was found in: a fetched web page or a local file.
enum class PageVariant { kWeb, kLocal };

// The value with its character references decoded ("&#45;", "&#x2D;",
// "&amp;", "&lt;", "&gt;", "&quot;", "&apos;", "&nbsp;"; numeric ones become
// UTF-8) and leading and trailing blanks and control characters removed.
// Anything else stays as written.
[[nodiscard]] std::string CleanLinkValue(std::string_view value);

// True for a value that leads nowhere a check can go: the empty value (the
// page itself), a value naming a scheme other than http, https or file
// ("ftp:", "news:", "tel:", "data:", ...; any case), and in a web page a
// "file:" URL, which names a file on the reader's own machine. A one-letter
// scheme is taken for a drive letter and is no scheme.
[[nodiscard]] bool LeadsNowhereToCheck(std::string_view value, PageVariant page);

// For a "file:" URL (any case) naming a file on this machine ("file:///p",
// "file://localhost/p", "file:/p"): the path, percent escapes undone, without
// query or fragment. Nothing for any other value.
[[nodiscard]] std::optional<std::string> LocalFileUrlPath(std::string_view value);

// The text with every "%" and two hexadecimal digits replaced by the byte
// they name, except a "/" or a zero byte, which no file name can hold.
[[nodiscard]] std::string PercentDecoded(std::string_view text);
