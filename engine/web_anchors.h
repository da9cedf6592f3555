// Fragment checks of a web scan. A crawled page's anchors are kept once the
// page has been read; a link with a fragment to a page of the site is
// checked against them then, or waits for the page while it has not been
// read yet. A page that is never read as a page (an image, a failure, a
// redirect) leaves its links unchecked: no false error. Any worker may call
// in; one lock guards both lists.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/page_anchors.h"

class WebAnchors {
public:
    // Empties both lists; at Start.
    void Clear();

    // The page at url was read with these anchors: the links that waited
    // for it are checked now.
    void PageRead(const std::string& url, std::shared_ptr<const AnchorSet> anchors);

    // A link found at location to url with fragment (without its "#").
    void Check(const std::string& url, const std::string& fragment, const std::string& location);

private:
    struct Waiting {
        std::string fragment;
        std::string location;
    };

    std::mutex m_mutex;
    std::unordered_map<std::string, std::shared_ptr<const AnchorSet>> m_pages;
    std::unordered_map<std::string, std::vector<Waiting>> m_waiting;
};

[[nodiscard]] WebAnchors& TheWebAnchors();
