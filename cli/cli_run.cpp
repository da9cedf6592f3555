// The run of skarnel-cli from arguments to exit status.
#include "cli/cli_run.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <string_view>

#include "cli/cli_window.h"
#include "cli/command_line.h"
#include "engine/configuration.h"
#include "engine/main_window_record.h"
#include "engine/results_export.h"
#include "engine/scan_control.h"
#include "engine/scan_state.h"
#include "platform/environment.h"
#include "platform/file.h"
#include "platform/interrupt.h"
#include "platform/socket.h"
#include "platform/terminal.h"
#include "platform/text_codec.h"

namespace {

// How often the main thread looks for Ctrl-C while it waits for the scan.
constexpr std::chrono::milliseconds kInterruptPollInterval{20};

// Writes everything and flushes at once: the window decides when rows go.
bool WriteStream(std::FILE* stream, std::string_view bytes) {
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size();
    return std::fflush(stream) == 0 && written;
}

bool WriteStandardOutput(std::string_view bytes) { return WriteStream(stdout, bytes); }
bool WriteStandardError(std::string_view bytes) { return WriteStream(stderr, bytes); }

void ReportError(std::string_view message) {
    (void)WriteStandardError("skarnel-cli: " + std::string(message) + "\n");
}

int ReportUsageError(std::string_view message) {
    ReportError(message);
    (void)WriteStandardError("Try 'skarnel-cli --help' for more information.\n");
    return kExitFailure;
}

ProgressLineSettings ProgressSettingsFor(const CommandLine& line) {
    ProgressLineSettings settings;
    settings.enabled = line.progress.value_or(IsTerminal(StandardStream::kError));
    settings.columns = TerminalColumns(StandardStream::kError);
    return settings;
}

// Creating the file before the scan shows at once, not after a long scan,
// when the results could not be saved there.
bool CanCreateSaveFile(const std::wstring& path) {
    OutputFile file;
    return file.Create(path, FileMode::kBinary) && file.Close();
}

// The main window's part of the scan while it runs: waits for its end or for
// Ctrl-C. True when Ctrl-C (or a failed write) cut it short.
// Rows held back reach the output at each look.
bool WaitForScanOrInterrupt(CliWindow& window) {
    while (!WaitForScanThreadEnd(kInterruptPollInterval)) {
        window.FlushRows();
        if (InterruptRequested() || window.OutputFailed()) return true;
    }
    return false;
}

// Runs a scan of line.path and writes its results.
CliRunResult Scan(const CommandLine& line) {
    if (line.savePath && !CanCreateSaveFile(*line.savePath)) {
        ReportError("can't create the file \"" + ToUtf8(*line.savePath) + "\"");
        return {kExitFailure};
    }
    if (!StartSockets()) {
        ReportError("sockets initialization failed.");
        return {kExitFailure};
    }
    auto owned =
        std::make_unique<CliWindow>(line.format, ProgressSettingsFor(line), WriteStandardOutput,
                                    WriteStandardError, CurrentFolder());
    CliWindow& window = *owned;
    LoadConfiguration(window.Options());
    ApplyOverrides(line.overrides, window.Options());
    window.SetPathText(line.path);
    window.BeginOutput();

    CatchInterrupts();
    mainWindow = &window;
    StartScan();
    if (const auto messages = window.Messages(); !messages.empty()) {
        (void)window.CloseOutput();
        mainWindow = nullptr;
        ReportError(ToUtf8(messages.front().second));
        return {kExitFailure};
    }
    const bool stopped = WaitForScanOrInterrupt(window);
    const ScanTotals totals = window.CloseOutput();
    if (stopped) StopScan();
    window.WriteTotals(totals);

    CliRunResult result{ExitStatusForErrors(totals.errors)};
    if (stopped) {
        result.exitStatus = InterruptRequested() ? kExitInterrupted : kExitFailure;
        result.scanStillRunning = IsScanThreadAlive();
    }
    if (window.OutputFailed()) {
        ReportError("can't write the results to standard output");
        result.exitStatus = kExitFailure;
    }
    if (line.savePath && !SaveResultsAsCsv(*line.savePath, window.Rows())) {
        ReportError("can't save the results to \"" + ToUtf8(*line.savePath) + "\"");
        result.exitStatus = kExitFailure;
    }
    if (result.scanStillRunning) {
        // Checks still in flight may reach the window until the program
        // ends, which it does as soon as this returns: keep the window.
        (void)owned.release();
    } else {
        mainWindow = nullptr;
    }
    return result;
}

}  // namespace

int ExitStatusForErrors(unsigned errorRows) {
    return errorRows == 0 ? kExitNoErrors : kExitErrorRows;
}

CliRunResult RunCli(const std::vector<std::string>& arguments) {
    const CommandLineResult parsed = ParseCommandLine(arguments);
    if (!parsed.usageError.empty()) return {ReportUsageError(parsed.usageError)};
    switch (parsed.commandLine.action) {
        case CliAction::kShowHelp:
            return {WriteStandardOutput(HelpText()) ? kExitNoErrors : kExitFailure};
        case CliAction::kShowVersion:
            return {WriteStandardOutput(VersionText()) ? kExitNoErrors : kExitFailure};
        case CliAction::kScan:
            break;
    }
    return Scan(parsed.commandLine);
}
