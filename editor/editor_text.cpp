// The line editor's text functions.
#include "editor/editor_text.h"

#include <climits>
#include <optional>

#include "platform/file.h"
#include "platform/text_codec.h"

namespace {

// Loading reads the file in blocks of this size, as the editor always has.
constexpr std::size_t kLoadBlockSize = 254;

constexpr unsigned char kCr = 0x0D;
constexpr unsigned char kLf = 0x0A;

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r';
}

bool IsContinuationByte(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Characters the text field does not keep as they are: the paragraph and
// line separators become line breaks in it, and the frame markers are its
// own. They are shown escaped, byte by byte, so they are saved unchanged.
bool FieldAltersCharacter(char32_t codePoint) {
    return codePoint == 0x2028 || codePoint == 0x2029 || codePoint == 0xFDD0 || codePoint == 0xFDD1;
}

void AppendEscaped(std::string_view bytes, std::u16string& text) {
    for (char byte : bytes) text += EscapedByte(static_cast<unsigned char>(byte));
}

void AppendCodePoint(char32_t codePoint, std::u16string& text) {
    if (codePoint < 0x10000) {
        text += static_cast<char16_t>(codePoint);
        return;
    }
    codePoint -= 0x10000;
    text += static_cast<char16_t>(0xD800 + (codePoint >> 10));
    text += static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF));
}

// The characters of the bytes 0x80 to 0x9F in the Windows code page; 0 for
// the five bytes it leaves undefined, which are shown escaped.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The character of a byte other than CR and LF; 0 when it has none.
char16_t Windows1252Character(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F) return kWindows1252High[byte - 0x80];
    return byte;
}

// The byte of a character in the Windows code page, if it has one.
std::optional<char> Windows1252Byte(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
    for (int i = 0; i < 32; ++i) {
        if (kWindows1252High[i] != 0 && kWindows1252High[i] == c)
            return static_cast<char>(0x80 + i);
    }
    return std::nullopt;
}

// The characters the field shows for the byte or bytes at bytes[i], other
// than line ends; returns how many bytes they stand for.
std::size_t AppendCharacterAt(std::string_view bytes, std::size_t i, TextEncoding encoding,
                              std::u16string& text) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (encoding == TextEncoding::kWindows1252) {
        const char16_t c = Windows1252Character(byte);
        text += c != 0 || byte == 0 ? c : EscapedByte(byte);
        return 1;
    }
    char32_t codePoint = 0;
    const std::size_t length = DecodeUtf8Sequence(bytes.substr(i), &codePoint);
    if (length == 0) {
        text += EscapedByte(byte);
        return 1;
    }
    if (FieldAltersCharacter(codePoint)) {
        AppendEscaped(bytes.substr(i, length), text);
    } else {
        AppendCodePoint(codePoint, text);
    }
    return length;
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
bool IsEscape(char16_t c) { return c >= EscapedByte(0) && c <= EscapedByte(0xFF); }

}  // namespace

EditorArguments ReadEditorArguments(const std::vector<std::wstring>& arguments) {
    EditorArguments result;
    if (arguments.size() > 1) result.file = arguments[1];
    if (arguments.size() > 2) result.line = ParseLineNumber(arguments[2]);
    return result;
}

int ParseLineNumber(std::wstring_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
    // Held as a negative number, which reaches one further than a positive one.
    long long value = 0;
    constexpr long long kLowest = INT_MIN;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value * 10 - (text[i] - L'0');
        if (value < kLowest) value = kLowest;
    }
    if (negative) return static_cast<int>(value);
    return value < -static_cast<long long>(INT_MAX) ? INT_MAX : static_cast<int>(-value);
}

int NormalizeLineEnds(std::string& text) {
    if (text.find('\r') != std::string::npos) return 1;
    std::string normalized;
    normalized.reserve(text.size() + text.size() / 16);
    for (char byte : text) {
        if (byte == '\n') normalized += '\r';
        normalized += byte;
    }
    text = std::move(normalized);
    return 0;
}

void RestoreLineFeeds(std::string& text) {
    std::size_t out = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        text[out++] = text[i];
    }
    text.resize(out);
}

std::wstring ExtractFileName(std::wstring_view path) {
    const std::size_t separator = path.find_last_of(L"/\\");
    if (separator == std::wstring_view::npos) return std::wstring(path);
    return std::wstring(path.substr(separator + 1));
}

std::string LimitUtf8(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return std::string(text);
    std::size_t cut = maxBytes;
    while (cut > 0 && IsContinuationByte(static_cast<unsigned char>(text[cut]))) --cut;
    return std::string(text.substr(0, cut));
}

TextEncoding DetectTextEncoding(std::string_view bytes) {
    std::size_t invalidBytes = 0;
    std::size_t multiByteCharacters = 0;
    std::size_t i = 0;
    while (i < bytes.size()) {
        char32_t codePoint = 0;
        const std::size_t length = DecodeUtf8Sequence(bytes.substr(i), &codePoint);
        if (length == 0) ++invalidBytes;
        if (length > 1) ++multiByteCharacters;
        i += length == 0 ? 1 : length;
    }
    return invalidBytes > multiByteCharacters ? TextEncoding::kWindows1252 : TextEncoding::kUtf8;
}

std::u16string FieldTextFromBytes(std::string_view bytes, TextEncoding encoding) {
    std::u16string text;
    text.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte == kCr && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            text += u'\n';
            i += 2;
        } else if (byte == kLf) {
            text += EscapedByte(kLf);
            text += u'\n';
            ++i;
        } else if (byte == kCr) {
            text += EscapedByte(kCr);
            ++i;
        } else {
            i += AppendCharacterAt(bytes, i, encoding, text);
        }
    }
    return text;
}

std::string BytesFromFieldText(std::u16string_view text, TextEncoding encoding) {
    std::string bytes;
    bytes.reserve(text.size() + text.size() / 8);
    // Only an escaped LF ends its own line: the low half of a surrogate pair
    // can hold the same code unit and must not swallow the break after it.
    bool afterEscapedLf = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        const bool escapedLf = afterEscapedLf;
        afterEscapedLf = false;
        if (c == u'\n') {
            if (!escapedLf) bytes += "\r\n";
        } else if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            const char32_t high = c - 0xD800;
            const char32_t low = text[++i] - 0xDC00;
            AppendUtf8(bytes, 0x10000 + (high << 10) + low);
        } else if (IsEscape(c)) {
            bytes += static_cast<char>(c - EscapedByte(0));
            afterEscapedLf = c == EscapedByte(kLf);
        } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
            // Half a pair that does not stand for a byte: nothing UTF-8 can hold.
            AppendUtf8(bytes, 0xFFFD);
        } else if (const std::optional<char> byte =
                       encoding == TextEncoding::kWindows1252 ? Windows1252Byte(c) : std::nullopt) {
            bytes += *byte;
        } else {
            AppendUtf8(bytes, c);
        }
    }
    return bytes;
}

bool LoadFileBytes(const std::wstring& path, std::string* bytes) {
    InputFile file;
    if (!file.Open(path, FileMode::kBinary)) return false;
    bytes->clear();
    char block[kLoadBlockSize];
    while (const std::size_t count = file.Read(block, sizeof block)) bytes->append(block, count);
    file.Close();
    return true;
}

SaveResult SaveFileBytes(const std::wstring& path, std::string_view bytes) {
    OutputFile file;
    if (!file.Create(path, FileMode::kBinary)) return SaveResult::kCannotCreate;
    const bool written = file.Write(bytes);
    const bool closed = file.Close();
    return written && closed ? SaveResult::kSaved : SaveResult::kWriteFailed;
}
