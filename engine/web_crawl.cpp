// The web crawl's two checks. Each owns its socket and buffers; what they
// share (the table, the visited list, the queue) has its own locks.
#include "engine/web_crawl.h"

#include <optional>

#include "engine/http_client.h"
#include "engine/link_extraction.h"
#include "engine/main_window_record.h"
#include "engine/results_table.h"
#include "engine/scan_control.h"
#include "engine/scan_state.h"
#include "engine/text_limits.h"
#include "engine/url_functions.h"
#include "platform/text_codec.h"

namespace {

void ShowCheckingStatus(const std::string& address) {
    mainWindow->SetStatusText(CheckingStatusText(Widen(address)));
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
std::optional<std::string> FailedExchangeState(const FirstBlockResult& result) {
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

HttpsLinks CurrentHttpsLinks() { return HttpsLinksOf(mainWindow->Options()); }

// One request for the status line only; the row's state.
std::string ExternalLinkState(const std::string& address) {
    MarkUrlVisited(address);
    const FirstBlockResult result =
        FetchFirstBlock(address, kExternalFirstRead, kExternalFirstTimeoutMs, CurrentHttpsLinks());
    if (std::optional<std::string> error = FailedExchangeState(result)) return *std::move(error);
    return CutState(ResponseStatusText(result.firstBlock));
}

// Shared start of CheckExternalLink: false when the check does not run.
bool BeginExternalCheck(const std::string& address) {
    if (!TheScanState().scanRunning) return false;
    // Too long to be requested; classification does not hand such addresses on.
    if (address.size() > kMaxAddressLength) return false;
    ShowCheckingStatus(address);
    return true;
}

}  // namespace

std::string PageStateText(std::string_view firstBlock) {
    std::string state = ResponseStatusText(firstBlock);
    if (state.find("301") != std::string::npos) {
        const std::string_view target = RedirectTarget(firstBlock);
        if (!target.empty()) state.append(" => ").append(target);
    }
    return CutState(std::move(state));
}

void FetchPage(const std::string& address, const std::string& location) {
    ScanState& scan = TheScanState();
    if (!scan.scanRunning) return;
    ShowCheckingStatus(address);
    FirstBlockResult result =
        FetchFirstBlock(address, kPageFirstRead, kPageFirstTimeoutMs, CurrentHttpsLinks());
    if (const std::optional<std::string> error = FailedExchangeState(result)) {
        AddWebResult(address, *error, location);
        return;
    }
    const std::string state = PageStateText(result.firstBlock);
    const std::string body = ReadTextBody(result.firstBlock, *result.socket);
    result.socket->Close();
    AddWebResult(address, state, location);
    if (mainWindow->Options().scanPageOnly && address != scan.startAddress) return;
    ScanWebPageLinks(body, GetUrlFolder(address), address);
}

void CheckExternalLink(const std::string& address, const std::string& location) {
    if (!BeginExternalCheck(address)) return;
    AddWebResult(address, ExternalLinkState(address), location);
}

void CheckExternalLink(const std::string& address, const std::wstring& location) {
    if (!BeginExternalCheck(address)) return;
    AddWebResult(address, ExternalLinkState(address), location);
}
