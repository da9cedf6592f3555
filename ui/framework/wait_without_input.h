// Waiting on the UI thread for something outside the program (an editor it
// started) the way a blocked window waits, but without looking frozen: the
// windows keep painting and answering the desktop, while no user input
// reaches them and calls from scan threads wait until the wait is over.
// UI thread only.
#pragma once

#include <chrono>
#include <functional>

// Serves the UI thread's events until ended() holds, asking it every poll.
// Mouse, keyboard, touch and close requests meant for the program's widgets
// are dropped meanwhile, not kept for later.
void WaitWithoutInput(const std::function<bool()>& ended,
                      std::chrono::milliseconds poll = std::chrono::milliseconds(20));
