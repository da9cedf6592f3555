// "Edit file" end to end, as a user meets it: Skarnel and ZentribEditor
// installed into a folder whose name holds a blank, the temporary folder's
// name holding one too, and a web page served with CR LF line ends. Both real
// programs run in processes of their own, worked by the window driver
// plugin (ui/window_driver), which reports what each window showed.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "platform/child_process.h"
#include "testing/loopback_address.h"
#include "testing/scripted_http_server.h"
#include "testing/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The page's link to gone.html stands on line 4.
constexpr char kPage[] =
    "<html>\r\n<body>\r\n<p>The menu</p>\r\n<a href=\"gone.html\">Rye bread</a>\r\n"
    "</body>\r\n</html>\r\n";

// The values of one key in a driver's report, in the order written.
std::vector<std::string> Values(const std::string& report, const std::string& key) {
    std::vector<std::string> values;
    std::istringstream lines(report);
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with(key + "=")) values.push_back(line.substr(key.size() + 1));
    }
    return values;
}

// Installs the build into prefix the way a user would.
void Install(const fs::path& prefix) {
    ChildProcess install;
    ChildProcessSetup quiet;
    quiet.outputPath = prefix.string() + ".log";
    std::string error;
    ASSERT_TRUE(
        install.Start({SKARNEL_CMAKE, "--install", SKARNEL_BUILD_DIR, "--prefix", prefix.string()},
                      quiet, &error))
        << error;
    ASSERT_EQ(install.WaitForExit(std::chrono::seconds(60)), std::optional<int>(0));
}

TEST(EditFileEndToEnd, TheInstalledEditorOpensTheServedPageAtTheLinksLine) {
    ScriptedHttpServer server(LoopbackAddressForTest());
    SKIP_WITHOUT_PORT_80(server);
    server.SetResponse("/dir/page.html", HtmlPage("200 OK", kPage));
    server.SetResponse("/dir/gone.html", HtmlPage("404 Not Found", "<html></html>"));

    const TempFolder work;
    const fs::path apps = work.PathOf("my apps");
    const fs::path temp = work.PathOf("my temp");
    fs::create_directories(temp);
    fs::create_directories(work.PathOf("reports"));
    ASSERT_NO_FATAL_FAILURE(Install(apps));

    const std::string start = server.Url("/dir/page.html");
    ChildProcessSetup setup;
    setup.outputPath = work.PathOf("skarnel.out").string();
    setup.errorPath = work.PathOf("skarnel.err").string();
    setup.environment = {
        {"QT_QPA_PLATFORM", "offscreen"},
        {"QT_PLUGIN_PATH", SKARNEL_TEST_PLUGINS},
        {"QT_QPA_GENERIC_PLUGINS", "skarnelwindowdriver"},
        {"SKARNEL_DRIVE_REPORT", work.PathOf("reports").string()},
        {"SKARNEL_DRIVE_PATH", start},
        {"SKARNEL_DRIVE_ROW", "1"},
        {"TEMP", temp.string()},
        {"APPDATA", work.PathOf("appdata").string()},
    };
    ChildProcess skarnel;
    std::string error;
    ASSERT_TRUE(skarnel.Start({(apps / "bin" / "Skarnel").string()}, setup, &error)) << error;
    EXPECT_EQ(skarnel.WaitForExit(std::chrono::seconds(45)), std::optional<int>(0))
        << work.Read("skarnel.err");

    const std::string checker = work.Read("reports/skarnel.txt");
    const std::string editor = work.Read("reports/editor.txt");
    EXPECT_THAT(Values(checker, "row"),
                ElementsAre(start + "|200 OK|" + start,
                            server.Url("/dir/gone.html") + "|404 Not Found|" + start + ":4"));
    EXPECT_THAT(Values(checker, "edit"), ElementsAre("returned")) << checker << editor;
    EXPECT_THAT(Values(checker, "message"), IsEmpty());
    EXPECT_THAT(Values(checker, "failed"), IsEmpty()) << checker;
    EXPECT_THAT(Values(editor, "failed"), IsEmpty()) << editor;

    // The editor beside Skarnel, the copy with its blank-holding path whole,
    // and the line.
    const std::vector<std::string> arguments = Values(editor, "argument");
    ASSERT_EQ(arguments.size(), 3u) << editor;
    EXPECT_EQ(arguments[0], (apps / "bin" / "ZentribEditor").string());
    const fs::path copy = arguments[1];
    EXPECT_EQ(copy.filename(), "page.html__temp_file.txt");
    EXPECT_EQ(copy.parent_path().parent_path(), temp);
    EXPECT_TRUE(copy.parent_path().filename().string().starts_with("skarnel-")) << copy;
    EXPECT_EQ(arguments[2], "4");
    EXPECT_THAT(Values(editor, "title"), ElementsAre("Skarnel Editor - page.html__temp_file.txt"));
    // Every line whole, without a stray character at its end.
    EXPECT_THAT(Values(editor, "text"),
                ElementsAre("<html>\\n<body>\\n<p>The menu</p>\\n<a href=\"gone.html\">Rye "
                            "bread</a>\\n</body>\\n</html>\\n"));
    EXPECT_THAT(Values(editor, "selection"), ElementsAre("\\n<a href=\"gone.html\">Rye bread</a>"));
    EXPECT_THAT(Values(editor, "caret line"), ElementsAre("4"));
    // The copy went with its folder once the editor had closed.
    EXPECT_TRUE(fs::is_empty(temp));
}

}  // namespace
