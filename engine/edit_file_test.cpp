// "Edit file": location parsing, command lines, and whole runs with a
// stand-in editor that records its arguments and the file it was given.
#include "engine/edit_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

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
    // The record of one run, which then starts afresh.
    std::string TakeRecord() const {
        std::string record = Record();
        std::filesystem::remove(m_work.PathOf("record"));
        return record;
    }
    static std::string FirstLine(const std::string& text) {
        return text.substr(0, text.find('\n'));
    }

    // A copy of a web page lies in a folder of its own in the temporary folder.
    void ExpectPrivateCopy(const std::string& copy, const std::string& name) const {
        const std::filesystem::path path(copy);
        EXPECT_EQ(path.filename(), name);
        EXPECT_EQ(path.parent_path().parent_path(), m_temp.Path());
        EXPECT_TRUE(path.parent_path().filename().string().starts_with("skarnel-")) << copy;
    }

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

TEST_F(EditFileWeb, WebRowsAreCopiedByteForByteIntoAPrivateFolderThatGoesAfterwards) {
    SKIP_WITHOUT_PORT_80(m_server);
    m_server.SetResponse("/dir/page.php", HtmlPage("404 Not Found", "one\r\ntwo\nthree\r\n"));
    m_server.SetResponse("/pic.png",
                         Reply("HTTP/1.1 200 OK\r\nContent-Type: image/png\r\n\r\nPNG"));
    Edit(Widen(m_server.Url("/dir/page.php")) + L":2");
    const std::string page = TakeRecord();
    Edit(Widen(m_server.Url("/pic.png")));
    const std::string image = TakeRecord();
    const std::string pageCopy = FirstLine(page);
    const std::string imageCopy = FirstLine(image);
    ExpectPrivateCopy(pageCopy, "page.php__temp_file.txt");
    ExpectPrivateCopy(imageCopy, "pic.png__temp_file.txt");
    EXPECT_NE(std::filesystem::path(pageCopy).parent_path(),
              std::filesystem::path(imageCopy).parent_path());
    EXPECT_EQ(page, pageCopy + "\n2\n--\none\r\ntwo\nthree\r\n");
    EXPECT_EQ(image, imageCopy + "\n0\n--\n");
    EXPECT_TRUE(std::filesystem::is_empty(m_temp.Path()));
    EXPECT_THAT(m_messages, IsEmpty());
}

TEST_F(EditFileWeb, LinksPlantedUnderTheCopysNameAreNeitherFollowedNorReplaced) {
    SKIP_WITHOUT_PORT_80(m_server);
    m_server.SetResponse("/dir/page.html", HtmlPage("200 OK", "fresh\r\n"));
    m_server.SetResponse("/dir/", HtmlPage("200 OK", "index\r\n"));
    const std::filesystem::path victim = m_work.Put("victim.txt", "precious");
    std::filesystem::create_symlink(victim, m_temp.PathOf("page.html__temp_file.txt"));
    std::filesystem::create_symlink(m_work.PathOf("planted.txt"), m_temp.PathOf("__temp_file.txt"));
    Edit(Widen(m_server.Url("/dir/page.html")) + L":1");
    const std::string page = TakeRecord();
    Edit(Widen(m_server.Url("/dir/")));
    const std::string index = TakeRecord();
    EXPECT_EQ(page, FirstLine(page) + "\n1\n--\nfresh\r\n");
    EXPECT_EQ(index, FirstLine(index) + "\n0\n--\nindex\r\n");
    ExpectPrivateCopy(FirstLine(index), "__temp_file.txt");
    EXPECT_EQ(m_work.Read("victim.txt"), "precious");
    EXPECT_FALSE(m_work.Exists("planted.txt"));
    EXPECT_TRUE(std::filesystem::is_symlink(m_temp.PathOf("page.html__temp_file.txt")));
    EXPECT_TRUE(std::filesystem::is_symlink(m_temp.PathOf("__temp_file.txt")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_temp.Path()), {}), 2);
    EXPECT_THAT(m_messages, IsEmpty());
}

TEST_F(EditFileWeb, FailuresSayWhyAndLeaveNothingBehind) {
    SKIP_WITHOUT_PORT_80(m_server);
    m_server.SetResponse("/kept.html", HtmlPage("200 OK", "kept"));
    m_services.runningProgramPath = m_work.WidePath() + L"/Skarnel";
    Edit(Widen(m_server.Url("/kept.html")) + L":1");
    // Nothing listens on the second address: the connection is refused.
    Edit(L"http://" + Widen(LoopbackAddressForTest(1)) + L"/gone.html:1");
    // A last segment longer than a file name may be.
    Edit(Widen(m_server.Url("/" + std::string(300, 'n'))) + L":1");
    m_services.temporaryFolder = m_temp.WidePathOf("missing-folder");
    Edit(Widen(m_server.Url("/kept.html")) + L":1");
    const Message cantCreate{L"Can't create temporary file", L"Error", EditMessageIcon::kError};
    EXPECT_THAT(
        m_messages,
        ElementsAre(Message{L"No such file or directory", L"Error", EditMessageIcon::kError},
                    Message{L"Can't connect to the host!", L"Error", EditMessageIcon::kError},
                    cantCreate, cantCreate));
    EXPECT_TRUE(std::filesystem::is_empty(m_temp.Path()));
    EXPECT_EQ(Record(), "");
}

}  // namespace
