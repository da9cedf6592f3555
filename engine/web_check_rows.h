// The rows of web checks, whichever pace ran them: a fetched page's row and
// the checks its links ask for, an address checked by its status line, and
// the state texts both are made of.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "engine/http_exchange.h"
#include "engine/main_window_record.h"
#include "engine/web_checks.h"

// A state text is held in 256 bytes: 255 characters at most.
inline constexpr std::size_t kMaxStateLength = 255;

inline constexpr char kNoSocketState[] = "Connection error. Can't create socket.";
inline constexpr char kNoConnectionState[] = "Connection error. Can't connect to the server.";
inline constexpr char kNoResponseState[] = "Connection error. No response from server.";
// A plain request answered in TLS: the server wants an https address.
inline constexpr char kTlsAnswerToPlainRequestState[] =
    "TLS error: the server answered in TLS, not plain HTTP";

// A checked page's row, then (unless only the start page is scanned, or
// the scan does not follow this page) the checks its links ask for, in the
// order they were met. A redirect the scan follows to another page of the
// site hands that page on first; one that leaves the site is followed
// through exchanger, and the row adds where it ended. Any thread; the
// scan's own locks.
[[nodiscard]] std::vector<WebCheck> ReportPageCheck(const std::string& address,
                                                    const std::string& location,
                                                    const WebResponse& response,
                                                    CheckExchanger& exchanger);
// A checked external link's row: its status text, or its failure; and where
// its redirects ended, when the scan follows them through exchanger.
void ReportExternalCheck(const std::string& address, const CheckLocation& location,
                         const WebResponse& response, CheckExchanger& exchanger);

// A web check's row at either kind of location, its icon read from its
// state or given.
void AddWebCheckRow(const std::string& address, std::string_view state,
                    const CheckLocation& location);
void AddWebCheckRow(const std::string& address, std::string_view state,
                    const CheckLocation& location, ResultIcon icon);

// The state of an external link's row: its status text, or its failure.
[[nodiscard]] std::string ExternalStateText(const WebResponse& response);

// The status message of a check: "Checking %s..." with the address.
void ShowCheckingStatus(const std::string& address);

// The State of a fetched page: the status text (or, from a server that
// answers in TLS, kTlsAnswerToPlainRequestState), and for a 301 or 308 the " => "
// suffix with the Location header's value; at most 255 characters.
[[nodiscard]] std::string PageStateText(std::string_view firstBlock);
