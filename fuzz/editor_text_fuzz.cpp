// The line editor's text functions over any file bytes and any command line.
// Loading and saving unchanged gives back every byte; line ends are restored
// exactly; a line selection lies inside the text and covers that line; the
// command line is read as the editor's arguments say.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "editor/editor_text.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_input.h"
#include "fuzz/plain_decimal.h"

namespace {

void CheckLineEnds(const std::string& bytes) {
    std::string text = bytes;
    const int keep = NormalizeLineEnds(text);
    if (bytes.find('\r') != std::string::npos) {
        FUZZ_CHECK(keep == 1 && text == bytes);
        return;
    }
    FUZZ_CHECK(keep == 0);
    FUZZ_CHECK(text.size() == bytes.size() + std::count(bytes.begin(), bytes.end(), '\n'));
    RestoreLineFeeds(text);
    FUZZ_CHECK(text == bytes);
}

// Whatever the bytes, the field text made of them saves as the same bytes.
void CheckFieldRoundTrip(std::string bytes) {
    (void)NormalizeLineEnds(bytes);
    for (TextEncoding encoding :
         {DetectTextEncoding(bytes), TextEncoding::kUtf8, TextEncoding::kWindows1252}) {
        const std::u16string field = FieldTextFromBytes(bytes, encoding);
        FUZZ_CHECK(BytesFromFieldText(field, encoding) == bytes);
    }
}

// Line n covers the text between the line feeds that end lines n - 1 and n.
template <class Char>
void CheckLineSpan(std::basic_string_view<Char> text, long long line) {
    const LineSpan span = LineSpanOf(text, line);
    FUZZ_CHECK(span.start <= span.end && span.end <= text.size());
    const auto feeds = static_cast<long long>(std::count(text.begin(), text.end(), Char('\n')));
    if (line < 1 || line > feeds + 1) {
        FUZZ_CHECK(span == (LineSpan{0, text.size()}));
        return;
    }
    const auto covered = text.substr(span.start, span.end - span.start);
    const auto feedsInside = std::count(covered.begin(), covered.end(), Char('\n'));
    FUZZ_CHECK(feedsInside == (line == 1 ? 0 : 1));
    FUZZ_CHECK(line == 1 ? span.start == 0 : text[span.start] == Char('\n'));
    FUZZ_CHECK(span.end == text.size() || text[span.end] == Char('\n'));
    const auto feedsBefore = std::count(text.begin(), text.begin() + span.start, Char('\n'));
    FUZZ_CHECK(feedsBefore == (line == 1 ? 0 : line - 2));
}

void CheckLimitUtf8(std::string_view text, std::size_t maxBytes) {
    const std::string limited = LimitUtf8(text, maxBytes);
    FUZZ_CHECK(text.starts_with(limited));
    FUZZ_CHECK(limited.size() <= maxBytes || limited.size() == text.size());
    if (limited.size() < text.size()) {
        // Only continuation bytes are left off beyond the bound.
        for (std::size_t i = limited.size() + 1; i <= std::min(maxBytes, text.size() - 1); ++i) {
            FUZZ_CHECK((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80);
        }
    }
}

void CheckArguments(FuzzInput& input) {
    std::vector<std::wstring> arguments;
    const auto count = input.Integer<std::size_t>(0, 4);
    for (std::size_t i = 0; i < count; ++i) {
        const std::string bytes = input.Text(40);
        arguments.emplace_back(bytes.begin(), bytes.end());
    }
    const EditorArguments read = ReadEditorArguments(arguments);
    FUZZ_CHECK(read.file.has_value() == (count > 1));
    if (count > 1) FUZZ_CHECK(*read.file == arguments[1]);
    FUZZ_CHECK(read.line.has_value() == (count > 2));
    if (count > 2) FUZZ_CHECK(*read.line == PlainDecimal(arguments[2]));
    if (count > 1) {
        const std::wstring name = ExtractFileName(arguments[1]);
        FUZZ_CHECK(std::wstring_view(arguments[1]).ends_with(name));
        FUZZ_CHECK(name.find_first_of(L"/\\") == std::wstring::npos);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    CheckArguments(input);
    const auto line = input.Integer<long long>(-2, 40);
    const auto maxBytes = input.Integer<std::size_t>(0, 64);
    const std::string bytes = input.Rest();
    CheckLineEnds(bytes);
    CheckFieldRoundTrip(bytes);
    CheckLineSpan(std::string_view(bytes), line);
    const std::u16string field = FieldTextFromBytes(bytes, TextEncoding::kUtf8);
    CheckLineSpan(std::u16string_view(field), line);
    CheckLimitUtf8(bytes, maxBytes);
    return 0;
}
