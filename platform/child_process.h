// A program run as a child process in the background, for as long as its
// owner needs it (a test's web server), and ended by its process id. One
// thread owns a ChildProcess.
#pragma once

#include <chrono>
#include <string>
#include <vector>

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

    // True while the child has not ended.
    [[nodiscard]] bool IsRunning();

    // Asks the child to end (SIGTERM), waits up to grace, then kills it; in
    // every case waits for its end so no zombie is left.
    void Stop(std::chrono::milliseconds grace = std::chrono::seconds(5));

    [[nodiscard]] int Id() const { return m_id; }

private:
    int m_id = -1;
};
