// The rows of web checks. What they share (the table, the anchors) has its
// own locks.
#include "engine/web_check_rows.h"

#include <optional>
#include <variant>

#include "engine/followed_checks.h"
#include "engine/http_exchange.h"
#include "engine/link_classification.h"
#include "engine/link_extraction.h"
#include "engine/main_window_record.h"
#include "engine/results_table.h"
#include "engine/robots_cache.h"
#include "engine/scan_control.h"
#include "engine/scan_state.h"
#include "engine/text_limits.h"
#include "engine/url_functions.h"
#include "engine/web_check_rules.h"
#include "platform/text_codec.h"

namespace {

std::wstring WideLocation(const CheckLocation& location) {
    if (const auto* bytes = std::get_if<std::string>(&location)) return Widen(*bytes);
    return std::get<std::wstring>(location);
}

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

// The page of the site a followed redirect of a page leads to; nothing when
// it leads elsewhere (and is followed on the spot).
std::optional<WebCheck> RedirectedSitePage(const WebResponse& response,
                                           const std::string& address) {
    const std::string next = RedirectAddress(response.location, address);
    if (next.empty() ||
        (next.starts_with("https:") && CurrentHttpsLinks() != HttpsLinks::kChecked)) {
        return std::nullopt;
    }
    std::optional<WebCheck> check =
        ClassifyWebLink(next, address, WebLinkBase{address, GetUrlFolder(address), {}});
    if (!check || check->use != ResponseUse::kPage) return std::nullopt;
    return check;
}

bool FollowsRedirectOf(const WebResponse& response) {
    return TheWebCheckRules().followRedirects && response.outcome == FetchOutcome::kFirstBlock &&
           IsRedirectStatus(LeadingDecimal(StatusTextOf(response.firstBlock)));
}

// A row whose state adds where the response's redirects ended.
void AddFollowedRow(const std::string& address, const std::string& state,
                    const CheckLocation& location, const WebResponse& response,
                    CheckExchanger& exchanger) {
    const RedirectChainEnd end = FollowRedirects(exchanger, response, address);
    AddWebCheckRow(address, CutState(state + " -> " + end.state), location, end.icon);
}

}  // namespace

std::string ExternalStateText(const WebResponse& response) {
    if (std::optional<std::string> error = FailedExchangeState(response)) return *std::move(error);
    return CutState(ResponseStatusText(response.firstBlock));
}

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
                                      const WebResponse& response, CheckExchanger& exchanger) {
    if (const std::optional<std::string> error = FailedExchangeState(response)) {
        AddWebResult(address, *error, location);
        return {};
    }
    const std::string state = PageStateText(response.firstBlock);
    std::vector<WebCheck> found;
    if (!FollowsRedirectOf(response)) {
        AddWebResult(address, state, location);
    } else if (std::optional<WebCheck> page = RedirectedSitePage(response, address)) {
        AddWebResult(address, state, location);
        found.push_back(*std::move(page));
    } else {
        AddFollowedRow(address, state, location, response, exchanger);
    }
    // Only a page that is there has the anchors its fragments name: a
    // redirect's or an error's own text has others.
    const int status = LeadingDecimal(state);
    const bool keepsAnchors =
        mainWindow->Options().checkAnchors != 0 && status >= 200 && status <= 299;
    const bool followsLinks =
        (!mainWindow->Options().scanPageOnly || address == TheScanState().startAddress) &&
        !TheWebCheckRules().noFollow.Matches(address);
    if (!followsLinks && !keepsAnchors) return found;
    std::vector<WebCheck> links =
        ScanWebPageLinks(response.body, GetUrlFolder(address), address,
                         keepsAnchors ? PageAnchorUse::kKept : PageAnchorUse::kNotKept,
                         followsLinks ? PageLinkUse::kFollowed : PageLinkUse::kSkipped);
    if (found.empty()) return links;
    found.insert(found.end(), std::make_move_iterator(links.begin()),
                 std::make_move_iterator(links.end()));
    return found;
}

void ReportExternalCheck(const std::string& address, const CheckLocation& location,
                         const WebResponse& response, CheckExchanger& exchanger) {
    const std::string state = ExternalStateText(response);
    if (FollowsRedirectOf(response)) {
        AddFollowedRow(address, state, location, response, exchanger);
    } else {
        AddWebCheckRow(address, state, location);
    }
}

std::vector<WebCheck> RunWebCheck(const WebCheck& check, CheckExchanger& exchanger) {
    const WebCheckRules& rules = TheWebCheckRules();
    if (check.use == ResponseUse::kPage && rules.obeyRobots &&
        !RobotsAllow(check.target, exchanger)) {
        AddWebCheckRow(check.url, kDisallowedByRobotsState, check.location, ResultIcon::kSkipped);
        return {};
    }
    // A followed status check reads the whole head, where its Location is.
    const ResponseUse use = check.use == ResponseUse::kStatusOnly && rules.followRedirects
                                ? ResponseUse::kHead
                                : check.use;
    const WebResponse response = ExchangeWithRetries(exchanger, check.target, use, rules.retries);
    if (exchanger.CutShortByStop(response)) return {};
    if (check.use == ResponseUse::kPage) {
        return ReportPageCheck(check.url, std::get<std::string>(check.location), response,
                               exchanger);
    }
    ReportExternalCheck(check.url, check.location, response, exchanger);
    return {};
}

void AddWebCheckRow(const std::string& address, std::string_view state,
                    const CheckLocation& location) {
    std::visit([&](const auto& where) { AddWebResult(address, state, where); }, location);
}

void AddWebCheckRow(const std::string& address, std::string_view state,
                    const CheckLocation& location, ResultIcon icon) {
    AddWebResult(address, state, WideLocation(location), icon);
}
