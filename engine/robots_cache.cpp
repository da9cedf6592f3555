// Reading each server's robots.txt once per scan.
#include "engine/robots_cache.h"

#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "engine/followed_checks.h"
#include "engine/results_table.h"
#include "engine/robots_txt.h"
#include "engine/web_check_rules.h"

namespace {

// A robots.txt larger than this is read up to here, as the RFC allows; and
// the redirects of its address are followed this often.
constexpr std::size_t kMaxRobotsBytes = 500 * 1024;
constexpr int kMaxRobotsRedirects = 5;

struct ServerRobots {
    std::once_flag read;
    RobotsRules rules;
};

struct RobotsCache {
    std::mutex mutex;
    std::unordered_map<std::string, std::shared_ptr<ServerRobots>> servers;
};

// Never destroyed: a worker may ask while the program ends.
RobotsCache& TheRobotsCache() {
    static auto* const cache = new RobotsCache;
    return *cache;
}

std::shared_ptr<ServerRobots> RobotsOf(const std::string& serverKey) {
    RobotsCache& cache = TheRobotsCache();
    std::lock_guard lock(cache.mutex);
    std::shared_ptr<ServerRobots>& entry = cache.servers[serverKey];
    if (!entry) entry = std::make_shared<ServerRobots>();
    return entry;
}

std::string AddressOf(const WebRequestTarget& target) {
    return (target.secure ? "https://" : "http://") + target.host + target.path;
}

// What a server's robots.txt says: its rules when it is there; everything
// allowed when it is missing (4xx) or the server cannot be reached (the
// page's own check then says so); nothing allowed when the server could
// not give it (5xx).
RobotsRules ReadRobots(const WebRequestTarget& pageTarget, CheckExchanger& exchanger) {
    WebRequestTarget target = pageTarget;
    target.path = "/robots.txt";
    const BodyLimits limits{kMaxRobotsBytes, std::chrono::milliseconds(20000)};
    for (int redirects = 0;; ++redirects) {
        const WebResponse response = ExchangeWithRetries(exchanger, target, ResponseUse::kPage,
                                                         TheWebCheckRules().retries, limits);
        if (response.outcome != FetchOutcome::kFirstBlock) return {};
        const int status = LeadingDecimal(StatusTextOf(response.firstBlock));
        if (status >= 200 && status <= 299) return RobotsRules::Parse(response.body, kRobotsToken);
        if (status >= 500 && status <= 599) return RobotsRules::DisallowAll();
        if (!IsRedirectStatus(status) || redirects == kMaxRobotsRedirects) return {};
        const std::string next = RedirectAddress(response.location, AddressOf(target));
        if (next.empty()) return {};
        target = RequestTargetOfAddress(next, CurrentHttpsLinks());
        if (next.starts_with("https:") && !target.secure) return {};
    }
}

}  // namespace

bool RobotsAllow(const WebRequestTarget& target, CheckExchanger& exchanger) {
    const std::shared_ptr<ServerRobots> robots = RobotsOf(ServerKeyOf(target));
    std::call_once(robots->read, [&] { robots->rules = ReadRobots(target, exchanger); });
    return robots->rules.Allows(target.path);
}

void ForgetRobotsRules() {
    RobotsCache& cache = TheRobotsCache();
    std::lock_guard lock(cache.mutex);
    cache.servers.clear();
}
