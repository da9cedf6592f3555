// Message boxes and the open and save file dialogs, one function each. Tests
// swap the real dialogs for recorders with SetCommonDialogHandlers. UI thread
// only.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QWidget;

enum class MessageIcon { kNone, kInformation, kWarning, kError };

// A file type filter as the programs name it: a display name and patterns
// separated by ";" ("*.*;*.*").
struct FileFilter {
    std::wstring name;
    std::wstring patterns;

    bool operator==(const FileFilter&) const = default;
};

struct FileDialogRequest {
    std::wstring title;  // empty: the platform's own title
    std::vector<FileFilter> filters;
    int selectedFilter = 0;
    std::wstring initialName;
    // Appended to a typed name without an extension; empty or "*": nothing.
    std::wstring defaultExtension;
    bool fileMustExist = false;
    bool askBeforeReplacing = false;

    bool operator==(const FileDialogRequest&) const = default;
};

enum class FileDialogKind { kOpen, kSave };

// Shows a modal message box with an OK button.
void ShowMessageBox(QWidget* owner, const std::wstring& text, const std::wstring& caption,
                    MessageIcon icon = MessageIcon::kNone);

// The chosen file's full path, or nothing when the user cancels.
[[nodiscard]] std::optional<std::wstring> ShowOpenFileDialog(QWidget* owner,
                                                             const FileDialogRequest& request);
[[nodiscard]] std::optional<std::wstring> ShowSaveFileDialog(QWidget* owner,
                                                             const FileDialogRequest& request);

struct CommonDialogHandlers {
    std::function<void(QWidget* owner, const std::wstring& text, const std::wstring& caption,
                       MessageIcon icon)>
        messageBox;
    std::function<std::optional<std::wstring>(QWidget* owner, FileDialogKind kind,
                                              const FileDialogRequest& request)>
        fileDialog;
};

// Replaces the dialogs; an empty handler puts the real dialog back.
void SetCommonDialogHandlers(CommonDialogHandlers handlers);

// The filter as Qt writes it, "Name (pattern pattern)". A "*.*" pattern
// becomes "*": here a file name need not contain a dot.
[[nodiscard]] std::wstring QtFilterText(const FileFilter& filter);
