// The common dialogs on QMessageBox and QFileDialog, or on the handlers a
// test installed.
#include "ui/framework/common_dialogs.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>
#include <algorithm>

#include "ui/framework/qt_text.h"

namespace {

CommonDialogHandlers& Handlers() {
    static CommonDialogHandlers handlers;
    return handlers;
}

QMessageBox::Icon QtIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::kInformation:
            return QMessageBox::Information;
        case MessageIcon::kWarning:
            return QMessageBox::Warning;
        case MessageIcon::kError:
            return QMessageBox::Critical;
        case MessageIcon::kNone:
            break;
    }
    return QMessageBox::NoIcon;
}

void ShowRealMessageBox(QWidget* owner, const std::wstring& text, const std::wstring& caption,
                        MessageIcon icon) {
    QMessageBox box(QtIcon(icon), ToQString(caption), ToQString(text), QMessageBox::Ok, owner);
    // Texts may carry paths and addresses: show them as they are, never as markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

// "All files(*.*)": the name already shows what the filter matches.
bool NameShowsItsPatterns(const FileFilter& filter) {
    return filter.name.ends_with(L')') && filter.name.find(L'(') != std::wstring::npos;
}

QStringList QtFilters(const std::vector<FileFilter>& filters) {
    QStringList result;
    for (const FileFilter& filter : filters) result << ToQString(QtFilterText(filter));
    return result;
}

std::optional<std::wstring> ShowRealFileDialog(QWidget* owner, FileDialogKind kind,
                                               const FileDialogRequest& request) {
    QFileDialog dialog(owner, ToQString(request.title));
    const bool save = kind == FileDialogKind::kSave;
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save || !request.fileMustExist ? QFileDialog::AnyFile
                                                      : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.askBeforeReplacing);
    const QStringList filters = QtFilters(request.filters);
    // Qt shows each filter's patterns after its name; a name that shows them
    // itself would then read "All files(*.*) (*)", so it is shown alone.
    dialog.setOption(
        QFileDialog::HideNameFilterDetails,
        !request.filters.empty() &&
            std::all_of(request.filters.begin(), request.filters.end(), NameShowsItsPatterns));
    dialog.setNameFilters(filters);
    if (request.selectedFilter >= 0 && request.selectedFilter < filters.size()) {
        dialog.selectNameFilter(filters[request.selectedFilter]);
    }
    if (!request.defaultExtension.empty() && request.defaultExtension != L"*") {
        dialog.setDefaultSuffix(ToQString(request.defaultExtension));
    }
    if (!request.initialName.empty()) dialog.selectFile(ToQString(request.initialName));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) return std::nullopt;
    return ToWString(chosen.front());
}

}  // namespace

void ShowMessageBox(QWidget* owner, const std::wstring& text, const std::wstring& caption,
                    MessageIcon icon) {
    if (Handlers().messageBox) {
        Handlers().messageBox(owner, text, caption, icon);
    } else {
        ShowRealMessageBox(owner, text, caption, icon);
    }
}

std::optional<std::wstring> ShowOpenFileDialog(QWidget* owner, const FileDialogRequest& request) {
    if (Handlers().fileDialog) return Handlers().fileDialog(owner, FileDialogKind::kOpen, request);
    return ShowRealFileDialog(owner, FileDialogKind::kOpen, request);
}

std::optional<std::wstring> ShowSaveFileDialog(QWidget* owner, const FileDialogRequest& request) {
    if (Handlers().fileDialog) return Handlers().fileDialog(owner, FileDialogKind::kSave, request);
    return ShowRealFileDialog(owner, FileDialogKind::kSave, request);
}

void SetCommonDialogHandlers(CommonDialogHandlers handlers) { Handlers() = std::move(handlers); }

std::wstring QtFilterText(const FileFilter& filter) {
    std::vector<std::wstring> patterns;
    std::size_t start = 0;
    while (start <= filter.patterns.size()) {
        std::size_t end = filter.patterns.find(L';', start);
        if (end == std::wstring::npos) end = filter.patterns.size();
        std::wstring pattern = filter.patterns.substr(start, end - start);
        if (pattern == L"*.*") pattern = L"*";
        if (!pattern.empty() &&
            std::find(patterns.begin(), patterns.end(), pattern) == patterns.end()) {
            patterns.push_back(pattern);
        }
        start = end + 1;
    }
    std::wstring text = filter.name + L" (";
    for (std::size_t i = 0; i < patterns.size(); ++i) {
        if (i > 0) text += L' ';
        text += patterns[i];
    }
    return text + L")";
}
