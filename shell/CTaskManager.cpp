#include "shell/CTaskManager.h"

#include "platform/CommandLine.h"
#include "platform/Paths.h"
#include "platform/ProcessLauncher.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <set>
#include <thread>
#include <unistd.h>

namespace {

// A process still running the program it was admitted with; after it ended
// its id may belong to someone else, who must not be touched.
bool StillRuns(pid_t pid, const std::string& executable) {
    if (pid <= 0 || ::kill(pid, 0) != 0) {
        return false;
    }
    char path[4096];
    const ssize_t n = ::readlink(("/proc/" + std::to_string(pid) + "/exe").c_str(), path, sizeof path - 1);
    return executable.empty() || (n > 0 && std::string(path, static_cast<std::size_t>(n)) == executable);
}

} // namespace

CTaskManager::~CTaskManager() {
    ClearTasks();
    if (m_onDestroy != nullptr) {
        m_onDestroy();
    }
}

pid_t CTaskManager::StartApp(const tagAppInfo* app) {
    ltl::CAutoLock guard(m_lock);
    if (app == nullptr) {
        return 0;
    }
    const auto arguments = platform::SplitCommandLine(app->AppParam);
    if (!arguments) {
        return 0;
    }
    platform::LaunchRequest request;
    request.program = platform::JoinPath(app->AppPath, app->AppName);
    request.arguments = *arguments;
    request.workingDirectory = app->AppPath;
    pid_t pid = 0;
    return platform::StartDetached(request, nullptr, &pid) ? pid : 0;
}

CTaskProcess* CTaskManager::AddTask(unsigned long window, const tagAppInfo& app) {
    ltl::CAutoLock guard(m_lock);
    auto& slot = m_tasks[window];
    if (!slot) {
        slot = std::make_unique<CTaskProcess>(window, app);
    }
    return slot.get();
}

CTaskProcess* CTaskManager::FindTask(unsigned long window) {
    ltl::CAutoLock guard(m_lock);
    auto found = m_tasks.find(window);
    return found == m_tasks.end() ? nullptr : found->second.get();
}

void CTaskManager::RemoveTask(unsigned long window) {
    ltl::CAutoLock guard(m_lock);
    m_tasks.erase(window);
}

std::size_t CTaskManager::Size() {
    ltl::CAutoLock guard(m_lock);
    return m_tasks.size();
}

void CTaskManager::ClearTasks() {
    ltl::CAutoLock guard(m_lock);
    std::set<std::pair<pid_t, std::string>> processes;
    for (const auto& [window, task] : m_tasks) {
        if (task && task->Pid() > 0) {
            processes.emplace(task->Pid(), task->Executable());
        }
    }
    m_tasks.clear();
    for (const auto& [pid, executable] : processes) {
        if (StillRuns(pid, executable)) {
            ::kill(pid, SIGTERM);
        }
    }
    // Programs get a grace period to save and end; whatever is left is killed.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kGraceMs);
    for (const auto& [pid, executable] : processes) {
        while (StillRuns(pid, executable) && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (StillRuns(pid, executable)) {
            ::kill(pid, SIGKILL);
        }
    }
}
