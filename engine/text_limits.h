// Length limits shared by the scan engine.
#pragma once

#include <cstddef>

// Web addresses, local paths and resolved links are at most this long; a
// longer one is never followed.
inline constexpr std::size_t kMaxAddressLength = 9999;

// Status-bar messages are formatted into this many wide characters, the
// terminator included; a longer message is cut.
inline constexpr std::size_t kStatusMessageBuffer = 1024;
