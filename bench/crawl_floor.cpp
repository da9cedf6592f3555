// The dispatcher's loop (DispatchLinkChecks and its drain) on a simulated
// clock: a worker started at t ends at t plus its step's cost, and its page's
// links join the queue at that moment, after its body has been read.
//
// The engine's own work counts as nothing, with one exception of order: an
// exchange takes longer than handing a pair to a new thread, so the queue
// check right after a start never sees what that newest worker queues. Every
// later look (after the next start, after any pause) sees every worker whose
// cost has passed.
#include "bench/crawl_floor.h"

#include <deque>
#include <queue>
#include <unordered_set>

#include "engine/classic_checks.h"
#include "engine/http_exchange.h"
#include "engine/scan_control.h"

namespace {

struct RunningWorker {
    double endsAt;
    std::size_t startOrder;
    std::vector<std::string> queuedLinks;
    bool operator>(const RunningWorker& other) const {
        return endsAt != other.endsAt ? endsAt > other.endsAt : startOrder > other.startOrder;
    }
};

class SimulatedDispatcher {
public:
    explicit SimulatedDispatcher(const CrawlSite& site) : m_site(site) {}

    CrawlFloor Run(const std::string& startUrl) {
        Enqueue(startUrl);
        for (;;) {
            Settle();
            if (m_running.empty() && m_queue.empty()) return {m_now, m_visited.size()};
            if (m_queue.empty()) {
                m_now += kIdlePauseMs;
                continue;
            }
            Drain();
        }
    }

private:
    void Enqueue(const std::string& url) {
        if (m_visited.insert(url).second) m_queue.push_back(url);
    }

    // Ends every worker whose time has come, queueing its page's links; the
    // newest worker goes on while the dispatcher has just started it.
    void Settle(bool newestJustStarted = false) {
        std::vector<RunningWorker> held;
        while (!m_running.empty() && m_running.top().endsAt <= m_now) {
            if (newestJustStarted && m_running.top().startOrder + 1 == m_started) {
                held.push_back(m_running.top());
            } else {
                for (const std::string& link : m_running.top().queuedLinks) Enqueue(link);
            }
            m_running.pop();
        }
        for (RunningWorker& worker : held) m_running.push(std::move(worker));
    }

    void Drain() {
        for (bool justStarted = false;; justStarted = true) {
            Settle(justStarted);
            if (m_queue.empty()) {
                m_now += kIdlePauseMs;
                return;
            }
            while (m_running.size() >= kMaxWorkers) {
                m_now += kBusyPauseMs;
                Settle();
            }
            CrawlStep step = m_site(m_queue.front());
            m_running.push({m_now + step.milliseconds, m_started++, std::move(step.queuedLinks)});
            m_queue.pop_front();
        }
    }

    const CrawlSite& m_site;
    double m_now = 0;
    std::size_t m_started = 0;
    std::deque<std::string> m_queue;
    std::unordered_set<std::string> m_visited;
    std::priority_queue<RunningWorker, std::vector<RunningWorker>, std::greater<>> m_running;
};

}  // namespace

CrawlFloor CrawlFloorOf(const std::string& startUrl, const CrawlSite& site) {
    return SimulatedDispatcher(site).Run(startUrl);
}

double ExchangeFloorMs(bool textKeptAlive) { return textKeptAlive ? kBodyReadTimeoutMs : 0; }
