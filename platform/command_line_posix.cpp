// The command-line splitter. Here the system hands programs their arguments
// already split, so the rules live in our code.
#include "platform/command_line.h"

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

bool NeedsQuotes(std::wstring_view text) {
    return text.empty() || text.find_first_of(L" \t\"") != std::wstring_view::npos;
}

std::size_t SkipBlanks(std::wstring_view text, std::size_t i) {
    while (i < text.size() && IsBlank(text[i])) ++i;
    return i;
}

// The program name: no escapes, quotes only group.
std::size_t ReadProgram(std::wstring_view text, std::size_t i, std::wstring& program) {
    bool quoted = false;
    for (; i < text.size(); ++i) {
        if (text[i] == L'"') {
            quoted = !quoted;
        } else if (IsBlank(text[i]) && !quoted) {
            break;
        } else {
            program.push_back(text[i]);
        }
    }
    return i;
}

// One later argument, starting at a non-blank character.
std::size_t ReadArgument(std::wstring_view text, std::size_t i, std::wstring& argument) {
    bool quoted = false;
    while (i < text.size() && (quoted || !IsBlank(text[i]))) {
        std::size_t backslashes = 0;
        while (i < text.size() && text[i] == L'\\') {
            ++backslashes;
            ++i;
        }
        if (i < text.size() && text[i] == L'"') {
            argument.append(backslashes / 2, L'\\');
            if (backslashes % 2 == 1) {
                argument.push_back(L'"');
            } else if (quoted && i + 1 < text.size() && text[i + 1] == L'"') {
                argument.push_back(L'"');
                ++i;
            } else {
                quoted = !quoted;
            }
            ++i;
        } else {
            argument.append(backslashes, L'\\');
            if (i < text.size() && (quoted || !IsBlank(text[i]))) argument.push_back(text[i++]);
        }
    }
    return i;
}

}  // namespace

std::vector<std::wstring> SplitCommandLine(std::wstring_view commandLine) {
    std::vector<std::wstring> arguments;
    std::size_t i = SkipBlanks(commandLine, 0);
    if (i == commandLine.size()) return arguments;
    i = ReadProgram(commandLine, i, arguments.emplace_back());
    for (i = SkipBlanks(commandLine, i); i < commandLine.size(); i = SkipBlanks(commandLine, i)) {
        i = ReadArgument(commandLine, i, arguments.emplace_back());
    }
    return arguments;
}

std::wstring QuoteCommandLineProgram(std::wstring_view program) {
    if (!NeedsQuotes(program)) return std::wstring(program);
    return L"\"" + std::wstring(program) + L"\"";
}

std::wstring QuoteCommandLineArgument(std::wstring_view argument) {
    if (!NeedsQuotes(argument)) return std::wstring(argument);
    // Backslashes are literal unless a quote follows them: only those runs,
    // and the run before the closing quote, are doubled.
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}
