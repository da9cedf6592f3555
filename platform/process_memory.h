// How much memory the running process has held: for tests that show a
// hostile input cannot make memory grow without bound.
#pragma once

#include <cstddef>

// The most resident memory the process has held at any moment since it
// started, in bytes; 0 when the system cannot tell.
[[nodiscard]] std::size_t PeakResidentBytes();
