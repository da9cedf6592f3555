// The host names a scan's kept-alive connections go to, each looked up once
// per scan. A page may link thousands of times to one server; asking the
// resolver each time costs a round trip each, and a resolver that limits how
// often it answers turns that into seconds per link. A look-up runs on a
// thread of its own, so that a caller waiting for it can give up when the
// scan stops, however long the resolver takes.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/socket.h"

class HostLookups {
public:
    HostLookups() = default;
    HostLookups(const HostLookups&) = delete;
    HostLookups& operator=(const HostLookups&) = delete;

    // The addresses of host (LookUpHostAddresses), looked up by the first
    // caller that asks for them and kept for the others; empty when host has
    // none, or when keepGoing turned false before the look-up ended.
    [[nodiscard]] std::vector<HostAddress> AddressesOf(const std::string& host,
                                                       const std::atomic<bool>& keepGoing);

    // How many look-ups were started (each host once).
    [[nodiscard]] std::size_t LookupsStarted() const;

private:
    struct Lookup;

    mutable std::mutex m_mutex;
    std::unordered_map<std::string, std::shared_ptr<Lookup>> m_lookups;
};
