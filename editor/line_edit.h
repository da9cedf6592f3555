// CLineEdit: the editor's text field. It shows black text on the window
// colour, keeps its selection shown when it loses the focus, and selects a
// line by number. Its text is handed in and out as UTF-16 with '\n' for each
// line break (see editor_text.h). UI thread only.
#pragma once

#include <QPlainTextEdit>
#include <string>

class CLineEdit : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit CLineEdit(QWidget* parent);

    // Selects line `line` (counted by line breaks; a number out of range
    // selects everything), the caret at its end, and scrolls it into view.
    void GoToLine(int line);

    // Replaces the whole text; the caret goes to the start.
    void SetFieldText(const std::u16string& text);
    [[nodiscard]] std::u16string FieldText() const;
};
