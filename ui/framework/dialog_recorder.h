// A stand-in for the common dialogs in tests: it records every message box
// and file dialog the code under test asks for, and answers the file dialogs
// from a list the test gives (cancel when the list is used up). Installed
// for its own lifetime; UI thread only.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "ui/framework/common_dialogs.h"

struct RecordedMessage {
    std::wstring text;
    std::wstring caption;
    MessageIcon icon = MessageIcon::kNone;

    bool operator==(const RecordedMessage&) const = default;
};

struct RecordedFileDialog {
    FileDialogKind kind = FileDialogKind::kOpen;
    FileDialogRequest request;
    QWidget* owner = nullptr;
};

class DialogRecorder {
public:
    DialogRecorder();
    ~DialogRecorder();
    DialogRecorder(const DialogRecorder&) = delete;
    DialogRecorder& operator=(const DialogRecorder&) = delete;

    // The next file dialog returns path (nothing: the user cancels).
    void AnswerNextFileDialog(std::optional<std::wstring> path);

    [[nodiscard]] const std::vector<RecordedMessage>& Messages() const { return m_messages; }
    [[nodiscard]] const std::vector<RecordedFileDialog>& FileDialogs() const {
        return m_fileDialogs;
    }

private:
    std::vector<RecordedMessage> m_messages;
    std::vector<RecordedFileDialog> m_fileDialogs;
    std::deque<std::optional<std::wstring>> m_answers;
};
