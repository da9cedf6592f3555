// Splitting a command line into arguments by the rules programs on the
// original platform use, so a command line typed for an editor there means
// the same here. Pure text work: any thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Blanks and tabs separate arguments. The first argument (the program) runs
// to the next blank, or from a quote to the next quote, without escapes.
// Later arguments: a quote starts or ends a quoted part; 2n backslashes
// before a quote give n backslashes, 2n+1 give n and a literal quote;
// other backslashes are literal; "" inside a quoted part is a literal quote.
[[nodiscard]] std::vector<std::wstring> SplitCommandLine(std::wstring_view commandLine);

// The forms SplitCommandLine reads back as the text given: unchanged when it
// holds no blank, tab or quote (and is not empty), else quoted. A program
// name cannot hold a quote at all: the splitter drops its quotes.
[[nodiscard]] std::wstring QuoteCommandLineProgram(std::wstring_view program);
[[nodiscard]] std::wstring QuoteCommandLineArgument(std::wstring_view argument);
