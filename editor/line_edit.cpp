// The editor's text field.
#include "editor/line_edit.h"

#include <QPalette>
#include <QTextCursor>
#include <QTextDocument>

#include "editor/editor_text.h"
#include "ui/framework/dialog.h"

CLineEdit::CLineEdit(QWidget* parent) : QPlainTextEdit(parent) {
    KeepSelectionShownWithoutFocus(this);
    // Black text whatever the theme, on the colour of a window's text area.
    QPalette palette = this->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Text, Qt::black);
    }
    setPalette(palette);
}

void CLineEdit::GoToLine(int line) {
    const std::u16string text = FieldText();
    const LineSpan span = LineSpanOf(std::u16string_view(text), line);
    QTextCursor cursor(document());
    cursor.setPosition(static_cast<int>(span.start));
    cursor.setPosition(static_cast<int>(span.end), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    ensureCursorVisible();
}

void CLineEdit::SetFieldText(const std::u16string& text) {
    // Copied as UTF-16 code units: a conversion would replace the lone
    // surrogates that stand for bytes.
    setPlainText(
        QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size())));
}

std::u16string CLineEdit::FieldText() const {
    // The raw text, not toPlainText(), which would turn no-break spaces into
    // blanks.
    const QString raw = document()->toRawText();
    std::u16string text(reinterpret_cast<const char16_t*>(raw.utf16()),
                        static_cast<std::size_t>(raw.size()));
    for (char16_t& c : text) {
        // Paragraph breaks, and the line separator Shift+Enter types, are
        // the line breaks the user sees. Loaded separators are escaped, so
        // any found here were typed or pasted.
        if (c == u'\u2029' || c == u'\u2028') c = u'\n';
    }
    return text;
}
