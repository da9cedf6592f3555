// The configuration file that keeps the scan options between runs:
// <folder>/conf01.dat, single-byte text written in text mode. Its first line
// is "%d %d %s %d %d %d" (checkImages, checkAllTags, editorCommand with blanks
// and "#" swapped, checkExternalUrls, useExternalEditor, scanPageOnly), which
// readers parse like a formatted scan. When that line cannot carry the options
// exactly (a command with characters above 255, a "#", white space, an empty
// command, or a line too long to be read back), a second line holds the exact
// record; readers of the first line alone never look at it. Options that the
// first line has no place for go on a line of their own, "extra name=value
// ...", written only when one of them is not at its default and placed after
// the exact record, so a reader that knows only the first two lines reads the
// six options exactly as before. Its items: https, fast, connections,
// anchors, redirects, retries and robots (numbers); root, agent and accept
// (texts: UTF-8, every blank, "%", control or non-ASCII byte as "%XX"); and
// one exclude or nofollow item per pattern, in order. The request headers
// are never written: they may hold a token.
// No Qt here: the window and skarnel-cli both use it, on one thread.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "engine/scan_options.h"

inline constexpr wchar_t kConfigurationFolderName[] = L"Durnvale";
inline constexpr wchar_t kConfigurationFileName[] = L"conf01.dat";
// A reader takes at most this many characters of the first line.
inline constexpr std::size_t kConfigurationLineLimit = 709;
// The first word of the exact-record line.
inline constexpr std::string_view kExactRecordMarker = "exact";
// The first word of the line of extra options.
inline constexpr std::string_view kExtraOptionsMarker = "extra";

// The folder that holds conf01.dat: $APPDATA, else $XDG_CONFIG_HOME, else
// $HOME/.config (a variable set to nothing counts as not set); then /Durnvale.
[[nodiscard]] std::wstring ConfigurationFolder();
// The folder joined with conf01.dat.
[[nodiscard]] std::wstring ConfigurationFilePath();

// Sets the defaults, creates the folder (with its parents) if it is missing,
// then reads the file over the defaults. A missing or unreadable file keeps
// the defaults; a malformed line keeps the values read before its first
// mismatch and the defaults after it. Never reports anything.
void LoadConfiguration(ScanOptions& options);

// Writes the options to the file. A file that cannot be written is left
// as it was and nothing is reported; the folder is not created here.
void SaveConfiguration(const ScanOptions& options);

// Swaps every blank with "#" and every "#" with a blank, in place; applying
// it twice restores the text.
void SwapSpaceAndHash(std::wstring& text);

// The first line as handed to the text-mode writer (it ends "\r\n", which
// text mode stores as 0D 0D 0A). The command is written whole, one byte per
// character; a character above 255, a line feed and a NUL become "?".
[[nodiscard]] std::string FormatConfigurationLine(const ScanOptions& options);

// Reads a line in the manner of sscanf with "%d %d %s %d %d %d" into options,
// which should hold the defaults: each value read is stored at once, and the
// scan stops at the first item that does not match. The line is taken up to
// its first NUL, as a C string would be.
void ParseConfigurationLine(std::string_view line, ScanOptions& options);

// The file's whole text as handed to the text-mode writer: the first line,
// the exact-record line when the first would not read back as the six
// options, and the extra-options line when an extra option is set.
[[nodiscard]] std::string FormatConfigurationText(const ScanOptions& options);

// Reads a file's text as text mode hands it over (CR LF already read as LF)
// into options, which should hold the defaults: the first line, cut at
// kConfigurationLineLimit characters, is parsed; then an exact-record line is
// taken instead when it is well formed and the first line is the one it
// would have been written with; then the first extra-options line after the
// first line sets the extra options it names (unknown names, written by a
// newer program, and malformed items are passed over).
void ParseConfigurationText(std::string_view text, ScanOptions& options);
