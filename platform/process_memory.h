// How much memory the running process has held, and how much processor time
// another process has used: for tests that show a hostile input cannot make
// memory grow without bound, and benchmarks that say what share of a run's
// time went to the server.
#pragma once

#include <cstddef>

// The most resident memory the process has held at any moment since it
// started, in bytes; 0 when the system cannot tell.
[[nodiscard]] std::size_t PeakResidentBytes();

// The processor time (user and system) that the process with this id has
// used so far, in seconds; a negative value when it cannot be read.
[[nodiscard]] double ProcessCpuSeconds(int processId);
