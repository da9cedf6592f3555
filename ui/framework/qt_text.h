// Conversions between the program's wide strings and Qt's QString. Only ui/
// and editor/ convert; the engine never sees a QString.
#pragma once

#include <QString>
#include <string>
#include <string_view>

[[nodiscard]] QString ToQString(std::wstring_view text);
[[nodiscard]] std::wstring ToWString(const QString& text);
