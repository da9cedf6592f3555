// Child processes on POSIX: posix_spawnp, kill by pid, waitpid.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>
#include <thread>

#include "platform/child_process.h"

extern char** environ;

namespace {

// This process's environment with the setup's variables put over it.
std::vector<std::string> ChildEnvironment(const ChildProcessSetup& setup) {
    std::vector<std::string> variables;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string variable(*entry);
        const std::string name = variable.substr(0, variable.find('='));
        bool replaced = false;
        for (const auto& [setName, value] : setup.environment) replaced |= setName == name;
        if (!replaced) variables.push_back(variable);
    }
    for (const auto& [name, value] : setup.environment) variables.push_back(name + "=" + value);
    return variables;
}

std::vector<char*> NullTerminated(const std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (const std::string& text : texts) pointers.push_back(const_cast<char*>(text.c_str()));
    pointers.push_back(nullptr);
    return pointers;
}

// Owns the spawn attributes and file actions for one start.
class SpawnPlan {
public:
    explicit SpawnPlan(const ChildProcessSetup& setup) {
        ::posix_spawn_file_actions_init(&m_actions);
        ::posix_spawnattr_init(&m_attributes);
        if (!setup.outputPath.empty() || !setup.errorPath.empty()) {
            ::posix_spawn_file_actions_addopen(&m_actions, 0, "/dev/null", O_RDONLY, 0);
        }
        Redirect(1, setup.outputPath);
        Redirect(2, setup.errorPath);
        // After the redirections, so that their paths mean what they meant here.
        if (!setup.workingFolder.empty()) {
            ::posix_spawn_file_actions_addchdir_np(&m_actions, setup.workingFolder.c_str());
        }
        // The child starts with no signal blocked and Ctrl-C at its default,
        // whatever this process's threads have done with them.
        sigset_t none;
        sigemptyset(&none);
        sigset_t interrupt;
        sigemptyset(&interrupt);
        sigaddset(&interrupt, SIGINT);
        ::posix_spawnattr_setsigmask(&m_attributes, &none);
        ::posix_spawnattr_setsigdefault(&m_attributes, &interrupt);
        ::posix_spawnattr_setflags(&m_attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }
    ~SpawnPlan() {
        ::posix_spawn_file_actions_destroy(&m_actions);
        ::posix_spawnattr_destroy(&m_attributes);
    }
    SpawnPlan(const SpawnPlan&) = delete;
    SpawnPlan& operator=(const SpawnPlan&) = delete;

    const posix_spawn_file_actions_t* Actions() const { return &m_actions; }
    const posix_spawnattr_t* Attributes() const { return &m_attributes; }

private:
    void Redirect(int descriptor, const std::string& path) {
        if (path.empty()) return;
        ::posix_spawn_file_actions_addopen(&m_actions, descriptor, path.c_str(),
                                           O_WRONLY | O_CREAT | O_TRUNC, 0644);
    }

    posix_spawn_file_actions_t m_actions;
    posix_spawnattr_t m_attributes;
};

int StatusOf(int waitStatus) {
    if (WIFEXITED(waitStatus)) return WEXITSTATUS(waitStatus);
    if (WIFSIGNALED(waitStatus)) return 128 + WTERMSIG(waitStatus);
    return -1;
}

}  // namespace

ChildProcess::~ChildProcess() { Stop(); }

bool ChildProcess::Start(const std::vector<std::string>& arguments, std::string* error) {
    return Start(arguments, ChildProcessSetup{}, error);
}

bool ChildProcess::Start(const std::vector<std::string>& arguments, const ChildProcessSetup& setup,
                         std::string* error) {
    Stop();
    m_exitStatus.reset();
    if (arguments.empty()) {
        m_startError = ENOENT;
        *error = "no program given";
        return false;
    }
    std::vector<char*> argv = NullTerminated(arguments);
    const std::vector<std::string> environment = ChildEnvironment(setup);
    std::vector<char*> envp = NullTerminated(environment);
    const SpawnPlan plan(setup);
    pid_t id = -1;
    const int result =
        ::posix_spawnp(&id, argv[0], plan.Actions(), plan.Attributes(), argv.data(), envp.data());
    m_startError = result;
    if (result != 0) {
        *error = arguments[0] + ": " + SystemErrorText(result);
        return false;
    }
    m_id = id;
    return true;
}

bool ChildProcess::IsRunning() {
    if (m_id < 0) return false;
    int status = 0;
    const pid_t ended = ::waitpid(m_id, &status, WNOHANG);
    if (ended == 0) return true;
    if (ended < 0 && errno == EINTR) return true;
    if (ended == m_id) m_exitStatus = StatusOf(status);
    m_id = -1;
    return false;
}

void ChildProcess::Interrupt() {
    if (IsRunning()) ::kill(m_id, SIGINT);
}

std::optional<int> ChildProcess::WaitForExit(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (IsRunning()) {
        if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return m_exitStatus;
}

int ChildProcess::WaitUntilExit() {
    while (m_id >= 0) {
        int status = 0;
        const pid_t ended = ::waitpid(m_id, &status, 0);
        if (ended < 0 && errno == EINTR) continue;
        if (ended == m_id) m_exitStatus = StatusOf(status);
        m_id = -1;
    }
    return m_exitStatus.value_or(-1);
}

std::string SystemErrorText(int errorNumber) {
    char buffer[256] = {};
    // The GNU strerror_r returns its text, which need not be in buffer.
    return ::strerror_r(errorNumber, buffer, sizeof buffer);
}

void ChildProcess::Stop(std::chrono::milliseconds grace) {
    if (!IsRunning()) return;
    ::kill(m_id, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + grace;
    while (std::chrono::steady_clock::now() < deadline) {
        if (!IsRunning()) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(m_id, SIGKILL);
    int status = 0;
    while (::waitpid(m_id, &status, 0) < 0 && errno == EINTR) {
    }
    m_exitStatus = StatusOf(status);
    m_id = -1;
}
