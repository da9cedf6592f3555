// A web scan's anchors and the fragment checks that wait for them.
#include "engine/web_anchors.h"

#include "engine/results_table.h"
#include "platform/text_codec.h"

namespace {

void ReportMissing(const std::string& url, const AnchorSet& anchors, const std::string& fragment,
                   const std::string& location) {
    if (anchors.Names(fragment)) return;
    AddWebResult(url + "#" + fragment, Narrow(kAnchorNotFoundState), location);
}

}  // namespace

void WebAnchors::Clear() {
    std::lock_guard lock(m_mutex);
    m_pages.clear();
    m_waiting.clear();
}

void WebAnchors::PageRead(const std::string& url, std::shared_ptr<const AnchorSet> anchors) {
    std::vector<Waiting> waiting;
    {
        std::lock_guard lock(m_mutex);
        m_pages[url] = anchors;
        if (const auto found = m_waiting.find(url); found != m_waiting.end()) {
            waiting = std::move(found->second);
            m_waiting.erase(found);
        }
    }
    // Rows are added outside the lock: a row takes the row lock.
    for (const Waiting& check : waiting)
        ReportMissing(url, *anchors, check.fragment, check.location);
}

void WebAnchors::Check(const std::string& url, const std::string& fragment,
                       const std::string& location) {
    std::shared_ptr<const AnchorSet> anchors;
    {
        std::lock_guard lock(m_mutex);
        if (const auto found = m_pages.find(url); found != m_pages.end()) {
            anchors = found->second;
        } else {
            m_waiting[url].push_back({fragment, location});
            return;
        }
    }
    ReportMissing(url, *anchors, fragment, location);
}

WebAnchors& TheWebAnchors() {
    // Made once and never destroyed, as the scan state: a worker may still
    // check a fragment while the program ends.
    static WebAnchors* const anchors = new WebAnchors;
    return *anchors;
}
