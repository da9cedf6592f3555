// "Edit file": location parsing, command lines, and whole runs with a
// stand-in editor that records its arguments and the file it was given.
#include "engine/edit_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "platform/command_line.h"
#include "platform/environment.h"
#include "platform/text_codec.h"
#include "testing/loopback_address.h"
#include "testing/scripted_http_server.h"
#include "testing/temp_folder.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(ParseLocation, TakesTheLastColonFromIndexSixOn) {
    const std::vector<std::tuple<std::wstring, std::wstring, int>> cases = {
        {L"d:\\site\\index.php:12", L"d:\\site\\index.php", 12},
        {L"http://server/a.html:7", L"http://server/a.html", 7},
        {L"http://server/", L"http://server/", 0},
        {L"c:\\a:5", L"c:\\a:5", 0},
        {L"c:\\ab:5", L"c:\\ab:5", 0},
        {L"c:\\abc:5", L"c:\\abc", 5},
        {L"/site/a:b.html: -3x", L"/site/a:b.html", -3},
        {L"/site/page.html:", L"/site/page.html", 0},
        {L"", L"", 0},
    };
    for (const auto& [location, page, line] : cases) {
        EXPECT_EQ(ParseLocation(location), (ParsedLocation{page, line})) << location;
    }
}

TEST(EditorCommandLine, LineEditorBesideTheProgramOrExternalEditorWithoutLine) {
    ScanOptions options;
    EXPECT_EQ(BuildEditorCommandLine(L"/site/index.php", 12, options, L"/opt/skarnel/Skarnel"),
              L"/opt/skarnel/ZentribEditor /site/index.php 12");
    options.useExternalEditor = 1;
    options.editorCommand = L"notepad.exe";
    EXPECT_EQ(BuildEditorCommandLine(L"/site/index.php", 12, options, L"/opt/skarnel/Skarnel"),
              L"notepad.exe /site/index.php");
    options.editorCommand = std::wstring(3000, L'e');
    EXPECT_EQ(BuildEditorCommandLine(L"f", 1, options, L"/x").size(), 3002u);
}

TEST(EditorCommandLine, PathsWithBlanksOrQuotesAreQuotedAndReachTheEditorWhole) {
    ScanOptions options;
    const std::wstring program = L"/home/ann/my apps/Skarnel";
    EXPECT_EQ(BuildEditorCommandLine(L"/site/my page.html", 4, options, program),
              L"\"/home/ann/my apps/ZentribEditor\" \"/site/my page.html\" 4");
    EXPECT_THAT(SplitCommandLine(BuildEditorCommandLine(L"/s/\"q\" \\", 5, options, program)),
                ElementsAre(L"/home/ann/my apps/ZentribEditor", L"/s/\"q\" \\", L"5"));
    options.useExternalEditor = 1;
    options.editorCommand = L"\"/opt/my editor/ed\" -n";
    EXPECT_THAT(
        SplitCommandLine(BuildEditorCommandLine(L"/site/my page.html", 4, options, program)),
        ElementsAre(L"/opt/my editor/ed", L"-n", L"/site/my page.html"));
}

TEST(EditorCommandLine, TemporaryFileAndApplicationNames) {
    EXPECT_EQ(TemporaryPageFilePath(L"/tmp", L"http://server/dir/index.php"),
              L"/tmp/index.php__temp_file.txt");
    EXPECT_EQ(TemporaryPageFilePath(L"/tmp/", L"http://server/dir/"), L"/tmp/__temp_file.txt");
    EXPECT_EQ(ApplicationName(L"/opt/skarnel/Skarnel"), L"Skarnel");
    EXPECT_EQ(ApplicationName(L"c:\\tools\\Skarnel.exe"), L"Skarnel");
}

struct Message {
    std::wstring text;
    std::wstring caption;
    EditMessageIcon icon;
    bool operator==(const Message&) const = default;
};

class EditFileRun : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SetEnvironmentText("SKARNEL_RECORD", Widen(m_work.PathOf("record").string())));
        m_services.showMessage = [this](const std::wstring& text, const std::wstring& caption,
                                        EditMessageIcon icon) {
            m_messages.push_back({text, caption, icon});
        };
        m_services.runAndWait = RunProgramAndWait();
        m_services.runningProgramPath = Widen(SKARNEL_STANDIN_FOLDER) + L"/Skarnel";
        m_services.temporaryFolder = m_temp.WidePath();
    }
    void TearDown() override { UnsetEnvironmentVariable("SKARNEL_RECORD"); }

    // What the stand-in editor recorded: its arguments, "--", the file's bytes.
    std::string Record() const { return m_work.Read("record"); }

    void Edit(const std::optional<std::wstring>& location) {
        EditFileAtLocation(location, m_options, m_services);
    }

    TempFolder m_work;
    TempFolder m_temp;
    ScanOptions m_options;
    EditFileServices m_services;
    std::vector<Message> m_messages;
};

TEST_F(EditFileRun, NoSelectionShowsOnlyTheMessage) {
    Edit(std::nullopt);
    EXPECT_THAT(m_messages, ElementsAre(Message{L"Select an item in the list first!", L"Skarnel",
                                                EditMessageIcon::kNone}));
    EXPECT_EQ(Record(), "");
}

TEST_F(EditFileRun, LocalRowsOpenTheFileAtTheLineFromAProgramFolderWithABlank) {
    m_work.Put("site/index.html", "<html>\n");
    m_work.Put("site/my page.html", "x");
    const std::filesystem::path programs = m_work.PathOf("my apps");
    std::filesystem::create_directories(programs);
    std::filesystem::copy_file(std::string(SKARNEL_STANDIN_FOLDER) + "/ZentribEditor",
                               programs / "ZentribEditor");
    m_services.runningProgramPath = Widen((programs / "Skarnel").string());
    const std::string index = m_work.PathOf("site/index.html").string();
    const std::string spaced = m_work.PathOf("site/my page.html").string();
    Edit(Widen(index) + L":7");
    Edit(Widen(spaced) + L":3");
    EXPECT_THAT(m_messages, IsEmpty());
    EXPECT_EQ(Record(), index + "\n7\n--\n<html>\n" + spaced + "\n3\n--\nx");
}

TEST_F(EditFileRun, ExternalEditorGetsTheFileAlone) {
    m_work.Put("a.html", "A");
    m_options.useExternalEditor = 1;
    m_options.editorCommand = Widen(SKARNEL_STANDIN_FOLDER) + L"/ZentribEditor";
    Edit(m_work.WidePathOf("a.html") + L":9");
    EXPECT_EQ(Record(), m_work.PathOf("a.html").string() + "\n--\nA");
}

TEST_F(EditFileRun, MissingEditorShowsTheSystemsText) {
    m_services.runningProgramPath = m_work.WidePath() + L"/Skarnel";
    Edit(L"/nowhere/page.html:2");
    EXPECT_THAT(m_messages, ElementsAre(Message{L"No such file or directory", L"Error",
                                                EditMessageIcon::kError}));
}

class EditFileWeb : public EditFileRun {
protected:
    ScriptedHttpServer m_server{LoopbackAddressForTest()};
};

TEST_F(EditFileWeb, WebRowsAreDownloadedWithCrLfAndTheCopyRemovedAfterwards) {
    SKIP_WITHOUT_PORT_80(m_server);
    m_server.SetResponse("/dir/page.php", HtmlPage("404 Not Found", "one\ntwo\r\n"));
    m_server.SetResponse("/pic.png",
                         Reply("HTTP/1.1 200 OK\r\nContent-Type: image/png\r\n\r\nPNG"));
    Edit(Widen(m_server.Url("/dir/page.php")) + L":2");
    Edit(Widen(m_server.Url("/pic.png")));
    const std::string copy = m_temp.PathOf("page.php__temp_file.txt").string();
    const std::string image = m_temp.PathOf("pic.png__temp_file.txt").string();
    EXPECT_EQ(Record(), copy + "\n2\n--\none\r\ntwo\r\r\n" + image + "\n0\n--\n");
    EXPECT_FALSE(m_temp.Exists("page.php__temp_file.txt"));
    EXPECT_FALSE(m_temp.Exists("pic.png__temp_file.txt"));
    EXPECT_THAT(m_messages, IsEmpty());
}

TEST_F(EditFileWeb, FailuresLeaveTheCopyAndSayWhy) {
    SKIP_WITHOUT_PORT_80(m_server);
    m_server.SetResponse("/kept.html", HtmlPage("200 OK", "kept"));
    m_services.runningProgramPath = m_work.WidePath() + L"/Skarnel";
    Edit(Widen(m_server.Url("/kept.html")) + L":1");
    EXPECT_EQ(m_temp.Read("kept.html__temp_file.txt"), "kept");
    // Nothing listens on the second address: the connection is refused.
    Edit(L"http://" + Widen(LoopbackAddressForTest(1)) + L"/gone.html:1");
    EXPECT_TRUE(m_temp.Exists("gone.html__temp_file.txt"));
    m_services.temporaryFolder = m_temp.WidePathOf("missing-folder");
    Edit(Widen(m_server.Url("/kept.html")) + L":1");
    EXPECT_THAT(
        m_messages,
        ElementsAre(Message{L"No such file or directory", L"Error", EditMessageIcon::kError},
                    Message{L"Can't connect to the host!", L"Error", EditMessageIcon::kError},
                    Message{L"Can't create temporary file", L"Error", EditMessageIcon::kError}));
}

}  // namespace
