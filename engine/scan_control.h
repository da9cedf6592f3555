// Starting, stopping and totalling a scan. StartScan and StopScan run on
// the UI thread, ScanThreadMain on the scan thread; how a web scan's checks
// are carried out is engine/classic_checks.h's and engine/fast_checks.cpp's.
#pragma once

#include <string>
#include <string_view>

#include "engine/scan_state.h"

inline constexpr wchar_t kScanInProgressText[] = L"Scan process is in progress.";
inline constexpr wchar_t kScanNotStartedText[] =
    L"Can't start the scan: the system could not create a thread.";
inline constexpr wchar_t kProgramCaption[] = L"Skarnel";

void StartScan();
void StopScan();
void ScanThreadMain();
void ShowScanTotals();

// "Total links found: %u, errors: %u": the status text at the end of a scan.
[[nodiscard]] std::wstring ScanTotalsText(unsigned rows, unsigned errors);

// "Checking %s..." for a path or address, cut to fit the status buffer.
[[nodiscard]] std::wstring CheckingStatusText(std::wstring_view target);
