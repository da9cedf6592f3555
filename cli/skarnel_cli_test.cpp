// skarnel-cli run as a program: what it writes to standard output and
// standard error, and its exit status, for the usual runs and the failures.
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/child_process.h"
#include "testing/temp_folder.h"

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
        {{"--format", "xml", "p"}, "skarnel-cli: unknown format \"xml\" (use tsv, csv or json)\n"},
        {{"--verbose", "p"}, "skarnel-cli: unknown option --verbose\n"},
        {{"a", "b"}, "skarnel-cli: more than one PATH given: \"b\"\n"},
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
