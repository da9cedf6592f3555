// The six scan settings the window holds for the whole run. Scan threads read
// the four flags while the Options dialog may change them, so each flag is one
// atomic word; editorCommand is used on the UI thread only.
#pragma once

#include <atomic>
#include <string>

struct ScanOptions {
    std::atomic<int> checkImages{1};
    std::atomic<int> checkAllTags{0};
    std::atomic<int> checkExternalUrls{0};
    std::atomic<int> useExternalEditor{0};
    std::wstring editorCommand{L"notepad.exe"};
    std::atomic<int> scanPageOnly{0};

    ScanOptions() = default;
    ScanOptions(const ScanOptions& other) { *this = other; }
    ScanOptions& operator=(const ScanOptions& other);
};

// Compares the six values (a flag is compared as stored, not as on/off).
[[nodiscard]] bool operator==(const ScanOptions& a, const ScanOptions& b);
