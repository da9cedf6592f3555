// The rows of web checks, whichever pace ran them: a fetched page's row and
// the checks its links ask for, an address checked by its status line, and
// the state texts both are made of.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "engine/http_exchange.h"
#include "engine/web_checks.h"

// A state text is held in 256 bytes: 255 characters at most.
inline constexpr std::size_t kMaxStateLength = 255;

inline constexpr char kNoSocketState[] = "Connection error. Can't create socket.";
inline constexpr char kNoConnectionState[] = "Connection error. Can't connect to the server.";
inline constexpr char kNoResponseState[] = "Connection error. No response from server.";
// A plain request answered in TLS: the server wants an https address.
inline constexpr char kTlsAnswerToPlainRequestState[] =
    "TLS error: the server answered in TLS, not plain HTTP";

// A checked page's row, then (unless only the start page is scanned) the
// checks its links ask for, in the order they were met. Any thread; the
// scan's own locks.
[[nodiscard]] std::vector<WebCheck> ReportPageCheck(const std::string& address,
                                                    const std::string& location,
                                                    const WebResponse& response);
// A checked external link's row: its status text, or its failure.
void ReportExternalCheck(const std::string& address, const CheckLocation& location,
                         const WebResponse& response);

// A web check's row at either kind of location.
void AddWebCheckRow(const std::string& address, std::string_view state,
                    const CheckLocation& location);

// The status message of a check: "Checking %s..." with the address.
void ShowCheckingStatus(const std::string& address);

// The State of a fetched page: the status text (or, from a server that
// answers in TLS, kTlsAnswerToPlainRequestState), and for a 301 or 308 the " => "
// suffix with the Location header's value; at most 255 characters.
[[nodiscard]] std::string PageStateText(std::string_view firstBlock);
