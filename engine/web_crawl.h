// Checking web addresses during a scan: FetchPage for a queued address (its
// row, then its links), CheckExternalLink for an address checked by its
// status line alone. Both run to their end on the calling thread.
#pragma once

#include <string>

// A state text is held in 256 bytes: 255 characters at most.
inline constexpr std::size_t kMaxStateLength = 255;

void FetchPage(const std::string& address, const std::string& location);
void CheckExternalLink(const std::string& address, const std::string& location);
