// The rows of web checks. What they share (the table, the anchors) has its
// own locks.
#include "engine/web_check_rows.h"

#include <optional>
#include <variant>

#include "engine/http_exchange.h"
#include "engine/link_extraction.h"
#include "engine/main_window_record.h"
#include "engine/results_table.h"
#include "engine/scan_control.h"
#include "engine/scan_state.h"
#include "engine/text_limits.h"
#include "engine/url_functions.h"
#include "platform/text_codec.h"

namespace {

std::string CutState(std::string state) {
    if (state.size() > kMaxStateLength) state.resize(kMaxStateLength);
    return state;
}

// The Location header's value as it follows the colon, when a line end
// closes it inside the first block; empty otherwise. Like every header test
// it reads the block only up to a zero byte, so none reaches the row.
std::string_view RedirectTarget(std::string_view firstBlock) {
    firstBlock = FirstBlockText(firstBlock);
    const std::size_t header = firstBlock.find("Location:");
    if (header == std::string_view::npos) return {};
    const std::string_view rest = firstBlock.substr(header + 9);
    const std::size_t lineEnd = rest.find_first_of("\r\n");
    if (lineEnd == std::string_view::npos) return {};
    return rest.substr(0, lineEnd);
}

// The state of a failed exchange; nothing when a first block arrived.
std::optional<std::string> FailedExchangeState(const WebResponse& result) {
    switch (result.outcome) {
        case FetchOutcome::kNoSocket:
            return kNoSocketState;
        case FetchOutcome::kNoConnection:
            return kNoConnectionState;
        case FetchOutcome::kNoSecureChannel:
            return CutState(result.failure);
        case FetchOutcome::kNoResponse:
            return kNoResponseState;
        case FetchOutcome::kFirstBlock:
            break;
    }
    return std::nullopt;
}

// A TLS record (a handshake or an alert, version 3.x) where a status line
// should be: the server expects TLS on this port. Its bytes would make no
// status text.
bool IsTlsRecord(std::string_view firstBlock) {
    return firstBlock.size() >= 3 && (firstBlock[0] == '\x15' || firstBlock[0] == '\x16') &&
           firstBlock[1] == '\x03' && static_cast<unsigned char>(firstBlock[2]) <= 4;
}

// The status text, or why there is none from a server that speaks TLS.
std::string ResponseStatusText(std::string_view firstBlock) {
    if (IsTlsRecord(firstBlock)) return kTlsAnswerToPlainRequestState;
    return StatusTextOf(firstBlock);
}

// The state of an external link's row.
std::string ExternalState(const WebResponse& response) {
    if (std::optional<std::string> error = FailedExchangeState(response)) return *std::move(error);
    return CutState(ResponseStatusText(response.firstBlock));
}

}  // namespace

std::string PageStateText(std::string_view firstBlock) {
    std::string state = ResponseStatusText(firstBlock);
    // A permanent move names where the page went.
    if (state.find("301") != std::string::npos || state.find("308") != std::string::npos) {
        const std::string_view target = RedirectTarget(firstBlock);
        if (!target.empty()) state.append(" => ").append(target);
    }
    return CutState(std::move(state));
}

void ShowCheckingStatus(const std::string& address) {
    mainWindow->SetStatusText(CheckingStatusText(Widen(address)));
}

std::vector<WebCheck> ReportPageCheck(const std::string& address, const std::string& location,
                                      const WebResponse& response) {
    if (const std::optional<std::string> error = FailedExchangeState(response)) {
        AddWebResult(address, *error, location);
        return {};
    }
    const std::string state = PageStateText(response.firstBlock);
    AddWebResult(address, state, location);
    // Only a page that is there has the anchors its fragments name: a
    // redirect's or an error's own text has others.
    const int status = LeadingDecimal(state);
    const bool keepsAnchors =
        mainWindow->Options().checkAnchors != 0 && status >= 200 && status <= 299;
    const bool followsLinks =
        !mainWindow->Options().scanPageOnly || address == TheScanState().startAddress;
    if (!followsLinks && !keepsAnchors) return {};
    return ScanWebPageLinks(response.body, GetUrlFolder(address), address,
                            keepsAnchors ? PageAnchorUse::kKept : PageAnchorUse::kNotKept,
                            followsLinks ? PageLinkUse::kFollowed : PageLinkUse::kSkipped);
}

void ReportExternalCheck(const std::string& address, const CheckLocation& location,
                         const WebResponse& response) {
    AddWebCheckRow(address, ExternalState(response), location);
}

void AddWebCheckRow(const std::string& address, std::string_view state,
                    const CheckLocation& location) {
    std::visit([&](const auto& where) { AddWebResult(address, state, where); }, location);
}
