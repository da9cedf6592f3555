// Plans and writes the benchmark sites: folders numbered breadth first as a
// tree, each holding up to pagesPerFolder pages named p0.html, p1.html, ...
#include "bench/site_generator.h"

#include <algorithm>
#include <fstream>

namespace {

constexpr const char* kBrokenLinks[] = {"gone.html", "old/gone.html"};

std::string PageName(std::size_t index) { return "p" + std::to_string(index) + ".html"; }

// Each folder's path from the root, with its trailing slash.
std::vector<std::string> FolderPaths(std::size_t folders, std::size_t subFolders) {
    std::vector<std::string> paths(folders);
    for (std::size_t folder = 1; folder < folders; ++folder) {
        const std::size_t parent = (folder - 1) / subFolders;
        paths[folder] = paths[parent] + "d" + std::to_string(folder) + "/";
    }
    return paths;
}

std::size_t PagesIn(std::size_t folder, const SiteShape& shape) {
    const std::size_t first = folder * shape.pagesPerFolder;
    return std::min(shape.pagesPerFolder, shape.pages - first);
}

// Links into the sub-folders first, then the broken ones, then the page's
// neighbours in its own folder until there are kLinksPerPage. Sub-folder
// links first keep the local scan's depth-first walk shallow.
std::vector<std::string> LinksOf(std::size_t folder, std::size_t index, std::size_t folders,
                                 const SiteShape& shape) {
    std::vector<std::string> links;
    for (std::size_t child = folder * shape.subFolders + 1;
         child <= folder * shape.subFolders + shape.subFolders && child < folders; ++child) {
        const std::string sub = "d" + std::to_string(child) + "/";
        links.push_back(sub + PageName(0));
        links.push_back(sub + PageName(index % PagesIn(child, shape)));
    }
    for (const char* broken : kBrokenLinks) links.emplace_back(broken);
    const std::size_t neighbours = PagesIn(folder, shape);
    for (std::size_t step = 1; links.size() < kLinksPerPage; ++step)
        links.push_back(PageName((index + step) % neighbours));
    return links;
}

}  // namespace

SitePlan PlanSite(const SiteShape& shape) {
    SitePlan plan;
    if (shape.pages == 0 || shape.pagesPerFolder == 0) return plan;
    plan.folders = (shape.pages + shape.pagesPerFolder - 1) / shape.pagesPerFolder;
    plan.brokenTargets = plan.folders * std::size(kBrokenLinks);
    const std::vector<std::string> folderPaths = FolderPaths(plan.folders, shape.subFolders);
    plan.pages.reserve(shape.pages);
    for (std::size_t folder = 0; folder < plan.folders; ++folder) {
        for (std::size_t index = 0; index < PagesIn(folder, shape); ++index) {
            plan.pages.push_back(PlannedPage{folderPaths[folder] + PageName(index),
                                             LinksOf(folder, index, plan.folders, shape)});
        }
    }
    return plan;
}

std::string FolderOf(const std::string& pagePath) {
    const std::size_t slash = pagePath.rfind('/');
    return slash == std::string::npos ? std::string() : pagePath.substr(0, slash + 1);
}

std::string PageText(const PlannedPage& page) {
    std::string text = "<html>\n<head><title>" + page.path + "</title></head>\n<body>\n";
    text += "<p>A generated page with links to its neighbours and its sub-folders.</p>\n";
    for (std::size_t i = 0; i < page.links.size(); ++i) {
        text +=
            "<p>Item " + std::to_string(i) + " of the list, with a few words around it: <a href=\"";
        text += page.links[i];
        text += "\">link " + std::to_string(i) + "</a> and the rest of the sentence.</p>\n";
    }
    text += "</body>\n</html>\n";
    return text;
}

bool WriteSite(const SitePlan& plan, const std::filesystem::path& root) {
    std::error_code error;
    for (const PlannedPage& page : plan.pages) {
        const std::filesystem::path file = root / page.path;
        std::filesystem::create_directories(file.parent_path(), error);
        if (error) return false;
        std::ofstream out(file, std::ios::binary);
        out << PageText(page);
        if (!out) return false;
    }
    return true;
}
