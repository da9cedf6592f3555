// The configuration file that keeps the six scan options between runs: one
// single-byte text line "%d %d %s %d %d %d" in <folder>/conf01.dat, written
// in text mode. No Qt here: the window and skarnel-cli both use it.
#pragma once

#include <string>
#include <string_view>

#include "engine/scan_options.h"

// The folder that holds conf01.dat: $APPDATA, else $XDG_CONFIG_HOME, else
// $HOME/.config; then /Durnvale.
[[nodiscard]] std::wstring ConfigurationFolder();

// Sets the defaults, then reads the file over them (creating the folder
// first; a missing or malformed file leaves the defaults that were not read).
void LoadConfiguration(ScanOptions& options);

// Writes the six options to the file; a file that cannot be written is
// left as it was, without a message.
void SaveConfiguration(const ScanOptions& options);

// Swaps every blank with "#" and back, in place.
void SwapSpaceAndHash(std::wstring& text);

// The file's line as written to disk (line end included), and the reading of
// a line over options that hold the defaults. Exposed for tests and fuzzing.
[[nodiscard]] std::string FormatConfigurationLine(const ScanOptions& options);
void ParseConfigurationLine(std::string_view line, ScanOptions& options);
