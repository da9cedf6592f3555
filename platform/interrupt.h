// Ctrl-C for programs that run in a terminal. Once CatchInterrupts has run,
// the first Ctrl-C (SIGINT) only raises a flag that the program polls, so it
// can stop its work and report before it ends; a second Ctrl-C ends the
// program at once with status 130, in case the first is not being served.
#pragma once

// Installs the handler. Call once, before the work that Ctrl-C should stop.
void CatchInterrupts();

// True once Ctrl-C has been pressed after CatchInterrupts. Any thread.
[[nodiscard]] bool InterruptRequested();
