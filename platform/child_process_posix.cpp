// Child processes on POSIX: posix_spawnp, kill by pid, waitpid.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>
#include <thread>

#include "platform/child_process.h"

extern char** environ;

ChildProcess::~ChildProcess() { Stop(); }

bool ChildProcess::Start(const std::vector<std::string>& arguments, std::string* error) {
    Stop();
    if (arguments.empty()) {
        *error = "no program given";
        return false;
    }
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t id = -1;
    const int result = ::posix_spawnp(&id, argv[0], nullptr, nullptr, argv.data(), environ);
    if (result != 0) {
        *error = arguments[0] + ": " + std::strerror(result);
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
    m_id = -1;
    return false;
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
    m_id = -1;
}
