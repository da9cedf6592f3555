// skarnel-cli run as a program: what it writes to standard output and
// standard error, and its exit status, for the usual runs and the failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/child_process.h"
#include "testing/ci_report_reader.h"
#include "testing/loopback_address.h"
#include "testing/nginx_server.h"
#include "testing/scripted_http_server.h"
#include "testing/temp_folder.h"
#include "testing/test_certificates.h"

namespace {

using namespace std::chrono_literals;

struct ProgramRun {
    std::optional<int> status;
    std::string output;
    std::string error;
};

// The built program, run with a configuration folder of its own and its
// standard output and error captured in files.
class CliProgram {
public:
    CliProgram() {
        m_setup.outputPath = m_folder.PathOf("stdout.txt").string();
        m_setup.errorPath = m_folder.PathOf("stderr.txt").string();
        m_setup.environment = {{"APPDATA", m_folder.PathOf("appdata").string()}};
    }

    // The folder the program runs in (by default this test's own).
    void RunIn(const std::string& folder) { m_setup.workingFolder = folder; }

    // Where conf01.dat lives for the program.
    [[nodiscard]] std::string ConfigurationFile() const { return "appdata/Durnvale/conf01.dat"; }
    [[nodiscard]] const TempFolder& Folder() const { return m_folder; }

    void Start(const std::vector<std::string>& arguments) {
        std::vector<std::string> command = {SKARNEL_CLI_PROGRAM};
        command.insert(command.end(), arguments.begin(), arguments.end());
        std::string failure;
        ASSERT_TRUE(m_process.Start(command, m_setup, &failure)) << failure;
    }

    // Waits for the end (at most timeout) and collects what was written.
    ProgramRun Finish(std::chrono::milliseconds timeout = 60s) {
        ProgramRun run;
        run.status = m_process.WaitForExit(timeout);
        run.output = m_folder.Read("stdout.txt");
        run.error = m_folder.Read("stderr.txt");
        return run;
    }

    ProgramRun Run(const std::vector<std::string>& arguments) {
        Start(arguments);
        return Finish();
    }

    // Waits until standard error holds text; false on time-out.
    bool WaitForError(std::string_view text, std::chrono::milliseconds timeout) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (m_folder.Read("stderr.txt").find(text) == std::string::npos) {
            if (std::chrono::steady_clock::now() >= deadline) return false;
            std::this_thread::sleep_for(5ms);
        }
        return true;
    }

    void Interrupt() { m_process.Interrupt(); }

private:
    TempFolder m_folder;
    ChildProcessSetup m_setup;
    ChildProcess m_process;
};

}  // namespace

TEST(SkarnelCli, VersionAndHelpGoToStandardOutput) {
    CliProgram program;
    const ProgramRun version = program.Run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.output, "skarnel-cli 1.2\n");
    EXPECT_EQ(version.error, "");

    const ProgramRun help = program.Run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.output.starts_with("Usage: skarnel-cli [OPTIONS] PATH\n")) << help.output;
    EXPECT_EQ(help.error, "");
}

TEST(SkarnelCli, UsageErrorsExitTwoWithAMessageAndNoTotals) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "skarnel-cli: no PATH given\n"},
        {{"--format", "xml", "p"},
         "skarnel-cli: unknown format \"xml\" (use tsv, csv, json, junit, github, markdown or "
         "sarif)\n"},
        {{"--verbose", "p"}, "skarnel-cli: unknown option --verbose\n"},
        {{"a", "b"}, "skarnel-cli: more than one PATH given: \"b\"\n"},
        {{"--retries", "99", "p"},
         "skarnel-cli: option --retries needs a number from 0 to 10, not \"99\"\n"},
        {{"--exclude=(", "p"},
         "skarnel-cli: option --exclude: pattern \"(\": missing closing parenthesis at offset "
         "1\n"},
        {{"--header", "Host: elsewhere", "p"},
         "skarnel-cli: malformed header \"Host: elsewhere\" (use 'Name: value'; Host, "
         "Content-Length and Transfer-Encoding are not allowed)\n"},
    };
    for (const auto& [arguments, message] : cases) {
        CliProgram program;
        const ProgramRun run = program.Run(arguments);
        EXPECT_EQ(run.status, 2) << message;
        EXPECT_EQ(run.output, "");
        EXPECT_EQ(run.error, message + "Try 'skarnel-cli --help' for more information.\n");
    }
}

TEST(SkarnelCli, SaveFileThatCannotBeCreatedStopsBeforeTheScan) {
    CliProgram program;
    const std::string target = program.Folder().PathOf("no such folder/r.csv").string();
    const ProgramRun run = program.Run({"--save", target, "index.html"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.output, "");
    EXPECT_EQ(run.error, "skarnel-cli: can't create the file \"" + target + "\"\n");
}

TEST(SkarnelCli, NeverWritesTheConfigurationFile) {
    CliProgram program;
    const std::string stored = "0 1 my#editor 1 1 1\r\r\n";
    program.Folder().Put(program.ConfigurationFile(), stored);
    const ProgramRun run =
        program.Run({"--images", "--no-all-tags", "--no-external", "--no-page-only", "missing"});
    EXPECT_TRUE(run.status == 0 || run.status == 1) << run.error;
    EXPECT_EQ(program.Folder().Read(program.ConfigurationFile()), stored);

    CliProgram fresh;
    (void)fresh.Run({"--images", "missing"});
    EXPECT_FALSE(fresh.Folder().Exists(fresh.ConfigurationFile()));
}

namespace {

// The rows of the sample site with the default options, for a start page
// given as site + "index.html".
std::string SampleSiteRows(const std::string& site) {
    const std::string rows[][4] = {
        {"index.html", "OK", "index.html", "ok"},
        {"about.html", "OK", "index.html:13", "ok"},
        {"menu/breads.html", "OK", "about.html:14", "ok"},
        {"menu/cakes.html", "OK", "menu/breads.html:15", "ok"},
        {"menu/birthday.html", "Can't open file", "menu/cakes.html:12", "error"},
        {"http://127.0.0.2/orders/cakes", "Absolute URL - skipped", "menu/cakes.html:13",
         "skipped"},
        {"logo.png", "OK", "menu/cakes.html:9", "ok"},
        {"menu/seasonal.html", "Empty file", "menu/breads.html:16", "error"},
        {"menu/rye.gif", "OK", "menu/breads.html:12", "ok"},
        {"menu/sourdough.png", "Can't open file", "menu/breads.html:13", "error"},
        {"team.jpg", "Can't open file", "about.html:12", "error"},
        {"contact.html", "Can't open file", "index.html:16", "error"},
        {"http://127.0.0.2/orders/", "Absolute URL - skipped", "index.html:23", "skipped"},
    };
    std::string text;
    for (const auto& [link, state, location, icon] : rows) {
        // Absolute web links stand as written; files are resolved under the site.
        const std::string shownLink = link.starts_with("http:") ? link : site + link;
        text += shownLink + "\t" + state + "\t" + site + location + "\t" + icon + "\n";
    }
    return text;
}

}  // namespace

TEST(SkarnelCli, SampleSiteListsEveryLinkDepthFirstThenTheTotals) {
    CliProgram program;
    const std::string site = std::string(SKARNEL_SAMPLE_SITE) + "/";
    const ProgramRun run = program.Run({site + "index.html"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.output, SampleSiteRows(site) + "Total links found: 13, errors: 5\n");
    EXPECT_EQ(run.error, "");
}

TEST(SkarnelCli, EmptyPathIsScannedLikeAnEmptyField) {
    CliProgram program;
    const ProgramRun run = program.Run({""});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.output, "\tCan't open file\t\terror\nTotal links found: 1, errors: 1\n");
}

TEST(SkarnelCli, ExitsZeroWhenNoRowIsAnError) {
    CliProgram program;
    const TempFolder& folder = program.Folder();
    folder.Put("site/index.html", "<html>\n<a href=\"a.html\">A</a> <a href=\"http://x/\">X</a>\n");
    folder.Put("site/a.html", "plain text");
    const std::string index = folder.PathOf("site/index.html").string();
    const std::string a = folder.PathOf("site/a.html").string();
    const ProgramRun run = program.Run({index});
    EXPECT_EQ(run.status, 0) << run.error;
    EXPECT_EQ(run.output, index + "\tOK\t" + index + "\tok\n" + a + "\tOK\t" + index +
                              ":2\tok\nhttp://x/\tAbsolute URL - skipped\t" + index +
                              ":2\tskipped\nTotal links found: 3, errors: 0\n");
}

TEST(SkarnelCli, BareStartFileNameIsAPageOfTheCurrentFolder) {
    CliProgram program;
    const TempFolder& folder = program.Folder();
    folder.Put(
        "site/index.html",
        "<html>\n<a href=a.html>\n<a href=\"sub/../b.html#part\">\n<a href=\"sub/c.html\">\n");
    folder.Put("site/a.html", "a");
    folder.Put("site/b.html", "b");
    folder.Put("site/sub/c.html",
               "<html><a href=\"../index.html\"> <a href=\"../../site/b.html\">");
    program.RunIn(folder.PathOf("site").string());
    const ProgramRun run = program.Run({"index.html"});
    EXPECT_EQ(run.status, 0) << run.error;
    EXPECT_EQ(run.output,
              "./index.html\tOK\t./index.html\tok\n"
              "./a.html\tOK\t./index.html:2\tok\n"
              "./b.html\tOK\t./index.html:3\tok\n"
              "./sub/c.html\tOK\t./index.html:4\tok\n"
              "./../site/b.html\tOK\t./sub/c.html:1\tok\n"
              "Total links found: 5, errors: 0\n");
}

namespace {

// A site whose folder name holds a quote and whose links hold a backslash, a
// tab, a comma and a line feed: every format has something to escape.
struct AwkwardSite {
    explicit AwkwardSite(const TempFolder& folder) {
        folder.Put("say \"hi\"/index.html",
                   "<html>\n<a href=\"back\\slash.html\">\n<a href=\"tab\there.html\">\n"
                   "<a href=\"com,ma.html\">\n<a href=\"two\nlines.html\">\n");
        folder_ = folder.PathOf("say \"hi\"").string() + "/";
    }
    std::string folder_;
};

}  // namespace

TEST(SkarnelCli, TsvEscapesBackslashTabAndLineFeed) {
    CliProgram program;
    const AwkwardSite site(program.Folder());
    const std::string f = site.folder_;
    const ProgramRun run = program.Run({"--format", "tsv", f + "index.html"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.output,
              f + "index.html\tOK\t" + f + "index.html\tok\n" +                                //
                  f + "back\\\\slash.html\tCan't open file\t" + f + "index.html:2\terror\n" +  //
                  f + "tab\\there.html\tCan't open file\t" + f + "index.html:3\terror\n" +     //
                  f + "com,ma.html\tCan't open file\t" + f + "index.html:4\terror\n" +         //
                  f + "two\\nlines.html\tCan't open file\t" + f + "index.html:5\terror\n" +    //
                  "Total links found: 5, errors: 4\n");
}

TEST(SkarnelCli, CsvQuotesFieldsAndWritesNoTotals) {
    CliProgram program;
    const AwkwardSite site(program.Folder());
    const std::string q = "\"" + std::string(program.Folder().Path()) + "/say \"\"hi\"\"/";
    const ProgramRun run = program.Run({"--format=csv", site.folder_ + "index.html"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.output,
              "Link,State,Location (file:line),Icon\r\n" +                                      //
                  q + "index.html\",OK," + q + "index.html\",ok\r\n" +                          //
                  q + "back\\slash.html\",Can't open file," + q + "index.html:2\",error\r\n" +  //
                  q + "tab\there.html\",Can't open file," + q + "index.html:3\",error\r\n" +    //
                  q + "com,ma.html\",Can't open file," + q + "index.html:4\",error\r\n" +       //
                  q + "two\nlines.html\",Can't open file," + q + "index.html:5\",error\r\n");
}

namespace {

// index.html links to b.html (which links to c.html) and shows i.png.
void PutSmallSite(const TempFolder& folder) {
    folder.Put("site/index.html", "<html>\n<a href=\"b.html\">B</a>\n<img src=\"i.png\">\n");
    folder.Put("site/b.html", "<html>\n<a href=\"c.html\">C</a>\n");
    folder.Put("site/c.html", "C");
    folder.Put("site/i.png", "PNG");
}

}  // namespace

TEST(SkarnelCli, CommandLineOptionsOverrideTheConfigurationFile) {
    CliProgram program;
    PutSmallSite(program.Folder());
    // Images off, scan the start page only.
    program.Folder().Put(program.ConfigurationFile(), "0 0 notepad.exe 0 0 1\r\r\n");
    const std::string s = program.Folder().PathOf("site").string() + "/";

    const ProgramRun asStored = program.Run({s + "index.html"});
    EXPECT_EQ(asStored.output, s + "index.html\tOK\t" + s + "index.html\tok\n" + s +
                                   "b.html\tOK\t" + s +
                                   "index.html:2\tok\nTotal links found: 2, errors: 0\n");

    const ProgramRun overridden = program.Run({"--images", "--no-page-only", s + "index.html"});
    EXPECT_EQ(overridden.output,
              s + "index.html\tOK\t" + s + "index.html\tok\n" +    //
                  s + "b.html\tOK\t" + s + "index.html:2\tok\n" +  //
                  s + "c.html\tOK\t" + s + "b.html:2\tok\n" +      //
                  s + "i.png\tOK\t" + s + "index.html:3\tok\n" +   //
                  "Total links found: 4, errors: 0\n");
    EXPECT_EQ(program.Folder().Read(program.ConfigurationFile()), "0 0 notepad.exe 0 0 1\r\r\n");
}

TEST(SkarnelCli, SaveWritesTheWindowsCsvWhateverTheOutputFormat) {
    CliProgram program;
    PutSmallSite(program.Folder());
    program.Folder().Put("site/c.html", "");
    const std::string s = program.Folder().PathOf("site").string() + "/";
    const std::string saved = program.Folder().PathOf("results.csv").string();
    const ProgramRun run = program.Run({"--format", "json", "--save", saved, s + "index.html"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.output.ends_with("{\"total\":4,\"errors\":1}\n")) << run.output;
    EXPECT_EQ(program.Folder().Read("results.csv"),
              "Link,State,Location (file:line)\r\n" +              //
                  s + "index.html,OK," + s + "index.html\r\n" +    //
                  s + "b.html,OK," + s + "index.html:2\r\n" +      //
                  s + "c.html,Empty file," + s + "b.html:2\r\n" +  //
                  s + "i.png,OK," + s + "index.html:3\r\n");
}

namespace {

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// A site whose folder name holds & < > " ' % , : and a UTF-8 letter, and whose
// links hold those, a tab, CR and LF (as character references), Markdown's
// syntax, UTF-8 bytes (shown one character each) and a control character.
// It has broken links on two pages and a skipped one.
struct ReportSite {
    struct Row {
        std::string link, state;
        int page;  // 0: index.html, 1: sub/index.html
        int line;  // 0: none
        std::string icon;
    };

    explicit ReportSite(const TempFolder& folder) {
        folder.Put(
            name + "/index.html",
            "<html>\n<a href=\"ok.html\">\n<a href=\"q&amp;a <x> &quot;t&apos;%,:.html\">\n"
            "<a href=\"tab&#9;cr&#13;lf&#10;|`\\*_[x]$~.html\">\n"
            "<a href=\"caf\xc3\xa9 &#1;.html\">\n<a href=\"http://example.test/x?a=1&amp;b=2\">\n"
            "<a href=\"sub/\">\n");
        folder.Put(name + "/ok.html", "ok");
        folder.Put(name + "/sub/index.html", "<html>\n<a href=\"../gone.html\">\n");
        site = folder.PathOf(name).string() + "/";
        const std::string error = "Can't open file";
        rows = {{"index.html", "OK", 0, 0, "ok"},
                {"ok.html", "OK", 0, 2, "ok"},
                {"q&a <x> \"t'%,:.html", error, 0, 3, "error"},
                {"tab\tcr\rlf\n|`\\*_[x]$~.html", error, 0, 4, "error"},
                {"caf\xc3\x83\xc2\xa9 \x01.html", error, 0, 5, "error"},
                {"http://example.test/x?a=1&b=2", "Absolute URL - skipped", 0, 6, "skipped"},
                {"sub/", "OK", 0, 7, "ok"},
                {"gone.html", error, 1, 2, "error"}};
        for (Row& row : rows) {
            if (!row.link.starts_with("http:")) row.link = site + row.link;
        }
    }

    [[nodiscard]] std::string Page(const Row& row) const { return site + pages[row.page]; }
    [[nodiscard]] std::string Location(const Row& row) const {
        return Page(row) + (row.line ? ":" + std::to_string(row.line) : "");
    }
    // The page relative to the folder holding the site, where the program runs.
    [[nodiscard]] std::string RelativePage(const Row& row) const {
        return name + "/" + pages[row.page];
    }

    const std::string name = "s\xc3\xa9 a&b <\"q's\"> 100%, x:y";
    const std::string pages[2] = {"index.html", "sub/index.html"};
    std::string site;
    std::vector<Row> rows;
};

std::string JunitSeen(const ReportSite& site) {
    std::string seen = CiReportLine({"testsuites", "8", "4", "0", "1"});
    for (const auto& [page, counts] :
         {std::pair<int, std::vector<std::string>>{0, {"7", "3", "0", "1"}},
          {1, {"1", "1", "0", "0"}}}) {
        std::vector<std::string> suite = {"testsuite", site.site + site.pages[page]};
        suite.insert(suite.end(), counts.begin(), counts.end());
        seen += CiReportLine(suite);
        for (const ReportSite::Row& row : site.rows) {
            if (row.page != page) continue;
            const std::string kind = row.icon == "error" ? "failure" : row.icon;
            // XML cannot carry U+0001 at all: it shows as the escape.
            seen += CiReportLine({"testcase", Replaced(row.link, "\x01", "\\u0001"), site.Page(row),
                                  site.RelativePage(row),
                                  row.line ? std::to_string(row.line) : "(none)", kind,
                                  row.icon == "ok" ? "(none)" : row.state, site.Location(row)});
        }
    }
    return seen;
}

}  // namespace

// Each CI report read back by its tool gives every row's texts byte for byte
// (save what the format cannot carry), the page relative to the current
// folder, the line and the totals; --save still writes the window's CSV.
TEST(SkarnelCli, CiReportsReadBackByTheirToolsGiveTheRowTexts) {
    CliProgram program;
    const ReportSite site(program.Folder());
    const std::string folder = program.Folder().Path().string();
    ASSERT_EQ(folder.find_first_not_of(
                  "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-._~/"),
              std::string::npos)
        << "the test writes the folder's URI as its path";
    program.RunIn(folder);
    EXPECT_EQ(program.Run({"--save", "tsv.csv", site.site}).status, 1);
    const std::string totals = "Total links found: 8, errors: 4";
    std::string github;
    std::string markdown = CiReportLine({"row", "Link", "State", "Location"});
    std::string sarif =
        CiReportLine({"sarif", "https://json.schemastore.org/sarif-2.1.0.json", "2.1.0", "Skarnel",
                      "1.2", "broken-link", "%SRCROOT%=file://" + folder + "/"});
    const std::string uris[2] = {
        "s%C3%A9%20a%26b%20%3C%22q%27s%22%3E%20100%25%2C%20x%3Ay/index.html",
        "s%C3%A9%20a%26b%20%3C%22q%27s%22%3E%20100%25%2C%20x%3Ay/sub/index.html"};
    for (const ReportSite::Row& row : site.rows) {
        if (row.icon != "error") continue;
        const std::string line = std::to_string(row.line);
        // The runner leaves a control character's %XX as it is.
        github += CiReportLine({"error", site.RelativePage(row), line,
                                Replaced(row.link, "\x01", "%01") + ": " + row.state});
        // A line break shows as one, whichever it was.
        markdown +=
            CiReportLine({"row", Replaced(row.link, "\r", "\n"), row.state, site.Location(row)});
        sarif += CiReportLine({"result", "broken-link", "error", row.link + ": " + row.state,
                               uris[row.page], "%SRCROOT%", site.RelativePage(row), line});
    }
    const std::map<std::string, std::string> expected = {
        {"junit", JunitSeen(site)},
        {"github", github + CiReportLine({"text", totals})},
        {"markdown", markdown + CiReportLine({"paragraph", totals})},
        {"sarif", sarif}};
    for (const auto& [format, seen] : expected) {
        SCOPED_TRACE(format);
        const ProgramRun run =
            program.Run({"--format", format, "--save", format + ".csv", site.site});
        EXPECT_EQ(run.status, 1) << run.error;
        EXPECT_EQ(ReadCiReport(program.Folder(), format, run.output), seen);
        const std::string saved = program.Folder().Read(format + ".csv");
        EXPECT_TRUE(saved.starts_with("Link,State,Location (file:line)\r\n")) << saved;
        EXPECT_NE(saved.find("/gone.html\",Can't open file,"), std::string::npos) << saved;
        EXPECT_EQ(saved, program.Folder().Read("tsv.csv"));
    }
}

TEST(SkarnelCli, WebAddressIsCrawled) {
    ScriptedHttpServer server(LoopbackAddressForTest());
    SKIP_WITHOUT_PORT_80(server);
    server.SetResponse("/", HtmlPage("200 OK", "<html>\n<a href=\"gone.html\">gone</a>\n"));
    CliProgram program;
    const ProgramRun run = program.Run({server.Url("/")});
    EXPECT_EQ(run.status, 1) << run.error;
    EXPECT_EQ(run.output, server.Url("/") + "\t200 OK\t" + server.Url("/") + "\tok\n" +
                              server.Url("/gone.html") + "\t404 Not Found\t" + server.Url("/") +
                              ":2\terror\nTotal links found: 2, errors: 1\n");
}

TEST(SkarnelCli, CtrlCStopsAtOncePrintsTheTotalsAndExits130) {
    ScriptedHttpServer server(LoopbackAddressForTest());
    SKIP_WITHOUT_PORT_80(server);
    server.SetDefaultResponse(NeverAnswer());
    CliProgram program;
    const TempFolder& folder = program.Folder();
    const std::string saved = folder.PathOf("results.csv").string();
    program.Start({"--progress", "--save", saved, server.Url("/")});
    ASSERT_TRUE(program.WaitForError("Checking " + server.Url("/") + "...", 30s));
    ASSERT_TRUE(server.WaitForRequests(1, 30s));
    program.Interrupt();
    // The check in flight would wait far longer for its answer.
    const ProgramRun run = program.Finish(5s);
    EXPECT_EQ(run.status, 130);
    EXPECT_EQ(run.output, "Total links found: 0, errors: 0\n");
    EXPECT_EQ(folder.Read("results.csv"), "Link,State,Location (file:line)\r\n");
}

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

}  // namespace

namespace {

// A page linked from several pages may name any of them: the one whose
// link was met first, which depends on the order the checks ended in.
std::string WithFirstOfItsLinkingPages(const std::string& line, const std::string& site) {
    static const std::map<std::string, std::vector<std::string>> kLinkedFromSeveral = {
        {"logo.png", {"index.html:10", "about.html:9", "menu/cakes.html:9"}},
        {"menu/breads.html", {"index.html:14", "about.html:14", "menu/cakes.html:11"}},
        {"menu/cakes.html", {"index.html:15", "menu/breads.html:15"}},
    };
    const std::size_t stateEnd = line.find('\t', line.find('\t') + 1);
    const std::size_t locationEnd = line.find('\t', stateEnd + 1);
    const std::string link = line.substr(0, line.find('\t'));
    const std::string location = line.substr(stateEnd + 1, locationEnd - stateEnd - 1);
    for (const auto& [page, linkingPlaces] : kLinkedFromSeveral) {
        if (link != site + page) continue;
        for (const std::string& place : linkingPlaces) {
            if (location != site + place) continue;
            return line.substr(0, stateEnd + 1) + site + linkingPlaces.front() +
                   line.substr(locationEnd);
        }
    }
    return line;
}

// The sample site crawled from site (the server's "http://a/" or
// "https://a/"): its rows and totals. The workers finish in any order, so the
// rows are compared as a set.
void ExpectSampleSiteCrawl(const ProgramRun& run, const std::string& site) {
    EXPECT_EQ(run.status, 1) << run.error;
    std::vector<std::string> lines = Lines(run.output);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "Total links found: 13, errors: 6");
    lines.pop_back();
    for (std::string& line : lines) line = WithFirstOfItsLinkingPages(line, site);
    std::sort(lines.begin(), lines.end());
    const std::string refused = "Connection error. Can't connect to the server.";
    const auto row = [&site](const std::string& link, const std::string& state,
                             const std::string& location, const std::string& icon) {
        const std::string url = link.starts_with("http:") ? link : site + link;
        return url + "\t" + state + "\t" + site + location + "\t" + icon;
    };
    std::vector<std::string> expected = {
        row("index.html", "200 OK", "index.html", "ok"),
        row("about.html", "200 OK", "index.html:13", "ok"),
        row("logo.png", "200 OK", "index.html:10", "ok"),
        row("menu/breads.html", "200 OK", "index.html:14", "ok"),
        row("menu/cakes.html", "200 OK", "index.html:15", "ok"),
        row("contact.html", "404 Not Found", "index.html:16", "error"),
        row("http://127.0.0.2/orders/", refused, "index.html:23", "error"),
        row("team.jpg", "404 Not Found", "about.html:12", "error"),
        row("menu/rye.gif", "200 OK", "menu/breads.html:12", "ok"),
        row("menu/sourdough.png", "404 Not Found", "menu/breads.html:13", "error"),
        row("menu/seasonal.html", "200 OK", "menu/breads.html:16", "ok"),
        row("menu/birthday.html", "404 Not Found", "menu/cakes.html:12", "error"),
        row("http://127.0.0.2/orders/cakes", refused, "menu/cakes.html:13", "error"),
    };
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(lines, expected);
}

}  // namespace

TEST(SkarnelCli, SampleSiteOverNginx) {
    NginxServer nginx(LoopbackAddressForTest(), SKARNEL_SAMPLE_SITE);
    SKIP_WITHOUT_PORT_80(nginx);
    ASSERT_TRUE(nginx.IsListening()) << nginx.Failure();
    CliProgram program;
    ExpectSampleSiteCrawl(program.Run({nginx.Url("/index.html")}), nginx.Url("/"));
    // Fast checking gives the same rows.
    ExpectSampleSiteCrawl(program.Run({"--fast", "--connections", "2", nginx.Url("/index.html")}),
                          nginx.Url("/"));
}

namespace {

// git's own manual from Debian's git-doc package (scripts/setup installs it):
// 240 asciidoc pages whose links carry fragments and climb between folders
// with "../". git.html links git-p4.html, a page the package leaves out; that
// is the manual's one broken link.
const std::string kGitManual = "/usr/share/doc/git-doc/";

// A scan of the manual read back from its rows: the manual's own files (as
// paths under the site, sorted, repeats kept), the other links' texts
// (sorted), and the errors among the manual's files.
struct ManualScan {
    std::vector<std::string> files;
    std::vector<std::string> others;
    std::vector<std::string> errors;
    std::string totals;
};

ManualScan ReadManualScan(const ProgramRun& run, const std::string& site) {
    ManualScan scan;
    std::vector<std::string> lines = Lines(run.output);
    if (lines.empty()) return scan;
    scan.totals = lines.back();
    lines.pop_back();
    for (const std::string& line : lines) {
        const std::size_t linkEnd = line.find('\t');
        const std::string link = line.substr(0, linkEnd);
        if (!link.starts_with(site)) {
            scan.others.push_back(link);
            continue;
        }
        const std::string file = link.substr(site.size());
        scan.files.push_back(file);
        if (line.ends_with("\terror")) {
            const std::size_t stateEnd = line.find('\t', linkEnd + 1);
            scan.errors.push_back(file + "\t" + line.substr(linkEnd + 1, stateEnd - linkEnd - 1));
        }
    }
    std::sort(scan.files.begin(), scan.files.end());
    std::sort(scan.others.begin(), scan.others.end());
    return scan;
}

// Each file reported once under its one text: no dot segment, no fragment.
void ExpectEachFileOnceAsItself(const ManualScan& scan) {
    EXPECT_GT(scan.files.size(), 200u);
    EXPECT_EQ(std::adjacent_find(scan.files.begin(), scan.files.end()), scan.files.end());
    for (const std::string& file : scan.files) {
        EXPECT_EQ(file.find('#'), std::string::npos) << file;
        EXPECT_FALSE(file.starts_with("./") || file.starts_with("../")) << file;
        EXPECT_EQ(file.find("/./"), std::string::npos) << file;
        EXPECT_EQ(file.find("/../"), std::string::npos) << file;
    }
}

// The crawl's requests: one GET per file the local scan reported, no other,
// none twice, none with a fragment.
void ExpectEachFileRequestedOnce(const std::vector<std::string>& requests,
                                 const std::vector<std::string>& files) {
    std::vector<std::string> expected;
    for (const std::string& file : files) expected.push_back("GET /" + file + " HTTP/1.1");
    std::vector<std::string> sorted = requests;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, expected);
}

}  // namespace

// The manual scans to its end on disk and over nginx, in both checking
// modes, and reports only its broken link.
TEST(SkarnelCli, RealManualReportsOnlyItsBrokenLinkOnDiskAndOverNginx) {
    ASSERT_TRUE(std::filesystem::exists(kGitManual + "git.html"))
        << "scripts/setup installs git-doc";
    CliProgram program;
    const ProgramRun onDisk = program.Run({"--all-tags", kGitManual + "index.html"});
    EXPECT_EQ(onDisk.status, 1) << onDisk.error;
    const ManualScan local = ReadManualScan(onDisk, kGitManual);
    ExpectEachFileOnceAsItself(local);
    EXPECT_EQ(local.errors, std::vector<std::string>{"git-p4.html\tCan't open file"});

    NginxServer nginx(LoopbackAddressForTest(), kGitManual, NginxConnections::kCloseEach);
    SKIP_WITHOUT_PORT_80(nginx);
    ASSERT_TRUE(nginx.IsListening()) << nginx.Failure();
    for (const std::vector<std::string>& mode :
         {std::vector<std::string>{"--no-fast"}, std::vector<std::string>{"--fast"}}) {
        const std::size_t requestsBefore = nginx.RequestsServed();
        std::vector<std::string> arguments = {"--all-tags", nginx.Url("/index.html")};
        arguments.insert(arguments.begin(), mode.begin(), mode.end());
        const ProgramRun crawl = program.Run(arguments);
        SCOPED_TRACE(mode.front());
        // The links that leave the manual fail or not as this machine's
        // network decides; they are the local scan's, one row each.
        const ManualScan web = ReadManualScan(crawl, nginx.Url("/"));
        EXPECT_EQ(web.files, local.files);
        EXPECT_EQ(web.others, local.others);
        EXPECT_EQ(web.totals.substr(0, web.totals.find(',')),
                  local.totals.substr(0, local.totals.find(',')));
        EXPECT_EQ(web.errors, std::vector<std::string>{"git-p4.html\t404 Not Found"});
        const std::vector<std::string> requests = nginx.RequestLines();
        ExpectEachFileRequestedOnce(
            {requests.begin() + static_cast<std::ptrdiff_t>(requestsBefore), requests.end()},
            local.files);
    }
}

// A site as a generator writes it (Jekyll's minima starter, with pages of
// its own: folder links, root-relative links, anchors, and an orphan page
// that only a scan of the folder reaches), checked as CI checks it: from
// its start page by an absolute and a relative path, as a folder, and
// served by nginx in both checking modes. Each way gives the errors
// planted in it and nothing else, and reaches every page.
struct SiteScan {
    std::set<std::string> errors;
    std::set<std::string> pages;
};

SiteScan ReadSiteScan(const ProgramRun& run, const std::string& site) {
    SiteScan scan;
    for (const std::string& line : Lines(run.output)) {
        const std::size_t linkEnd = line.find('\t');
        if (linkEnd == std::string::npos || !line.starts_with(site)) continue;
        const std::string link = line.substr(site.size(), linkEnd - site.size());
        const std::size_t stateEnd = line.find('\t', linkEnd + 1);
        std::string state = line.substr(linkEnd + 1, stateEnd - linkEnd - 1);
        if (line.ends_with("\terror")) {
            // A missing file on disk is a missing page over HTTP.
            if (state == "404 Not Found") state = "Can't open file";
            scan.errors.insert(link + "\t" + state);
        } else if (link.empty() || link.ends_with('/')) {
            scan.pages.insert(link + "index.html");
        } else if (link.ends_with(".html")) {
            scan.pages.insert(link);
        }
    }
    return scan;
}

TEST(SkarnelCli, GeneratedSiteGivesItsPlantedErrorsByEveryPathAndOverNginx) {
    const std::filesystem::path site = SKARNEL_GENERATED_SITE;
    const std::set<std::string> planted = {
        "manual/old.html\tCan't open file",
        "guide/install.html#no-such-heading\tAnchor not found",
        "guide/configure.html#missing-section\tAnchor not found",
    };
    std::set<std::string> linkedPages;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(site)) {
        const std::string page = entry.path().lexically_relative(site).string();
        if (page.ends_with(".html") && page != "404.html" && page != "orphan/index.html")
            linkedPages.insert(page);
    }
    CliProgram program;
    const std::vector<std::string> options = {"--all-tags", "--anchors"};
    const auto scan = [&](const std::string& path, const std::string& site) {
        std::vector<std::string> arguments = options;
        arguments.push_back(path);
        const ProgramRun run = program.Run(arguments);
        EXPECT_EQ(run.status, 1) << run.error;
        return ReadSiteScan(run, site);
    };
    const std::string absolute = site.string() + "/";
    const SiteScan fromStart = scan(absolute + "index.html", absolute);
    EXPECT_EQ(fromStart.errors, planted);
    EXPECT_EQ(fromStart.pages, linkedPages);
    program.RunIn(site.parent_path().string());
    const SiteScan relative = scan("jekyll_minima/index.html", "jekyll_minima/");
    EXPECT_EQ(relative.errors, planted);
    EXPECT_EQ(relative.pages, linkedPages);
    program.RunIn({});
    // The folder reaches the orphan and its broken link, and the rest.
    const SiteScan folder = scan(absolute, absolute);
    std::set<std::string> withOrphan = planted;
    withOrphan.insert("retired.html\tCan't open file");
    EXPECT_EQ(folder.errors, withOrphan);
    std::set<std::string> allPages = linkedPages;
    allPages.insert({"404.html", "orphan/index.html"});
    EXPECT_EQ(folder.pages, allPages);
    // Without anchors, only the missing pages.
    const ProgramRun noAnchors = program.Run({"--all-tags", "--no-anchors", absolute});
    EXPECT_EQ(ReadSiteScan(noAnchors, absolute).errors,
              (std::set<std::string>{"manual/old.html\tCan't open file",
                                     "retired.html\tCan't open file"}));

    NginxServer nginx(LoopbackAddressForTest(), site.string(), NginxConnections::kKeepAlive);
    SKIP_WITHOUT_PORT_80(nginx);
    ASSERT_TRUE(nginx.IsListening()) << nginx.Failure();
    for (const char* mode : {"--no-fast", "--fast"}) {
        SCOPED_TRACE(mode);
        const ProgramRun crawl = program.Run({"--all-tags", "--anchors", mode, nginx.Url("/")});
        const SiteScan served = ReadSiteScan(crawl, nginx.Url("/"));
        EXPECT_EQ(served.errors, planted);
        EXPECT_EQ(served.pages, linkedPages);
    }
}

namespace {

// The sample site served by nginx over plain http and TLS, its certificate
// issued by the test CA.
struct SampleSiteOverTls {
    explicit SampleSiteOverTls(const std::string& address) {
        ServerCertificate certificate;
        if (!MakeServerCertificate(certificates, "site", address, CertificateKind::kValid,
                                   &certificate, &certificateError)) {
            return;
        }
        NginxSetup setup;
        setup.tls = NginxTls{certificate.certificate, certificate.key, "", ""};
        nginx = std::make_unique<NginxServer>(address, SKARNEL_SAMPLE_SITE, setup);
    }
    TempFolder certificates;
    std::string certificateError;
    std::unique_ptr<NginxServer> nginx;
};

}  // namespace

// The same site over TLS, its certificate issued by the test CA that
// SSL_CERT_FILE names for the program, gives the same rows.
TEST(SkarnelCli, SampleSiteOverNginxWithTls) {
    const SampleSiteOverTls served(LoopbackAddressForTest());
    ASSERT_TRUE(served.certificateError.empty()) << served.certificateError;
    const NginxServer& nginx = *served.nginx;
    SKIP_WITHOUT_PORT_80(nginx);
    ASSERT_TRUE(nginx.IsListening()) << nginx.Failure();
    CliProgram program;
    ExpectSampleSiteCrawl(program.Run({"--https", nginx.HttpsUrl("/index.html")}),
                          nginx.HttpsUrl("/"));
    // Fast checking keeps its TLS connections for the next request.
    ExpectSampleSiteCrawl(program.Run({"--https", "--fast", nginx.HttpsUrl("/index.html")}),
                          nginx.HttpsUrl("/"));
    // Without the option an https address is not spoken to over TLS.
    const ProgramRun ignored = program.Run({"--no-https", nginx.HttpsUrl("/index.html")});
    EXPECT_EQ(ignored.output,
              nginx.HttpsUrl("/index.html") + "\tConnection error. Can't connect to the server.\t" +
                  nginx.HttpsUrl("/index.html") + "\terror\nTotal links found: 1, errors: 1\n");
}

TEST(SkarnelCli, CtrlCDuringAStalledTlsHandshakeEndsAtOnce) {
    ScriptedHttpServer server(LoopbackAddressForTest());
    SKIP_WITHOUT_PORT_80(server);
    server.SetDefaultResponse(NeverAnswer());
    CliProgram program;
    const std::string address = "https://" + server.Address() + ":80/";
    program.Start({"--https", "--progress", address});
    ASSERT_TRUE(program.WaitForError("Checking " + address + "...", 30s));
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (server.ConnectionsAccepted() == 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(5ms);
    }
    ASSERT_EQ(server.ConnectionsAccepted(), 1u);
    program.Interrupt();
    // The handshake in flight would wait ten seconds for its answer.
    const ProgramRun run = program.Finish(5s);
    EXPECT_EQ(run.status, 130) << run.error;
    EXPECT_EQ(run.output, "Total links found: 0, errors: 0\n");
}

TEST(SkarnelCli, CtrlCDuringABusyCrawlEndsAtOnceWithEveryLineWhole) {
    ScriptedHttpServer server(LoopbackAddressForTest());
    SKIP_WITHOUT_PORT_80(server);
    constexpr int kPages = 400;
    std::string index = "<html>\n";
    for (int i = 0; i < kPages; ++i) index += "<a href=\"p" + std::to_string(i) + ".html\">x</a>\n";
    server.SetResponse("/", HtmlPage("200 OK", index));
    ScriptedResponse slow = HtmlPage("200 OK", "<html> <a href=\"/\">home</a> ");
    slow.chunks.front().pauseBefore = 50ms;
    server.SetDefaultResponse(slow);
    CliProgram program;
    program.Start({server.Url("/")});
    // Ten workers are busy by now and hundreds of pages still queued.
    ASSERT_TRUE(server.WaitForRequests(40, 30s));
    program.Interrupt();
    // The checks in flight and the pages queued are left behind at once.
    const ProgramRun run = program.Finish(5s);
    ASSERT_EQ(run.status, 130) << run.error;
    const std::vector<std::string> lines = Lines(run.output);
    ASSERT_GE(lines.size(), 2u);
    ASSERT_LT(lines.size(), kPages + 2u);
    // The totals come last and count exactly the rows printed before them.
    EXPECT_EQ(lines.back(),
              "Total links found: " + std::to_string(lines.size() - 1) + ", errors: 0");
    const std::string start = server.Url("/");
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        std::vector<std::string> fields;
        for (std::size_t from = 0, tab = 0; tab != std::string::npos; from = tab + 1) {
            tab = lines[i].find('\t', from);
            fields.push_back(lines[i].substr(from, tab - from));
        }
        ASSERT_EQ(fields.size(), 4u) << lines[i];
        EXPECT_TRUE(fields[0].starts_with(start)) << lines[i];
        EXPECT_EQ(fields[1], "200 OK") << lines[i];
        const std::string lineNumber =
            fields[2].substr(std::min(fields[2].size(), start.size() + 1));
        EXPECT_TRUE(fields[2] == start ||
                    (fields[2] == start + ":" + lineNumber && !lineNumber.empty() &&
                     lineNumber.find_first_not_of("0123456789") == std::string::npos))
            << lines[i];
        EXPECT_EQ(fields[3], "ok") << lines[i];
    }
}

namespace {

ScriptedResponse Redirect(std::string_view status, std::string_view location) {
    return Reply("HTTP/1.1 " + std::string(status) + "\r\nLocation: " + std::string(location) +
                 "\r\nContent-Length: 0\r\n\r\n");
}

ScriptedResponse TooManyRequests() {
    return Reply("HTTP/1.1 429 Too Many Requests\r\nRetry-After: 1\r\nContent-Length: 0\r\n\r\n");
}

// A site that behaves as today's hosts do: a page server (a) with a
// robots.txt, and another server (c) whose links redirect, loop, throttle,
// refuse robots and send to an https server (b).
class TodaysWebSite {
public:
    TodaysWebSite(const std::string& httpsPage)
        : a(LoopbackAddressForTest()), c(LoopbackAddressForTest(1)) {
        const std::string page = "<html>\n<a href=\"/p308\">\n<a href=\"" + c.Url("/gone301") +
                                 "\">\n<a href=\"" + c.Url("/loop1") + "\">\n<a href=\"" +
                                 c.Url("/busy") +
                                 "\">\n<a href=\"/private/x.html\">\n<a href=\"/skip-me.html\">\n"
                                 "<a href=\"/nofollow/page.html\">\n<a href=\"" +
                                 c.Url("/tohttps") + "\">\n<a href=\"" + c.Url("/forbidden") +
                                 "\">\n<a href=\"" + c.Url("/hop0") + "\">\n";
        a.SetResponse("/", HtmlPage("200 OK", page));
        a.SetResponse("/robots.txt", Reply("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n\r\n"
                                           "User-agent: *\nDisallow: /private/\n"));
        a.SetResponse("/p308", Redirect("308 Permanent Redirect", "/ok.html"));
        a.SetResponse("/nofollow/page.html", HtmlPage("200 OK", "<a href=\"child.html\">"));
        a.SetDefaultResponse(HtmlPage("200 OK", "<p>here</p>"));
        c.SetResponse("/gone301", Redirect("301 Moved Permanently", c.Url("/gone")));
        c.SetResponse("/loop1", Redirect("301 Moved Permanently", "/loop2"));
        c.SetResponse("/loop2", Redirect("302 Found", c.Url("/loop1")));
        c.SetResponse("/tohttps", Redirect("301 Moved Permanently", httpsPage));
        c.SetResponse("/forbidden", HtmlPage("403 Forbidden", "robots keep out"));
        c.SetResponse("/gone", HtmlPage("404 Not Found", "gone"));
        // Eleven redirects in a row: one more than is followed.
        for (int hop = 0; hop <= 10; ++hop) {
            c.SetResponse("/hop" + std::to_string(hop),
                          Redirect("302 Found", "/hop" + std::to_string(hop + 1)));
        }
    }

    // /busy answers 429 once, then recovers.
    void Rearm() { c.SetResponsesInTurn("/busy", {TooManyRequests(), HtmlPage("200 OK", "ok")}); }

    [[nodiscard]] std::string Row(const std::string& link, const std::string& state,
                                  const std::string& location, const std::string& icon) const {
        const std::string url = link.starts_with("/") ? a.Url(link) : c.Url(link.substr(1));
        return url + "\t" + state + "\t" + a.Url(location) + "\t" + icon;
    }

    ScriptedHttpServer a;
    ScriptedHttpServer c;
};

std::vector<std::string> SortedRows(const ProgramRun& run, std::string* totals) {
    std::vector<std::string> lines = Lines(run.output);
    if (lines.empty()) return lines;
    *totals = lines.back();
    lines.pop_back();
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::size_t RequestsFor(const ScriptedHttpServer& server, const std::string& path) {
    const std::vector<std::string> paths = server.RequestedPaths();
    return static_cast<std::size_t>(std::count(paths.begin(), paths.end(), path));
}

}  // namespace

// Every option for today's web, in both paces, against the rows the same
// site gives without them.
TEST(SkarnelCli, TodaysWebOptionsFollowRetryObeyExcludeAndIdentify) {
    const SampleSiteOverTls served(LoopbackAddressForTest(2));
    ASSERT_TRUE(served.certificateError.empty()) << served.certificateError;
    const NginxServer& nginx = *served.nginx;
    SKIP_WITHOUT_PORT_80(nginx);
    ASSERT_TRUE(nginx.IsListening()) << nginx.Failure();
    TodaysWebSite site(nginx.HttpsUrl("/index.html"));
    SKIP_WITHOUT_PORT_80(site.a);
    SKIP_WITHOUT_PORT_80(site.c);
    const auto& row = [&site](const char* link, const char* state, const char* location,
                              const char* icon) { return site.Row(link, state, location, icon); };

    std::vector<std::string> plain = {
        row("/", "200 OK", "/", "ok"),
        row("/p308", "308 Permanent Redirect =>  /ok.html", "/:2", "ok"),
        row("c/gone301", "301 Moved Permanently", "/:3", "ok"),
        row("c/loop1", "301 Moved Permanently", "/:4", "ok"),
        row("c/busy", "429 Too Many Requests", "/:5", "error"),
        row("/private/x.html", "200 OK", "/:6", "ok"),
        row("/skip-me.html", "200 OK", "/:7", "ok"),
        row("/nofollow/page.html", "200 OK", "/:8", "ok"),
        row("/nofollow/child.html", "200 OK", "/nofollow/page.html:1", "ok"),
        row("c/tohttps", "301 Moved Permanently", "/:9", "ok"),
        row("c/forbidden", "403 Forbidden", "/:10", "error"),
        row("c/hop0", "302 Found", "/:11", "ok"),
    };
    std::sort(plain.begin(), plain.end());
    std::vector<std::string> followed = {
        row("/", "200 OK", "/", "ok"),
        row("/p308", "308 Permanent Redirect =>  /ok.html", "/:2", "ok"),
        row("/ok.html", "200 OK", "/p308", "ok"),
        row("c/gone301", "301 Moved Permanently -> 404 Not Found", "/:3", "error"),
        row("c/loop1", "301 Moved Permanently -> Redirect loop", "/:4", "error"),
        row("c/busy", "200 OK", "/:5", "ok"),
        row("/private/x.html", "Disallowed by robots.txt", "/:6", "skipped"),
        row("/skip-me.html", "Excluded", "/:7", "skipped"),
        row("/nofollow/page.html", "200 OK", "/:8", "ok"),
        row("c/tohttps", "301 Moved Permanently -> 200 OK", "/:9", "ok"),
        row("c/forbidden", "403 Forbidden", "/:10", "ok"),
        row("c/hop0", "302 Found -> Too many redirects (more than 10)", "/:11", "error"),
    };
    std::sort(followed.begin(), followed.end());
    const std::vector<std::string> options = {
        "--follow-redirects", "--retries",          "2",
        "--robots",           "--exclude",          "skip-me",
        "--no-follow",        "/nofollow/",         "--https",
        "--user-agent",       "SkarnelTest/1 (ci)", "--header",
        "X-Token: abc",       "--accept",           "200-299,403"};

    for (const char* pace : {"--no-fast", "--fast"}) {
        SCOPED_TRACE(pace);
        CliProgram program;
        site.Rearm();
        std::string totals;
        const ProgramRun before = program.Run({pace, site.a.Url("/")});
        EXPECT_EQ(before.status, 1) << before.error;
        EXPECT_EQ(SortedRows(before, &totals), plain);
        EXPECT_EQ(totals, "Total links found: 12, errors: 2");
        site.Rearm();
        const std::size_t requestsBefore = site.a.Requests().size();
        std::map<std::string, std::size_t> asked;
        for (const char* path :
             {"/robots.txt", "/skip-me.html", "/private/x.html", "/nofollow/child.html"}) {
            asked[path] = RequestsFor(site.a, path);
        }
        std::vector<std::string> arguments = options;
        arguments.insert(arguments.end(), {pace, site.a.Url("/")});
        const ProgramRun after = program.Run(arguments);
        EXPECT_EQ(after.status, 1) << after.error;
        EXPECT_EQ(SortedRows(after, &totals), followed);
        EXPECT_EQ(totals, "Total links found: 12, errors: 3");
        // robots.txt read once; the excluded, disallowed and unfollowed pages
        // never asked for; every request says who asks.
        for (const auto& [path, count] : asked) {
            EXPECT_EQ(RequestsFor(site.a, path) - count, path == "/robots.txt" ? 1u : 0u) << path;
        }
        const std::vector<std::string> requests = site.a.Requests();
        for (std::size_t i = requestsBefore; i < requests.size(); ++i) {
            EXPECT_NE(requests[i].find("\r\nUser-Agent: SkarnelTest/1 (ci)\r\n"), std::string::npos)
                << requests[i];
            EXPECT_NE(requests[i].find("\r\nX-Token: abc\r\n"), std::string::npos) << requests[i];
        }
    }
}

// A redirect to https while https links are not checked is left unchecked;
// Stop ends a retry's wait at once.
TEST(SkarnelCli, HttpsHopIsSkippedWithoutHttpsAndCtrlCEndsARetryWait) {
    ScriptedHttpServer server(LoopbackAddressForTest());
    SKIP_WITHOUT_PORT_80(server);
    server.SetResponse("/", HtmlPage("200 OK", "<html>\n<a href=\"/tohttps\">\n"));
    server.SetResponse("/tohttps", Redirect("308 Permanent Redirect", "https://example.test/"));
    server.SetResponse("/slow", Reply("HTTP/1.1 503 Service Unavailable\r\nRetry-After: 60\r\n"
                                      "Content-Length: 0\r\n\r\n"));
    CliProgram program;
    const ProgramRun run = program.Run({"--fast", "--follow-redirects", server.Url("/")});
    EXPECT_EQ(run.status, 0) << run.error;
    EXPECT_EQ(run.output, server.Url("/") + "\t200 OK\t" + server.Url("/") + "\tok\n" +
                              server.Url("/tohttps") +
                              "\t308 Permanent Redirect =>  https://example.test/ -> Redirect to "
                              "https - skipped\t" +
                              server.Url("/") + ":2\tskipped\nTotal links found: 2, errors: 0\n");

    for (const char* pace : {"--no-fast", "--fast"}) {
        CliProgram waiting;
        waiting.Start({pace, "--retries", "3", server.Url("/slow")});
        ASSERT_TRUE(server.WaitForRequests(server.Requests().size() + 1, 10s));
        std::this_thread::sleep_for(200ms);
        waiting.Interrupt();
        const ProgramRun stopped = waiting.Finish(10s);
        EXPECT_EQ(stopped.status, 130) << pace << stopped.error;
    }
}

// A local scan leaves excluded files unopened and the links of unfollowed
// pages unread, as a web scan does.
TEST(SkarnelCli, LocalScanExcludesFilesAndLeavesUnfollowedPagesUnread) {
    CliProgram program;
    const std::string site = std::string(SKARNEL_SAMPLE_SITE) + "/";
    const ProgramRun run =
        program.Run({"--exclude", "menu/", "--no-follow", "about", site + "index.html"});
    EXPECT_EQ(run.status, 1) << run.error;
    const auto row = [&site](const std::string& link, const std::string& state,
                             const std::string& location, const std::string& icon) {
        const std::string shown = link.starts_with("http:") ? link : site + link;
        return shown + "\t" + state + "\t" + site + location + "\t" + icon + "\n";
    };
    EXPECT_EQ(
        run.output,
        row("index.html", "OK", "index.html", "ok") +
            row("about.html", "OK", "index.html:13", "ok") +
            row("menu/breads.html", "Excluded", "index.html:14", "skipped") +
            row("menu/cakes.html", "Excluded", "index.html:15", "skipped") +
            row("contact.html", "Can't open file", "index.html:16", "error") +
            row("http://127.0.0.2/orders/", "Absolute URL - skipped", "index.html:23", "skipped") +
            row("logo.png", "OK", "index.html:10", "ok") + "Total links found: 7, errors: 1\n");
}

// With fast checking a 429 halves the server's connections for the rest of
// the scan: the start page is throttled once, and its sixteen slow links
// then never have more than four of eight connections at once.
TEST(SkarnelCli, FastCheckingHalvesAThrottlingServersConnections) {
    ScriptedHttpServer server(LoopbackAddressForTest());
    SKIP_WITHOUT_PORT_80(server);
    std::string page = "<html>\n";
    for (int i = 0; i < 16; ++i) page += "<a href=\"/s" + std::to_string(i) + ".html\">\n";
    server.SetResponsesInTurn(
        "/",
        {Reply("HTTP/1.1 429 Too Many Requests\r\nRetry-After: 0\r\nContent-Length: 0\r\n\r\n"),
         HtmlPage("200 OK", page)});
    ScriptedResponse slow = HtmlPage("200 OK", "slow");
    slow.chunks.front().pauseBefore = 300ms;
    server.SetDefaultResponse(slow);
    CliProgram program;
    const ProgramRun run =
        program.Run({"--fast", "--connections", "8", "--retries", "1", server.Url("/")});
    EXPECT_EQ(run.status, 0) << run.error;
    EXPECT_EQ(Lines(run.output).back(), "Total links found: 17, errors: 0");
    EXPECT_EQ(server.MostConnectionsAtOnce(), 4u);
}
