// Local scans of sites that fight back: a 200 MiB page, files and folders
// that cannot be read as pages (a folder named like a page, symbolic links
// that loop, devices that never end), a folder link that loops back into
// itself, and names with "?", "#", blanks and bytes above 127. Each scan must
// end with every row whole and memory within a bound.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/text_codec.h"
#include "testing/memory_bound.h"
#include "testing/scan_fixture.h"
#include "testing/temp_folder.h"

namespace {

using ::testing::ElementsAre;
using Row = std::vector<std::wstring>;

class HostileSite : public SiteScanFixture {
protected:
    PeakMemoryWatch m_memory;
};

TEST_F(HostileSite, PageOf200MiBIsScannedToItsLastLineWithMemoryBounded) {
    constexpr std::size_t kLineLength = 1024;
    constexpr std::size_t kFillerLines = (kThreadSanitizerBuild ? 40 : 200) * 1024;
    {
        // Written a line at a time, so the test itself never holds the page.
        std::ofstream page(m_site.PathOf("huge.html"), std::ios::binary);
        page << "<html>\n" << Anchor("first.html");
        const std::string filler = std::string(kLineLength - 1, 'f') + "\n";
        for (std::size_t i = 0; i < kFillerLines; ++i) page << filler;
        page << " " << Anchor("last.html") << "</html>\n";
    }
    m_site.Put("first.html", "1");
    m_site.Put("last.html", "2");
    ScanAndWait(P("huge.html"));
    const int lastLine = static_cast<int>(kFillerLines) + 3;
    EXPECT_THAT(Rows(), ElementsAre(Row{P("huge.html"), L"OK", P("huge.html")},
                                    Row{P("first.html"), L"OK", At("huge.html", 2)},
                                    Row{P("last.html"), L"OK", At("huge.html", lastLine)}));
    // The page is held once (with room to grow), never copied per pass or link.
    EXPECT_LT(m_memory.Growth(), MemoryBound(400 * kMiB));
    std::filesystem::remove(m_site.PathOf("huge.html"));
}

TEST_F(HostileSite, WhatCannotBeReadAsAPageIsReportedAndNeverHangs) {
    std::filesystem::create_directories(m_site.PathOf("folder.html"));
    std::filesystem::create_symlink("loop-b.html", m_site.PathOf("loop-a.html"));
    std::filesystem::create_symlink("loop-a.html", m_site.PathOf("loop-b.html"));
    std::filesystem::create_symlink("nowhere.html", m_site.PathOf("dangling.html"));
    m_site.Put("locked.html", "<html>" + Anchor("never.html"));
    std::filesystem::permissions(m_site.PathOf("locked.html"), std::filesystem::perms::none);
    // A privileged test run may read the locked file all the same.
    const bool lockedReadable = std::ifstream(m_site.PathOf("locked.html")).is_open();
    m_site.Put("index.html", "<html>\n" + Anchor("folder.html") + Anchor("loop-a.html") +
                                 Anchor("dangling.html") + Anchor("locked.html") +
                                 // File URLs reach the devices, which never end.
                                 Anchor("file:///dev/zero") + Anchor("file:///dev/urandom"));
    ScanAndWait(P("index.html"));
    const std::wstring lockedState = lockedReadable ? L"OK" : L"Can't open file";
    std::vector<Row> expected = {Row{P("index.html"), L"OK", P("index.html")},
                                 Row{P("folder.html"), L"Can't open file", At("index.html", 2)},
                                 Row{P("loop-a.html"), L"Can't open file", At("index.html", 3)},
                                 Row{P("dangling.html"), L"Can't open file", At("index.html", 4)},
                                 Row{P("locked.html"), lockedState, At("index.html", 5)}};
    if (lockedReadable)
        expected.push_back(Row{P("never.html"), L"Can't open file", At("locked.html", 1)});
    expected.push_back(Row{L"/dev/zero", L"Can't open file", At("index.html", 6)});
    expected.push_back(Row{L"/dev/urandom", L"Can't open file", At("index.html", 7)});
    EXPECT_EQ(Rows(), expected);
    std::filesystem::permissions(m_site.PathOf("locked.html"), std::filesystem::perms::owner_all);
}

TEST_F(HostileSite, FolderLinkThatLoopsBackEndsWhereTheSystemStopsFollowingIt) {
    // sub/again is sub itself, so sub/again/again/... names the same page
    // by ever longer paths, until the system refuses to follow so many links
    // (or the path grows too long).
    m_site.Put("sub/index.html", "<html>" + Anchor("again/index.html"));
    std::filesystem::create_directory_symlink(".", m_site.PathOf("sub/again"));
    ScanAndWait(P("sub/index.html"));
    const std::vector<ResultRow> rows = m_window.Rows();
    ASSERT_GE(rows.size(), 3u);
    std::wstring path = P("sub/index.html");
    for (std::size_t i = 0; i < rows.size(); ++i) {
        ASSERT_EQ(rows[i].link, path) << i;
        ASSERT_EQ(rows[i].state, i + 1 < rows.size() ? L"OK" : L"Can't open file") << i;
        path.insert(path.size() - std::wstring_view(L"index.html").size(), L"again/");
    }
    EXPECT_EQ(m_window.StatusText(),
              L"Total links found: " + std::to_wstring(rows.size()) + L", errors: 1");
}

TEST_F(HostileSite, NamesWithQuestionMarksHashesBlanksAndHighBytes) {
    const std::vector<std::string> names = {"what?.html", "a?b=c.html", "x #1 ?.html",
                                            "d\xc3\xa9j\xc3\xa0 vu?.html", "\xff\xfe?.html"};
    std::string links;
    for (const std::string& name : names) {
        m_site.Put("odd dir?#\xe9/" + name, "ok");
        links += Anchor("odd dir?#\xe9/" + name);
    }
    // A query after a name that no file holds names the file without it.
    m_site.Put("page.html", "plain");
    links += Anchor("page.html?x=1");
    m_site.Put("index.html", "<html>\n" + links);
    ScanAndWait(P("index.html"));
    const std::vector<Row> rows = Rows();
    ASSERT_EQ(rows.size(), names.size() + 2);
    // Link bytes become characters of the same code, whatever the file system's encoding.
    const std::wstring folder = P("index.html").substr(0, P("index.html").size() - 10);
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(rows[i + 1], (Row{folder + Widen("odd dir?#\xe9/" + names[i]), L"OK",
                                    At("index.html", static_cast<int>(i) + 2)}));
    }
    EXPECT_EQ(rows.back(),
              (Row{P("page.html"), L"OK", At("index.html", static_cast<int>(names.size()) + 2)}));
}

}  // namespace
