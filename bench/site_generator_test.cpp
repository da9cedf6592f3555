// The generated sites: shape, reachability and the files on disk.
#include "bench/site_generator.h"

#include <gtest/gtest.h>

#include <deque>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "engine/link_extraction.h"
#include "testing/temp_folder.h"

namespace {

std::map<std::string, const PlannedPage*> PagesByPath(const SitePlan& plan) {
    std::map<std::string, const PlannedPage*> byPath;
    for (const PlannedPage& page : plan.pages) byPath[page.path] = &page;
    return byPath;
}

TEST(SiteGenerator, EveryPageIsReachableAndOnlyTheFolderLinksAreBroken) {
    for (const std::size_t pages : {1u, 9u, 10u, 11u, 1000u, 1234u}) {
        const SitePlan plan = PlanSite(SiteShape{pages});
        ASSERT_EQ(plan.pages.size(), pages);
        const auto byPath = PagesByPath(plan);
        ASSERT_EQ(byPath.size(), pages) << "page paths are distinct";
        std::set<std::string> reached{plan.pages[0].path};
        std::set<std::string> broken;
        std::deque<const PlannedPage*> next{&plan.pages[0]};
        while (!next.empty()) {
            const PlannedPage& page = *next.front();
            next.pop_front();
            ASSERT_EQ(page.links.size(), kLinksPerPage) << page.path;
            for (const std::string& link : page.links) {
                EXPECT_EQ(link.find(".."), std::string::npos) << page.path << ": " << link;
                const std::string target = FolderOf(page.path) + link;
                const auto found = byPath.find(target);
                if (found == byPath.end()) {
                    broken.insert(target);
                } else if (reached.insert(target).second) {
                    next.push_back(found->second);
                }
            }
        }
        EXPECT_EQ(reached.size(), pages) << pages << " pages";
        EXPECT_EQ(broken.size(), plan.brokenTargets) << pages << " pages";
    }
}

TEST(SiteGenerator, WritesPagesWhoseLinksExtractAsPlanned) {
    const TempFolder folder;
    const SitePlan plan = PlanSite(SiteShape{45, 10, 2});
    ASSERT_TRUE(WriteSite(plan, folder.Path()));
    for (const PlannedPage& page : plan.pages) {
        std::ifstream in(folder.Path() / page.path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        ASSERT_EQ(text.str(), PageText(page));
        // The local scan reads a page further only when its first block holds it.
        EXPECT_LT(text.str().find("<html"), 1023u);
        std::vector<std::string> found;
        for (const FoundLink& link : ReadPageLinks(text.str(), kAnchorGroups).links)
            found.emplace_back(link.value);
        EXPECT_EQ(found, page.links) << page.path;
    }
    // Folders 3 and 4 sit in folder 1; the last one holds the five left over.
    EXPECT_TRUE(std::filesystem::is_regular_file(folder.Path() / "d1" / "d4" / "p4.html"));
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "d1" / "d4" / "p5.html"));
}

}  // namespace
