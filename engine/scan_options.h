// The scan settings the window holds for the whole run: the six the options
// file has always kept, and whether https links are checked. Scan threads
// read the flags while the Options dialog may change them, so each flag is
// one atomic word; editorCommand is used on the UI thread only.
#pragma once

#include <atomic>
#include <string>

#include "engine/url_functions.h"

struct ScanOptions {
    std::atomic<int> checkImages{1};
    std::atomic<int> checkAllTags{0};
    std::atomic<int> checkExternalUrls{0};
    std::atomic<int> useExternalEditor{0};
    std::wstring editorCommand{L"notepad.exe"};
    std::atomic<int> scanPageOnly{0};
    // Off by default: "https:" links are then ignored, as they always were.
    std::atomic<int> checkHttpsLinks{0};

    ScanOptions() = default;
    ScanOptions(const ScanOptions& other) { *this = other; }
    ScanOptions& operator=(const ScanOptions& other);
};

// Compares every value (a flag is compared as stored, not as on/off).
[[nodiscard]] bool operator==(const ScanOptions& a, const ScanOptions& b);

// Whether https links are checked, as read at this moment.
[[nodiscard]] inline HttpsLinks HttpsLinksOf(const ScanOptions& options) {
    return options.checkHttpsLinks ? HttpsLinks::kChecked : HttpsLinks::kIgnored;
}
