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
