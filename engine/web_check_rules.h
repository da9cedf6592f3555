// What a scan makes of the options that decide how its web checks go
// (redirects, retries, robots.txt, excluded links and pages, who is asking,
// which statuses are fine): made once on the thread that starts the scan and
// never changed while it runs, so every worker reads it without a lock.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/http_message.h"
#include "engine/link_patterns.h"
#include "engine/main_window_record.h"
#include "engine/scan_options.h"
#include "engine/status_list.h"

// The state of a link the scan was told to leave unchecked.
inline constexpr char kExcludedState[] = "Excluded";

struct WebCheckRules {
    bool followRedirects = false;
    int retries = 0;
    bool obeyRobots = false;
    LinkPatterns exclude;
    LinkPatterns noFollow;
    RequestHeaderText headers = DefaultRequestHeaders();
    // Empty: the usual fine statuses.
    std::vector<StatusRange> accepted;
};

// The rules of options; nothing when a pattern or the status list is
// malformed, and then *error says which and why.
[[nodiscard]] std::optional<WebCheckRules> MakeWebCheckRules(const ScanOptions& options,
                                                             std::string* error);

// The running scan's rules (the defaults before the first Start), and
// setting them: only while no scan thread is alive.
[[nodiscard]] const WebCheckRules& TheWebCheckRules();
void SetWebCheckRules(WebCheckRules rules);

// The icon a web row's state gives under the rules: the accepted statuses
// (and the redirects) fine when a list is given, else the usual ones.
[[nodiscard]] ResultIcon WebStateIconUnder(const WebCheckRules& rules, std::string_view state);
