// Sleeping the calling thread.
#pragma once

// Sleeps at least the given number of milliseconds.
void SleepMilliseconds(unsigned milliseconds);
