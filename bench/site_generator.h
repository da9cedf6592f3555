// Generated sites for the end-to-end benchmarks: N pages of 20 links each in
// nested folders, with a few broken links per folder. Every link points down
// into the page's own folder or a sub-folder, never up with "../": paths are
// taken as written, so two folders linking to each other through "../" would
// make ever longer paths to the same files.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

struct SiteShape {
    std::size_t pages = 1000;
    std::size_t pagesPerFolder = 10;
    std::size_t subFolders = 4;  // of every folder, while pages remain
};

inline constexpr std::size_t kLinksPerPage = 20;

struct PlannedPage {
    std::string path;                // from the site's root, "d1/d5/p3.html"
    std::vector<std::string> links;  // href values as written, in page order
};

struct SitePlan {
    std::vector<PlannedPage> pages;  // pages[0] is the start page
    std::size_t folders = 0;
    // Distinct link targets that name no file (each folder's broken links).
    std::size_t brokenTargets = 0;
};

[[nodiscard]] SitePlan PlanSite(const SiteShape& shape);

// The folder part of a page path, with its trailing slash ("" at the root).
[[nodiscard]] std::string FolderOf(const std::string& pagePath);

// The HTML text of one page: its links one per line among filler text.
[[nodiscard]] std::string PageText(const PlannedPage& page);

// Writes every page of plan under root (which must exist). False when a
// file could not be written.
[[nodiscard]] bool WriteSite(const SitePlan& plan, const std::filesystem::path& root);
