// The local site scan: the start file and every file it links to, depth
// first, on the scan thread.
#pragma once

#include <string>

// The local branch of the scan thread.
void RunLocalScan();

// Checks path, adds its row and, for a page, checks the files it links to
// before returning.
void CheckLocalFile(const std::wstring& path, const std::wstring& location);
