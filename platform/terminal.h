// The standard output and error streams as a terminal program sees them:
// whether one is a terminal, and how wide it is.
#pragma once

enum class StandardStream { kOutput, kError };

// True when the stream is connected to a terminal.
[[nodiscard]] bool IsTerminal(StandardStream stream);

// The terminal's width in columns; 0 when the stream is not a terminal or
// the width is unknown.
[[nodiscard]] int TerminalColumns(StandardStream stream);
