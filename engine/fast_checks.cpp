// Fast checking: the web checks of a scan carried out by a pool of worker
// threads over kept-alive connections, at most a set number to one server,
// with no pauses. A check starts as soon as it is queued and the scan ends as
// soon as the last check does.
//
// Why a pool of blocking workers rather than an event loop: each check is
// the one blocking exchange (TLS included) in its exact reading, so the
// rows are made by the same code in both modes; on loopback the
// time goes to the server and the kernel, not to thread switches. The pool
// grows with the work that can run at once (each server's queue up to its
// connection limit) to at most kMaxWorkers threads, and every thread ends
// with the scan.
//
// Each server (scheme, host and port) has its own queue and its idle kept
// connections; a worker takes the next check of a server that has one
// waiting and a connection to spare, so a slow or hostile server holds no
// more than its own connections. Stop is noticed within kStopPollMs: the
// waiting checks are dropped and every connection in use is shut down, so
// the workers' reads and handshakes end at once.
//
// Lock order: the checks' mutex, then a connection's socket lock (Stop shuts
// the connections in use down under the mutex); nothing else is taken under
// the mutex. A worker lets the mutex go before its exchange, its rows (the
// row lock) and handing its page's links on (the visited lock, let go again
// before Queue takes the mutex), and a connection never takes the mutex.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "engine/http_exchange.h"
#include "engine/main_window_record.h"
#include "engine/results_table.h"
#include "engine/scan_control.h"
#include "engine/scan_options.h"
#include "engine/scan_state.h"
#include "engine/text_limits.h"
#include "engine/web_check_rows.h"
#include "engine/web_check_rules.h"
#include "engine/web_checks.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kMaxWorkers = 64;
constexpr std::chrono::milliseconds kStopPollMs{50};
// The status bar shows a check at most this often: thousands a second would
// only keep the window busy.
constexpr std::chrono::milliseconds kStatusInterval{100};

std::atomic<Clock::rep> lastStatusShown{0};

void ShowStatusNowAndThen(const std::string& address) {
    const Clock::rep now = Clock::now().time_since_epoch().count();
    Clock::rep last = lastStatusShown.load();
    const auto interval = std::chrono::duration_cast<Clock::duration>(kStatusInterval).count();
    if (now - last < interval || !lastStatusShown.compare_exchange_strong(last, now)) return;
    ShowCheckingStatus(address);
}

struct Server {
    std::deque<WebCheck> waiting;
    int busy = 0;
    // The connections it may have at once: the scan's limit until a 429
    // halves it (0: not halved yet).
    int limit = 0;
    std::vector<std::unique_ptr<HttpConnection>> idle;
    bool listedReady = false;
};

// A check handed to a worker, with the connection it may use (open when it
// was kept from an earlier check).
struct Assignment {
    Server* server = nullptr;
    WebCheck check;
    std::unique_ptr<HttpConnection> connection;
};

class FastChecks final : public WebChecks {
public:
    explicit FastChecks(int connectionsPerHost) : m_limit(std::max(1, connectionsPerHost)) {}

    ~FastChecks() override { EndWorkers(); }

    void Queue(std::vector<WebCheck> checks) override {
        std::lock_guard lock(m_mutex);
        if (m_ended || !TheScanState().scanRunning) return;
        for (WebCheck& check : checks) {
            Server& server = m_servers[ServerKeyOf(check.target)];
            server.waiting.push_back(std::move(check));
            ++m_waiting;
            ListIfReadyLocked(server);
        }
        WakeOrAddWorkersLocked();
    }

    void RunUntilDone() override {
        std::unique_lock lock(m_mutex);
        while (m_waiting + m_running > 0) {
            if (!TheScanState().scanRunning) DropEverythingLocked();
            m_progress.wait_for(lock, kStopPollMs);
        }
        lock.unlock();
        EndWorkers();
    }

    // A 429 from target's server: it gets half as many connections (at
    // least one) for the rest of the scan.
    void Throttle(const WebRequestTarget& target) {
        std::lock_guard lock(m_mutex);
        Server& server = m_servers[ServerKeyOf(target)];
        server.limit = std::max(1, LimitOf(server) / 2);
    }

private:
    // A worker's exchanges: over its connection while they go to the
    // server it holds, else over a connection of their own.
    class WorkerExchanger final : public CheckExchanger {
    public:
        WorkerExchanger(FastChecks& checks, const WebCheck& check, HttpConnection& connection)
            : m_checks(checks), m_serverKey(ServerKeyOf(check.target)), m_connection(connection) {}

        WebResponse Run(const WebRequestTarget& target, ResponseUse use,
                        const BodyLimits& limits) override {
            ScanState& scan = TheScanState();
            const RequestHeaderText& headers = TheWebCheckRules().headers;
            if (ServerKeyOf(target) != m_serverKey) {
                HttpConnection own;
                return Exchange(ReadingStyle::kExact, own, target, use, &m_checks.m_lookups,
                                scan.scanRunning, limits, headers);
            }
            WebResponse response = Exchange(ReadingStyle::kExact, m_connection, target, use,
                                            &m_checks.m_lookups, scan.scanRunning, limits, headers);
            m_reusable = response.reusable;
            return response;
        }

        void Throttled(const WebRequestTarget& target) override { m_checks.Throttle(target); }

        bool CutShortByStop(const WebResponse& response) const override {
            return !TheScanState().scanRunning && response.outcome != FetchOutcome::kFirstBlock;
        }

        [[nodiscard]] bool Reusable() const { return m_reusable; }

    private:
        FastChecks& m_checks;
        const std::string m_serverKey;
        HttpConnection& m_connection;
        bool m_reusable = false;
    };

    int LimitOf(const Server& server) const { return server.limit > 0 ? server.limit : m_limit; }

    void ListIfReadyLocked(Server& server) {
        if (server.listedReady || server.waiting.empty() || server.busy >= LimitOf(server)) return;
        server.listedReady = true;
        m_ready.push_back(&server);
    }

    // Enough workers for every check that may start now: the idle ones are
    // woken, and new ones started while too few are free (up to kMaxWorkers).
    void WakeOrAddWorkersLocked() {
        std::size_t runnable = 0;
        for (const Server* server : m_ready) {
            runnable +=
                std::min(server->waiting.size(),
                         static_cast<std::size_t>(std::max(0, LimitOf(*server) - server->busy)));
        }
        if (runnable == 0) return;
        const std::size_t free = m_workers.size() - m_running;
        for (std::size_t more = runnable > free ? runnable - free : 0;
             more > 0 && m_workers.size() < kMaxWorkers; --more) {
            try {
                m_workers.emplace_back([this] { WorkerLoop(); });
            } catch (const std::system_error&) {
                // The workers there are carry on; with none at all the checks
                // cannot run, and the scan ends without them.
                if (m_workers.empty()) DropWaitingLocked();
                break;
            }
        }
        if (runnable == 1) {
            m_workAvailable.notify_one();
        } else {
            m_workAvailable.notify_all();
        }
    }

    // The next check of a ready server, round robin; false when none is ready.
    bool TakeLocked(Assignment& assignment) {
        while (!m_ready.empty()) {
            Server* server = m_ready.front();
            m_ready.pop_front();
            server->listedReady = false;
            if (server->waiting.empty() || server->busy >= LimitOf(*server)) continue;
            assignment.server = server;
            assignment.check = std::move(server->waiting.front());
            server->waiting.pop_front();
            --m_waiting;
            ++server->busy;
            ++m_running;
            if (!server->idle.empty()) {
                assignment.connection = std::move(server->idle.back());
                server->idle.pop_back();
            } else {
                assignment.connection = std::make_unique<HttpConnection>();
            }
            m_inUse.insert(assignment.connection.get());
            ListIfReadyLocked(*server);
            return true;
        }
        return false;
    }

    void ReturnLocked(Assignment& assignment, bool reusable) {
        Server& server = *assignment.server;
        m_inUse.erase(assignment.connection.get());
        --server.busy;
        --m_running;
        if (reusable && assignment.connection->IsOpen() &&
            server.idle.size() < static_cast<std::size_t>(LimitOf(server)) && !m_ended) {
            server.idle.push_back(std::move(assignment.connection));
        }
        assignment.connection.reset();
        ListIfReadyLocked(server);
        WakeOrAddWorkersLocked();
        m_progress.notify_one();
    }

    void WorkerLoop() {
        std::unique_lock lock(m_mutex);
        for (;;) {
            Assignment assignment;
            while (!TakeLocked(assignment)) {
                if (m_ended) return;
                m_workAvailable.wait(lock);
            }
            lock.unlock();
            std::vector<WebCheck> foundByThePage;
            const bool reusable =
                CarryOut(assignment.check, *assignment.connection, foundByThePage);
            // All of a page's links are marked visited, and queued, together,
            // after the page's own row: the next pages start only then, as in
            // the classic crawl, so a page that two pages link to names the
            // one whose link was met first in the order the pages were checked.
            HandOnChecks(std::move(foundByThePage), *this);
            lock.lock();
            ReturnLocked(assignment, reusable);
        }
    }

    // One check and its row, and for a page the checks its links ask for;
    // true when its connection may be kept. Nothing escapes: an exception in
    // a worker would end the program.
    bool CarryOut(const WebCheck& check, HttpConnection& connection, std::vector<WebCheck>& found) {
        if (!TheScanState().scanRunning) return false;
        try {
            ShowStatusNowAndThen(check.url);
            WorkerExchanger exchanger(*this, check, connection);
            found = RunWebCheck(check, exchanger);
            return exchanger.Reusable();
        } catch (const std::exception& error) {
            try {
                AddWebCheckRow(check.url, std::string("Check failed: ") + error.what(),
                               check.location);
            } catch (...) {
            }
            return false;
        }
    }

    void DropWaitingLocked() {
        for (auto& [key, server] : m_servers) server.waiting.clear();
        m_waiting = 0;
        m_ready.clear();
        for (auto& [key, server] : m_servers) server.listedReady = false;
    }

    // After Stop: nothing more starts, and what runs stops waiting.
    void DropEverythingLocked() {
        DropWaitingLocked();
        for (HttpConnection* connection : m_inUse) connection->Shutdown();
    }

    // Workers finish the checks they hold, take no more, and end; only then
    // do the servers and their kept connections go.
    void EndWorkers() {
        {
            std::lock_guard lock(m_mutex);
            m_ended = true;
            DropWaitingLocked();
        }
        m_workAvailable.notify_all();
        for (std::thread& worker : m_workers) {
            if (worker.joinable()) worker.join();
        }
        m_workers.clear();
        std::lock_guard lock(m_mutex);
        m_servers.clear();
    }

    const int m_limit;
    std::mutex m_mutex;
    std::condition_variable m_workAvailable;
    std::condition_variable m_progress;
    std::unordered_map<std::string, Server> m_servers;
    std::deque<Server*> m_ready;
    std::unordered_set<HttpConnection*> m_inUse;
    std::size_t m_waiting = 0;
    std::size_t m_running = 0;
    std::vector<std::thread> m_workers;
    bool m_ended = false;
    // Each server's name is looked up once for the whole scan.
    HostLookups m_lookups;
};

}  // namespace

std::unique_ptr<WebChecks> MakeFastWebChecks(int connectionsPerHost) {
    return std::make_unique<FastChecks>(connectionsPerHost);
}
