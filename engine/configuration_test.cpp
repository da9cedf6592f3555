// The configuration file: its bytes on disk, the formatted-scan reading of
// its first line, the exact-record line beside it, and the folder choice.
#include "engine/configuration.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/environment.h"
#include "platform/text_codec.h"
#include "testing/temp_folder.h"

// Failures show the values rather than the object's bytes.
void PrintTo(const ScanOptions& options, std::ostream* out) {
    *out << "{" << options.checkImages << " " << options.checkAllTags << " \""
         << ToUtf8(options.editorCommand.substr(0, 60)) << "\" " << options.checkExternalUrls << " "
         << options.useExternalEditor << " " << options.scanPageOnly << " https "
         << options.checkHttpsLinks << " fast " << options.fastChecking << " connections "
         << options.connectionsPerHost << "}";
}

namespace {

// Puts the folder variables back as they were when the test began.
class FolderVariables {
public:
    FolderVariables() {
        for (std::size_t i = 0; i < std::size(kNames); ++i)
            m_saved[i] = GetEnvironmentText(kNames[i]);
    }
    ~FolderVariables() {
        for (std::size_t i = 0; i < std::size(kNames); ++i) {
            if (m_saved[i]) {
                SetEnvironmentText(kNames[i], *m_saved[i]);
            } else {
                UnsetEnvironmentVariable(kNames[i]);
            }
        }
    }

private:
    static constexpr const char* kNames[] = {"APPDATA", "XDG_CONFIG_HOME", "HOME"};
    std::optional<std::wstring> m_saved[std::size(kNames)];
};

class ConfigurationFile : public ::testing::Test {
protected:
    void SetUp() override { SetEnvironmentText("APPDATA", m_root.WidePath()); }

    std::string StoredBytes() const { return m_root.Read("Durnvale/conf01.dat"); }
    void Store(const std::string& bytes) const { m_root.Put("Durnvale/conf01.dat", bytes); }

    ScanOptions Loaded() const {
        ScanOptions options;
        options.checkImages = 77;  // LoadConfiguration must start from the defaults
        LoadConfiguration(options);
        return options;
    }

    static ScanOptions Options(int images, int allTags, std::wstring command, int external,
                               int useEditor, int pageOnly) {
        ScanOptions options;
        options.checkImages = images;
        options.checkAllTags = allTags;
        options.editorCommand = std::move(command);
        options.checkExternalUrls = external;
        options.useExternalEditor = useEditor;
        options.scanPageOnly = pageOnly;
        return options;
    }

    void SaveAfterLoad(const ScanOptions& options) const {
        (void)Loaded();  // creates the folder, as the window's start-up does
        SaveConfiguration(options);
    }

    FolderVariables m_variables;
    TempFolder m_root;
};

TEST_F(ConfigurationFile, DefaultsAreWrittenAsTwentyFourBytesEndingInCrCrLf) {
    SaveAfterLoad(ScanOptions{});
    EXPECT_EQ(StoredBytes(), "1 0 notepad.exe 0 0 0\r\r\n");
    EXPECT_EQ(StoredBytes().size(), 24u);
}

TEST_F(ConfigurationFile, MissingFileGivesTheDefaultsAndWritesNothing) {
    EXPECT_EQ(Loaded(), ScanOptions{});
    EXPECT_TRUE(m_root.Exists("Durnvale"));
    EXPECT_FALSE(m_root.Exists("Durnvale/conf01.dat"));
}

TEST_F(ConfigurationFile, ValuesAreWrittenInFileOrderAndReadBack) {
    const ScanOptions options = Options(0, 1, L"/opt/My Editor/ed", 1, 1, 1);
    SaveAfterLoad(options);
    EXPECT_EQ(StoredBytes(), "0 1 /opt/My#Editor/ed 1 1 1\r\r\n");
    EXPECT_EQ(Loaded(), options);
}

TEST_F(ConfigurationFile, EveryUsualLineEndReadsTheSame) {
    const ScanOptions expected = Options(0, 1, L"ed", 1, 0, 1);
    for (const char* end : {"\r\r\n", "\r\n", "\n", "", "  \t\r\n"}) {
        Store(std::string("0 1 ed 1 0 1") + end + "ignored second line\n");
        EXPECT_EQ(Loaded(), expected) << "line end " << testing::PrintToString(end);
    }
}

TEST_F(ConfigurationFile, AnOlderWritersHashInTheCommandEndsItThere) {
    // A "#" was stored as a blank: the command stops there and the scan goes
    // on in the rest of its text.
    Store("0 1 my editor 1 1 1\r\r\n");
    EXPECT_EQ(Loaded(), Options(0, 1, L"my", 0, 0, 0));
    Store("0 1 my 7 1 1 1\r\r\n");
    EXPECT_EQ(Loaded(), Options(0, 1, L"my", 7, 1, 1));
}

TEST_F(ConfigurationFile, AnOlderWritersEmptyCommandShiftsTheValuesLeft) {
    Store("1 1  2 3 4\r\r\n");
    EXPECT_EQ(Loaded(), Options(1, 1, L"2", 3, 4, 0));
}

TEST_F(ConfigurationFile, ReadingStopsAtTheFirstMismatchAndKeepsWhatWasRead) {
    struct Case {
        std::string line;
        ScanOptions expected;
    };
    const Case cases[] = {
        {"", ScanOptions{}},
        {"x 1 ed 1 1 1", ScanOptions{}},
        {"0", Options(0, 0, L"notepad.exe", 0, 0, 0)},
        {"0 1", Options(0, 1, L"notepad.exe", 0, 0, 0)},
        {"0 1 ed 1 x 1", Options(0, 1, L"ed", 1, 0, 0)},
        {"0 - ed 1 1 1", Options(0, 0, L"notepad.exe", 0, 0, 0)},
        {"2 -1 ed -1 +2 2", Options(2, -1, L"ed", -1, 2, 2)},
        {"0 1 ed 0x5 1 1", Options(0, 1, L"ed", 0, 0, 0)},
        {"99999999999 -99999999999 ed 1 1 1", Options(INT_MAX, INT_MIN, L"ed", 1, 1, 1)},
        {"  0\t\t1 \v\fed\r1 1 1 trailing words", Options(0, 1, L"ed", 1, 1, 1)},
        {std::string("0 1 e\0d 1 1 1", 13), Options(0, 1, L"e", 0, 0, 0)},
        {"0 1 caf\xE9\xA0 1 1 1", Options(0, 1, L"caf\u00E9\u00A0", 1, 1, 1)},
    };
    for (const Case& test : cases) {
        ScanOptions options;
        ParseConfigurationLine(test.line, options);
        EXPECT_EQ(options, test.expected) << testing::PrintToString(test.line);
    }
}

TEST_F(ConfigurationFile, OnlyTheFirst709CharactersOfTheLineAreRead) {
    // "0 1 " + command + " 1 1 1": the last flag is character 709 when the
    // command is 699 characters long.
    const auto lineWithCommandOf = [](std::size_t length) {
        return "0 1 " + std::string(length, 'c') + " 1 1 1\r\r\n";
    };
    Store(lineWithCommandOf(699));
    EXPECT_EQ(Loaded(), Options(0, 1, std::wstring(699, L'c'), 1, 1, 1));
    Store(lineWithCommandOf(700));
    EXPECT_EQ(Loaded(), Options(0, 1, std::wstring(700, L'c'), 1, 1, 0));
    Store(lineWithCommandOf(800));
    EXPECT_EQ(Loaded(), Options(0, 1, std::wstring(705, L'c'), 0, 0, 0));
}

TEST_F(ConfigurationFile, CommandsTheLineCannotCarrySurviveThroughTheExactRecord) {
    const ScanOptions cases[] = {
        Options(1, 0, L"/opt/\u6587\u5B57/ed \U0001F600 --x=1", 1, 0, 1),
        Options(0, 1, L"C:\\My#Editor\\ed.exe", 1, 1, 1),
        Options(0, 1, L"", 5, 6, 7),
        Options(1, 1, L"ed\t--tab\r\n50%;%41;", -1, 2, 1),
        Options(1, 1, std::wstring(L"nul\0inside\n", 12), 1, 1, 1),
        Options(1, 0, std::wstring(3000, L'x') + L" y", 1, 1, 1),
    };
    for (const ScanOptions& options : cases) {
        SaveAfterLoad(options);
        EXPECT_EQ(Loaded(), options) << ToUtf8(options.editorCommand.substr(0, 40));
    }
}

TEST_F(ConfigurationFile, OlderReadersStillSeeOneByteCharactersInTheFirstLine) {
    SaveAfterLoad(Options(1, 0, L"/opt/caf\u00E9 \u6587/ed", 0, 1, 0));
    const std::string stored = StoredBytes();
    const std::string firstLine = "1 0 /opt/caf\xE9#?/ed 0 1 0\r\r\n";
    ASSERT_EQ(stored.substr(0, firstLine.size()), firstLine);
    EXPECT_EQ(stored.substr(firstLine.size()), "exact 1 0 /opt/caf%e9;%20;%6587;/ed 0 1 0\r\r\n");
}

TEST_F(ConfigurationFile, ExactRecordCountsOnlyBesideItsOwnFirstLine) {
    SaveAfterLoad(Options(1, 0, L"\u6587 ed", 1, 1, 1));
    const std::string stored = StoredBytes();
    // The first line edited by hand: it wins, the exact record is ignored.
    Store("0 0 vi 0 0 0\r\r\n" + stored.substr(stored.find('\n') + 1));
    EXPECT_EQ(Loaded(), Options(0, 0, L"vi", 0, 0, 0));
    // A damaged exact record is ignored; the first line is read as always.
    for (const char* second : {"exact 1 0 %6587;%20;ed 1 1", "exact 1 0 %6587 ed 1 1 1",
                               "exact 1 0 %zz;%20;ed 1 1 1", "exact  1 0 %6587;%20;ed 1 1 1",
                               "other 1 0 %6587;%20;ed 1 1 1", "exact 1 0 %6587;%20;ed 1 1 x"}) {
        Store(stored.substr(0, stored.find('\n') + 1) + second + "\r\r\n");
        EXPECT_EQ(Loaded(), Options(1, 0, L"? ed", 1, 1, 1)) << second;
    }
}

TEST_F(ConfigurationFile, HttpsGoesOnALineOfItsOwnAfterTheLinesOlderReadersRead) {
    ScanOptions https = Options(0, 1, L"/opt/ed", 1, 0, 1);
    https.checkHttpsLinks = 1;
    SaveAfterLoad(https);
    EXPECT_EQ(StoredBytes(), "0 1 /opt/ed 1 0 1\r\r\nextra https=1\r\r\n");
    EXPECT_EQ(Loaded(), https);
    https.editorCommand = L"C:\\My#Editor";
    SaveAfterLoad(https);
    EXPECT_EQ(StoredBytes(),
              "0 1 C:\\My Editor 1 0 1\r\r\nexact 0 1 C:\\My#Editor 1 0 1\r\r\n"
              "extra https=1\r\r\n");
    EXPECT_EQ(Loaded(), https);
    // A file of a build without the option leaves it clear; names a newer
    // build may add, and damaged items, are passed over.
    Store("0 1 vi 1 0 1\r\r\n");
    EXPECT_EQ(Loaded().checkHttpsLinks, 0);
    Store("0 1 vi 1 0 1\r\r\nextra fast=1 https=x  https=2 later=7 connections=\r\r\n");
    EXPECT_EQ(Loaded(), [] {
        ScanOptions expected = Options(0, 1, L"vi", 1, 0, 1);
        expected.checkHttpsLinks = 2;
        expected.fastChecking = 1;
        return expected;
    }());
}

TEST_F(ConfigurationFile, FastCheckingAndItsConnectionLimitJoinTheExtraLine) {
    ScanOptions fast = Options(1, 0, L"ed", 0, 0, 0);
    fast.fastChecking = 1;
    SaveAfterLoad(fast);
    EXPECT_EQ(StoredBytes(), "1 0 ed 0 0 0\r\r\nextra fast=1\r\r\n");
    EXPECT_EQ(Loaded(), fast);
    fast.checkHttpsLinks = 1;
    fast.connectionsPerHost = 3;
    SaveAfterLoad(fast);
    EXPECT_EQ(StoredBytes(), "1 0 ed 0 0 0\r\r\nextra https=1 fast=1 connections=3\r\r\n");
    EXPECT_EQ(Loaded(), fast);
    // A limit out of range is kept as stored, and used as the default.
    Store("1 0 ed 0 0 0\r\r\nextra connections=500\r\r\n");
    EXPECT_EQ(Loaded().connectionsPerHost, 500);
    EXPECT_EQ(ConnectionsPerHostOf(Loaded()), kDefaultConnectionsPerHost);
}

TEST_F(ConfigurationFile, AnchorsAndAnyFolderAsSiteRootJoinTheExtraLine) {
    ScanOptions options = Options(1, 0, L"ed", 0, 0, 0);
    options.checkAnchors = 1;
    options.siteRoot = L"/home/me/my site/100%/caf\u00e9#1\tend";
    SaveAfterLoad(options);
    EXPECT_EQ(StoredBytes(),
              "1 0 ed 0 0 0\r\r\nextra anchors=1 root=/home/me/my%20site/100%25/caf%C3%A9#1%09end"
              "\r\r\n");
    EXPECT_EQ(Loaded(), options);
    // A hand-written root need not escape anything but blanks and "%".
    Store("1 0 ed 0 0 0\r\r\nextra root=public/ anchors=0\r\r\n");
    EXPECT_EQ(Loaded().siteRoot, L"public/");
}

TEST_F(ConfigurationFile, TodaysWebOptionsJoinTheExtraLineAndLeaveTheFirstLinesAlone) {
    ScanOptions options = Options(1, 0, L"ed", 0, 0, 0);
    options.followRedirects = 1;
    options.retries = 3;
    options.obeyRobots = 1;
    options.userAgent = L"Skarnel test/1.0 (me)";
    options.acceptedStatuses = L"200-299,403";
    options.excludePatterns = {L"/private area/", L"100%", L"caf\u00e9|\u6587"};
    options.noFollowPatterns = {L"\\.pdf$"};
    SaveAfterLoad(options);
    EXPECT_EQ(
        StoredBytes(),
        "1 0 ed 0 0 0\r\r\nextra redirects=1 retries=3 robots=1 agent=Skarnel%20test/1.0%20(me)"
        " accept=200-299,403 exclude=/private%20area/ exclude=100%25"
        " exclude=caf%C3%A9|%E6%96%87 nofollow=\\.pdf$\r\r\n");
    EXPECT_EQ(Loaded(), options);

    // The lines older readers read are the same bytes with or without them,
    // the exact record included.
    for (const wchar_t* command : {L"ed", L"C:\\My#Editor"}) {
        ScanOptions plain = Options(0, 1, command, 1, 0, 1);
        SaveAfterLoad(plain);
        const std::string withoutThem = StoredBytes();
        ScanOptions extended = options;
        extended.checkImages = 0;
        extended.checkAllTags = 1;
        extended.editorCommand = command;
        extended.checkExternalUrls = 1;
        extended.scanPageOnly = 1;
        SaveAfterLoad(extended);
        const std::string withThem = StoredBytes();
        EXPECT_EQ(withThem.substr(0, withThem.find("extra ")), withoutThem) << ToUtf8(command);
        EXPECT_EQ(Loaded(), extended) << ToUtf8(command);
    }

    // Repeated items append in order; a line without any leaves a list empty.
    Store("1 0 ed 0 0 0\r\r\nextra nofollow=b exclude=a nofollow=%20c% retries=11\r\r\n");
    EXPECT_EQ(Loaded().excludePatterns, std::vector<std::wstring>{L"a"});
    EXPECT_EQ(Loaded().noFollowPatterns, (std::vector<std::wstring>{L"b", L" c%"}));
    EXPECT_EQ(RetriesOf(Loaded()), kMaxRetries);
    Store("1 0 ed 0 0 0\r\r\nextra robots=1\r\r\n");
    EXPECT_TRUE(Loaded().excludePatterns.empty());
    EXPECT_TRUE(Loaded().noFollowPatterns.empty());
}

TEST_F(ConfigurationFile, RequestHeadersAreNeverSaved) {
    ScanOptions options = Options(1, 0, L"ed", 0, 0, 0);
    options.requestHeaders = {"Authorization: Bearer s3cret"};
    SaveAfterLoad(options);
    EXPECT_EQ(StoredBytes(), "1 0 ed 0 0 0\r\r\n");
    options.followRedirects = 1;
    SaveAfterLoad(options);
    EXPECT_EQ(StoredBytes(), "1 0 ed 0 0 0\r\r\nextra redirects=1\r\r\n");
    EXPECT_TRUE(Loaded().requestHeaders.empty());
}

TEST_F(ConfigurationFile, SaveIntoAMissingFolderWritesNothing) {
    SetEnvironmentText("APPDATA", m_root.WidePathOf("absent"));
    SaveConfiguration(Options(0, 0, L"ed", 0, 0, 0));
    EXPECT_FALSE(m_root.Exists("absent"));
}

TEST(SwapSpaceAndHash, SwapsBothWaysAndUndoesItself) {
    std::wstring text = L" a#b  ##c ";
    SwapSpaceAndHash(text);
    EXPECT_EQ(text, L"#a b##  c#");
    SwapSpaceAndHash(text);
    EXPECT_EQ(text, L" a#b  ##c ");
}

TEST(ConfigurationFolder, AppDataThenXdgConfigHomeThenHomeDotConfig) {
    FolderVariables restore;
    SetEnvironmentText("APPDATA", L"/a/app data");
    SetEnvironmentText("XDG_CONFIG_HOME", L"/x");
    SetEnvironmentText("HOME", L"/home/u");
    EXPECT_EQ(ConfigurationFolder(), L"/a/app data/Durnvale");
    EXPECT_EQ(ConfigurationFilePath(), L"/a/app data/Durnvale/conf01.dat");
    SetEnvironmentText("APPDATA", L"");
    EXPECT_EQ(ConfigurationFolder(), L"/x/Durnvale");
    UnsetEnvironmentVariable("APPDATA");
    EXPECT_EQ(ConfigurationFolder(), L"/x/Durnvale");
    SetEnvironmentText("XDG_CONFIG_HOME", L"");
    EXPECT_EQ(ConfigurationFolder(), L"/home/u/.config/Durnvale");
    UnsetEnvironmentVariable("XDG_CONFIG_HOME");
    EXPECT_EQ(ConfigurationFolder(), L"/home/u/.config/Durnvale");
}

TEST(ConfigurationFolder, LoadCreatesMissingParentFolders) {
    FolderVariables restore;
    TempFolder root;
    UnsetEnvironmentVariable("APPDATA");
    UnsetEnvironmentVariable("XDG_CONFIG_HOME");
    SetEnvironmentText("HOME", root.WidePathOf("new home"));
    ScanOptions options;
    LoadConfiguration(options);
    EXPECT_TRUE(root.Exists("new home/.config/Durnvale"));
    SaveConfiguration(options);
    EXPECT_EQ(root.Read("new home/.config/Durnvale/conf01.dat"), "1 0 notepad.exe 0 0 0\r\r\n");
}

}  // namespace
