// "Edit file": opening the page that holds a result row's link in an editor,
// at the link's line. The window supplies the selected row's location and
// the ways to show messages and run a program; everything else is here.
// UI thread: the command waits until the editor has ended.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "engine/scan_options.h"

inline constexpr wchar_t kSelectItemFirstText[] = L"Select an item in the list first!";
inline constexpr wchar_t kErrorCaption[] = L"Error";
inline constexpr wchar_t kCantCreateTemporaryFileText[] = L"Can't create temporary file";
inline constexpr wchar_t kCantCreateSocketText[] = L"Can't create socket!";
inline constexpr wchar_t kCantConnectToHostText[] = L"Can't connect to the host!";
inline constexpr wchar_t kTemporaryFileSuffix[] = L"__temp_file.txt";
inline constexpr wchar_t kLineEditorName[] = L"ZentribEditor";

struct ParsedLocation {
    std::wstring page;
    int line = 0;
    bool operator==(const ParsedLocation&) const = default;
};

// Splits "page:line" at its last colon at index 6 or later; without one the
// whole text is the page and the line is 0.
[[nodiscard]] ParsedLocation ParseLocation(std::wstring_view location);

// "<folder>/<last segment of the address>__temp_file.txt". The folder is
// one made for this copy alone inside the temporary folder.
[[nodiscard]] std::wstring TemporaryPageFilePath(const std::wstring& folder,
                                                 std::wstring_view pageAddress);

// The line editor beside the running program with the file and the line, or
// the external editor's command with the file alone. The editor's path and
// the file are quoted only when they hold a blank, a tab or a quote; the
// external editor's command is taken as the user wrote it.
[[nodiscard]] std::wstring BuildEditorCommandLine(const std::wstring& file, int line,
                                                  const ScanOptions& options,
                                                  const std::wstring& runningProgramPath);

// The running program's file name without its extension.
[[nodiscard]] std::wstring ApplicationName(std::wstring_view runningProgramPath);

enum class EditMessageIcon { kNone, kError };

// What the command needs from its surroundings.
struct EditFileServices {
    std::function<void(const std::wstring& text, const std::wstring& caption, EditMessageIcon icon)>
        showMessage;
    // Starts the command line and waits for the program's end; on a failed
    // start returns false with the system's text for the error.
    std::function<bool(const std::wstring& commandLine, std::wstring* error)> runAndWait;
    std::wstring runningProgramPath;
    std::wstring temporaryFolder;
};

class OutputFile;

// Writes the page's body (as the crawl reads it) to file, byte for byte.
// False after showing why, when no connection could be made.
bool DownloadForEditing(const std::wstring& pageAddress, OutputFile& file,
                        const EditFileServices& services);

// The whole command for the selected row's location (nothing: no selection).
// A web page's copy is removed again on every path, once the editor has
// ended or could not start.
void EditFileAtLocation(const std::optional<std::wstring>& location, const ScanOptions& options,
                        const EditFileServices& services);

class ChildProcess;

// Starts the program of a command line (split by the editor's rules) with
// its arguments; nothing, with the system's text for the failure in *error,
// when it cannot be started.
[[nodiscard]] std::unique_ptr<ChildProcess> StartProgram(const std::wstring& commandLine,
                                                         std::wstring* error);

// Starts the command line and waits for the program's end, serving nothing
// meanwhile: for callers without a window.
[[nodiscard]] std::function<bool(const std::wstring&, std::wstring*)> RunProgramAndWait();
