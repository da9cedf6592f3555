// The dialog recorder.
#include "ui/framework/dialog_recorder.h"

DialogRecorder::DialogRecorder() {
    CommonDialogHandlers handlers;
    handlers.messageBox = [this](QWidget*, const std::wstring& text, const std::wstring& caption,
                                 MessageIcon icon) {
        m_messages.push_back(RecordedMessage{text, caption, icon});
    };
    handlers.fileDialog = [this](QWidget* owner, FileDialogKind kind,
                                 const FileDialogRequest& request) {
        m_fileDialogs.push_back(RecordedFileDialog{kind, request, owner});
        if (m_answers.empty()) return std::optional<std::wstring>();
        std::optional<std::wstring> answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    };
    SetCommonDialogHandlers(std::move(handlers));
}

DialogRecorder::~DialogRecorder() { SetCommonDialogHandlers({}); }

void DialogRecorder::AnswerNextFileDialog(std::optional<std::wstring> path) {
    m_answers.push_back(std::move(path));
}
