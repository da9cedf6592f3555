// Checking web addresses during a scan: FetchPage for a queued address (its
// row, then its links), CheckExternalLink for an address checked by its
// status line alone. Both run to their end on the calling thread.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "engine/http_exchange.h"

// A state text is held in 256 bytes: 255 characters at most.
inline constexpr std::size_t kMaxStateLength = 255;

inline constexpr char kNoSocketState[] = "Connection error. Can't create socket.";
inline constexpr char kNoConnectionState[] = "Connection error. Can't connect to the server.";
inline constexpr char kNoResponseState[] = "Connection error. No response from server.";
// A plain request answered in TLS: the server wants an https address.
inline constexpr char kTlsAnswerToPlainRequestState[] =
    "TLS error: the server answered in TLS, not plain HTTP";

void FetchPage(const std::string& address, const std::string& location);

// A checked page's row, then (unless only the start page is scanned) its
// links handed to the classification. Any thread; the scan's own locks.
void ReportPageCheck(const std::string& address, const std::string& location,
                     const WebResponse& response);
// A checked external link's row: its status text, or its failure.
void ReportExternalCheck(const std::string& address, const std::string& location,
                         const WebResponse& response);

// The status message of a check: "Checking %s..." with the address.
void ShowCheckingStatus(const std::string& address);

// The location is bytes when the link was found in a web page and wide when
// it was found in a local page, whose path may hold any character.
void CheckExternalLink(const std::string& address, const std::string& location);
void CheckExternalLink(const std::string& address, const std::wstring& location);

// The State of a fetched page: the status text (or, from a server that
// answers in TLS, kTlsAnswerToPlainRequestState), and for a 301 the " => "
// suffix with the Location header's value; at most 255 characters.
[[nodiscard]] std::string PageStateText(std::string_view firstBlock);
