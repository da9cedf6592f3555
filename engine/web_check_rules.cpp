// Making the scan's web check rules from its options, and the one copy the
// running scan reads.
#include "engine/web_check_rules.h"

#include <utility>

#include "engine/request_headers.h"
#include "engine/results_table.h"
#include "platform/text_codec.h"

namespace {

// Held through a pointer that only Set replaces, between scans.
std::shared_ptr<const WebCheckRules>& RulesHolder() {
    static auto* const holder =
        new std::shared_ptr<const WebCheckRules>(std::make_shared<WebCheckRules>());
    return *holder;
}

bool CompileInto(const std::vector<std::wstring>& patterns, std::string_view field,
                 LinkPatterns& into, std::string* error) {
    std::string why;
    std::optional<LinkPatterns> compiled = LinkPatterns::Compile(patterns, &why);
    if (!compiled) {
        if (error != nullptr) *error = std::string(field) + ": " + why;
        return false;
    }
    into = std::move(*compiled);
    return true;
}

}  // namespace

std::optional<WebCheckRules> MakeWebCheckRules(const ScanOptions& options, std::string* error) {
    WebCheckRules rules;
    rules.followRedirects = options.followRedirects != 0;
    rules.retries = RetriesOf(options);
    rules.obeyRobots = options.obeyRobots != 0;
    if (!CompileInto(options.excludePatterns, "Exclude links matching", rules.exclude, error) ||
        !CompileInto(options.noFollowPatterns, "Don't read links of pages matching", rules.noFollow,
                     error)) {
        return std::nullopt;
    }
    const std::optional<std::vector<StatusRange>> accepted =
        ParseStatusList(options.acceptedStatuses);
    if (!accepted) {
        if (error != nullptr) {
            *error = "Accepted statuses: not a list of codes and ranges such as 200-299,403: " +
                     ToUtf8(options.acceptedStatuses);
        }
        return std::nullopt;
    }
    rules.accepted = *accepted;
    const std::string agent = ToUtf8(options.userAgent);
    if (!agent.empty() && !IsWellFormedHeaderLine("User-Agent: " + agent)) {
        if (error != nullptr) *error = "User agent: not a header value: " + agent;
        return std::nullopt;
    }
    for (const std::string& line : options.requestHeaders) {
        if (IsWellFormedHeaderLine(line)) continue;
        if (error != nullptr) *error = "malformed header: " + line;
        return std::nullopt;
    }
    if (!options.userAgent.empty() || !options.requestHeaders.empty()) {
        rules.headers = MakeRequestHeaders(agent, options.requestHeaders);
    }
    return rules;
}

const WebCheckRules& TheWebCheckRules() { return *RulesHolder(); }

void SetWebCheckRules(WebCheckRules rules) {
    RulesHolder() = std::make_shared<const WebCheckRules>(std::move(rules));
}

ResultIcon WebStateIconUnder(const WebCheckRules& rules, std::string_view state) {
    if (rules.accepted.empty()) return WebStateIcon(state);
    const int status = LeadingDecimal(state);
    return IsRedirectStatus(status) || StatusListHolds(rules.accepted, status) ? ResultIcon::kOk
                                                                               : ResultIcon::kError;
}
