// One run of skarnel-cli: read the command line and the options file, scan,
// write the rows and the totals, save, and choose the exit status. Runs on the
// main thread, which plays the window's user-interface thread.
#pragma once

#include <string>
#include <vector>

inline constexpr int kExitNoErrors = 0;
inline constexpr int kExitErrorRows = 1;
inline constexpr int kExitFailure = 2;
inline constexpr int kExitInterrupted = 130;

struct CliRunResult {
    int exitStatus = kExitNoErrors;
    // True when checks were still in flight at the end (after Ctrl-C): the
    // program must then end without waiting for them or unwinding under them.
    bool scanStillRunning = false;
};

// The status of a scan that ran to its end (or was stopped after errorRows errors).
[[nodiscard]] int ExitStatusForErrors(unsigned errorRows);

// Runs the program with the arguments after its name.
[[nodiscard]] CliRunResult RunCli(const std::vector<std::string>& arguments);
