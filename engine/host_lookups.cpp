// Host look-ups shared by a scan: one resolver call per host, on a detached
// thread that owns a share of its result, so the scan may end (and this
// object go) while the resolver still works.
#include "engine/host_lookups.h"

#include <chrono>
#include <condition_variable>
#include <system_error>
#include <thread>

namespace {

// How often a waiting caller looks whether the scan goes on.
constexpr std::chrono::milliseconds kStopPoll{50};

}  // namespace

struct HostLookups::Lookup {
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    std::vector<HostAddress> addresses;

    void Run(const std::string& host) {
        std::vector<HostAddress> found = LookUpHostAddresses(host.c_str());
        {
            std::lock_guard lock(mutex);
            addresses = std::move(found);
            done = true;
        }
        ended.notify_all();
    }
};

std::vector<HostAddress> HostLookups::AddressesOf(const std::string& host,
                                                  const std::atomic<bool>& keepGoing) {
    std::shared_ptr<Lookup> lookup;
    bool first = false;
    {
        std::lock_guard lock(m_mutex);
        std::shared_ptr<Lookup>& entry = m_lookups[host];
        first = entry == nullptr;
        if (first) entry = std::make_shared<Lookup>();
        lookup = entry;
    }
    if (first) {
        try {
            std::thread([lookup, host] { lookup->Run(host); }).detach();
        } catch (const std::system_error&) {
            // No thread to spare: look up here, as a connection without
            // this cache would.
            lookup->Run(host);
        }
    }
    std::unique_lock lock(lookup->mutex);
    while (!lookup->done) {
        if (!keepGoing) return {};
        lookup->ended.wait_for(lock, kStopPoll);
    }
    return lookup->addresses;
}

std::size_t HostLookups::LookupsStarted() const {
    std::lock_guard lock(m_mutex);
    return m_lookups.size();
}
