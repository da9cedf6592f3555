// "Edit file" over any location and any command line: a location splits at
// its last colon from index 6 on into the page and the line; a location the
// scan wrote splits back into its page and line; a command line splits into
// the arguments it was quoted from; and the line editor's command line,
// split and read as the editor reads it, names the file and the line it was
// built with.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "editor/editor_text.h"
#include "engine/edit_file.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_input.h"
#include "fuzz/plain_decimal.h"
#include "platform/command_line.h"

namespace {

// Characters across the wide range, biased toward the ones with a meaning
// in locations and command lines.
std::wstring WideTextFrom(FuzzInput& input, std::size_t maxLength) {
    static constexpr wchar_t kSpecial[] = {L':', L' ', L'\t', L'"', L'\\', L'/', L'0', L'7'};
    std::wstring text;
    const auto length = input.Integer<std::size_t>(0, maxLength);
    for (std::size_t i = 0; i < length && input.Remaining() > 0; ++i) {
        const auto choice = input.Integer<int>(0, 3);
        if (choice == 0) {
            text += kSpecial[input.Integer<std::size_t>(0, 7)];
        } else if (choice == 1) {
            text += static_cast<wchar_t>(input.Integer<std::uint16_t>());
        } else {
            text += static_cast<wchar_t>(input.Integer<int>(0x20, 0x7E));
        }
    }
    return text;
}

void CheckAnyLocation(const std::wstring& location) {
    const ParsedLocation parsed = ParseLocation(location);
    const std::size_t colon = location.rfind(L':');
    if (colon == std::wstring::npos || colon < 6) {
        FUZZ_CHECK(parsed == (ParsedLocation{location, 0}));
        return;
    }
    FUZZ_CHECK(parsed.page == location.substr(0, colon));
    FUZZ_CHECK(parsed.line == PlainDecimal(std::wstring_view(location).substr(colon + 1)));
}

void CheckQuotedArguments(FuzzInput& input) {
    // A program name may hold no quote of its own.
    std::wstring program = WideTextFrom(input, 20);
    std::erase(program, L'"');
    std::vector<std::wstring> arguments = {program};
    std::wstring commandLine = QuoteCommandLineProgram(program);
    const auto count = input.Integer<std::size_t>(0, 4);
    for (std::size_t i = 0; i < count; ++i) {
        arguments.push_back(WideTextFrom(input, 20));
        commandLine += (input.Flag() ? L" " : L" \t ") + QuoteCommandLineArgument(arguments.back());
    }
    FUZZ_CHECK(SplitCommandLine(commandLine) == arguments);
}

// The line editor's command line reaches the editor as the file and the
// line, for any file name, from a program folder that holds no quote.
void CheckEditorCommandLine(FuzzInput& input) {
    std::wstring folder = WideTextFrom(input, 20);
    std::erase(folder, L'"');
    std::wstring file = WideTextFrom(input, 30);
    const int line = input.Integer<int>();
    ScanOptions options;
    const std::wstring commandLine =
        BuildEditorCommandLine(file, line, options, folder + L"/Skarnel");
    const std::vector<std::wstring> arguments = SplitCommandLine(commandLine);
    FUZZ_CHECK(arguments.size() == 3);
    FUZZ_CHECK(arguments[0] == folder + L"/ZentribEditor");
    const EditorArguments read = ReadEditorArguments(arguments);
    FUZZ_CHECK(read.file == file);
    FUZZ_CHECK(read.line == line);
    // The location the scan wrote for that line splits back into it.
    if (file.size() >= 6)
        FUZZ_CHECK(ParseLocation(file + L":" + std::to_wstring(line)) ==
                   (ParsedLocation{file, line}));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    CheckQuotedArguments(input);
    CheckEditorCommandLine(input);
    const std::wstring rest = WideTextFrom(input, 200);
    CheckAnyLocation(rest);
    (void)SplitCommandLine(rest);
    return 0;
}
