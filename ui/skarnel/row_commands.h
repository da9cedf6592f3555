// What the window's row commands make of a row, without Qt: the text "Copy
// row" puts on the clipboard, the address "Open link in browser" hands to the
// desktop, and the title of the save dialog under a filter. UI thread.
#pragma once

#include <optional>
#include <string>

#include "engine/main_window_record.h"
#include "engine/result_filter.h"

// Link, State and Location separated by tabs, on one line: a tab, CR or LF
// inside a text becomes a blank, so the row pastes as three cells.
[[nodiscard]] std::wstring RowAsCopiedText(const ResultRow& row);

// The address a browser can open for a row's link, percent-encoded ASCII:
// an http or https link as it is, a local file that exists (relative paths
// taken from currentFolder) as a file:// address. A local link whose file
// exists only before a "#" opens that file at the fragment. Nothing for
// anything else (mailto:, a missing file, an empty link).
[[nodiscard]] std::optional<std::string> BrowserAddressOfLink(const std::wstring& link,
                                                              const std::wstring& currentFolder);

// The save dialog's title: "Save results (all 13 rows)", or under a filter
// "Save results (errors only: 5 of 13 rows)".
[[nodiscard]] std::wstring SaveResultsTitle(ResultFilter filter, std::size_t shownRows,
                                            std::size_t allRows);
