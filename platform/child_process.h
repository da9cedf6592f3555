// A program run as a child process in the background, for as long as its
// owner needs it (a test's web server, a program under test), and ended by
// its process id. One thread owns a ChildProcess.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// Where a child's standard streams go and what it finds in its environment.
struct ChildProcessSetup {
    // Files created (or emptied) for the child's standard output and error;
    // empty: the stream is shared with this process. Standard input is
    // /dev/null whenever an output is redirected.
    std::string outputPath;
    std::string errorPath;
    // Variables set for the child on top of this process's environment.
    std::vector<std::pair<std::string, std::string>> environment;
    // The folder the child starts in; empty: this process's current folder.
    std::string workingFolder;
};

class ChildProcess {
public:
    ChildProcess() = default;
    // Stops the child if it still runs.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts arguments[0] (a path, or a bare name searched on PATH) with the
    // given arguments. On failure returns false with the reason in *error.
    [[nodiscard]] bool Start(const std::vector<std::string>& arguments, std::string* error);
    [[nodiscard]] bool Start(const std::vector<std::string>& arguments,
                             const ChildProcessSetup& setup, std::string* error);

    // The error number of the last failed Start (0 after a successful one).
    [[nodiscard]] int StartError() const { return m_startError; }
    // Waits, without a time limit, for the child to end; its exit status as
    // WaitForExit gives it.
    int WaitUntilExit();
    // True while the child has not ended.
    [[nodiscard]] bool IsRunning();

    // Asks the child to end (SIGTERM), waits up to grace, then kills it; in
    // every case waits for its end so no zombie is left.
    void Stop(std::chrono::milliseconds grace = std::chrono::seconds(5));

    // Sends Ctrl-C (SIGINT), as a terminal would.
    void Interrupt();

    // Waits up to timeout for the child to end. Its exit status, or 128 plus
    // the signal that ended it; nothing while it still runs.
    [[nodiscard]] std::optional<int> WaitForExit(std::chrono::milliseconds timeout);

    [[nodiscard]] int Id() const { return m_id; }

private:
    int m_id = -1;
    std::optional<int> m_exitStatus;
    int m_startError = 0;
};

// The system's text for an error number.
[[nodiscard]] std::string SystemErrorText(int errorNumber);
