// QString to and from std::wstring. On this platform wchar_t holds a whole
// code point, so the conversion is UTF-32 to UTF-16 and back.
#include "ui/framework/qt_text.h"

QString ToQString(std::wstring_view text) {
    return QString::fromWCharArray(text.data(), static_cast<qsizetype>(text.size()));
}

std::wstring ToWString(const QString& text) { return text.toStdWString(); }
