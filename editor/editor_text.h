// The line editor's text functions, free of any window: reading its command
// line, line ends, the mapping between a file's bytes and the text field's
// characters, line selection, file names, and loading and saving files.
//
// The text field keeps each line break as a paragraph break ('\n' here) and
// holds UTF-16 characters. A file's bytes reach it as UTF-8 (or in the
// Windows code page, see TextEncoding); every byte the field could not give
// back unchanged (a byte that is not valid UTF-8, a CR that does not start a
// CR LF pair, a character the field would turn into a break) is shown as the
// lone surrogate U+DC00 + byte. No byte sequence decodes to a lone surrogate
// otherwise, so saving gives every byte back exactly.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What the command line asks for: argument 1 the file, argument 2 the line.
struct EditorArguments {
    std::optional<std::wstring> file;
    std::optional<int> line;
};

[[nodiscard]] EditorArguments ReadEditorArguments(const std::vector<std::wstring>& arguments);

// A decimal integer the way a C string-to-int conversion reads it: leading
// blanks, an optional sign, then digits up to the first other character; no
// digits give 0. Values beyond the range of int are held at its limits.
[[nodiscard]] int ParseLineNumber(std::wstring_view text);

// If text holds a CR anywhere, returns 1 and leaves it as it is. Otherwise
// turns every LF into CR LF and returns 0, so that saving knows to turn the
// pairs back into single LFs.
int NormalizeLineEnds(std::string& text);

// Turns every CR LF pair back into a single LF (saving a file that was
// loaded without any CR).
void RestoreLineFeeds(std::string& text);

// The part of path after its last "/" or "\"; the whole path without one.
[[nodiscard]] std::wstring ExtractFileName(std::wstring_view path);

// text cut to at most maxBytes bytes without splitting a UTF-8 sequence.
[[nodiscard]] std::string LimitUtf8(std::string_view text, std::size_t maxBytes);

// The escape that stands in the field for a byte it cannot hold as it is.
[[nodiscard]] constexpr char16_t EscapedByte(unsigned char byte) {
    return static_cast<char16_t>(0xDC00 + byte);
}

// How a file's bytes above 0x7F become characters. UTF-8 unless most of
// them are not valid UTF-8: then the file is taken for a page of the older
// single-byte Windows code page, so its accented letters and quotes show as
// they were meant rather than as escapes.
enum class TextEncoding { kUtf8, kWindows1252 };

[[nodiscard]] TextEncoding DetectTextEncoding(std::string_view bytes);

// The field text for a file's bytes (after NormalizeLineEnds): each CR LF
// becomes one line break; a lone LF becomes its escape followed by a line
// break, so it still shows as a line of its own and is saved as a lone LF.
[[nodiscard]] std::u16string FieldTextFromBytes(std::string_view bytes, TextEncoding encoding);

// The bytes for a field text: each line break becomes CR LF, except the one
// right after an escaped LF, which that LF already ends; escapes become
// their bytes; every other character is written in the encoding, and as
// UTF-8 when the encoding has no byte for it.
[[nodiscard]] std::string BytesFromFieldText(std::u16string_view text, TextEncoding encoding);

// The part of text that selecting line `line` covers, lines counted by LF:
// line 1 runs from the start to its LF (excluded); a later line from the LF
// before it (included) to its own LF (excluded) or the end of the text; a
// line number below 1 or past the last line selects the whole text.
struct LineSpan {
    std::size_t start = 0;
    std::size_t end = 0;

    bool operator==(const LineSpan&) const = default;
};

template <class Char>
[[nodiscard]] LineSpan LineSpanOf(std::basic_string_view<Char> text, long long line) {
    LineSpan span{0, text.size()};
    long long lineOfNextChar = 1;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != Char('\n')) continue;
        ++lineOfNextChar;
        if (lineOfNextChar == line) span.start = i;
        if (lineOfNextChar == line + 1) {
            span.end = i;
            break;
        }
    }
    return span;
}

// Reads a whole file in binary mode, block by block; false when it does
// not open. Zero bytes are kept like any other.
[[nodiscard]] bool LoadFileBytes(const std::wstring& path, std::string* bytes);

enum class SaveResult { kSaved, kCannotCreate, kWriteFailed };

// Creates path (replacing a file there) and writes bytes to it.
[[nodiscard]] SaveResult SaveFileBytes(const std::wstring& path, std::string_view bytes);
