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
    std::string scope;
    if (platform::UserManager* manager = UserScopes()) {
        request.beforeExec = [manager, &scope](pid_t started) { scope = manager->StartScope(started); };
    }
    pid_t pid = 0;
    if (!platform::StartDetached(request, nullptr, &pid) || pid <= 0) {
        return 0;
    }
    // The launcher gives every program a session, so a group, of its own.
    const pid_t group = ::getpgid(pid);
    platform::ProcessHandle leader = platform::ProcessHandle::Open(pid);
    if (group > 0 && group != ::getpgrp()) {
        // Groups that have ended are forgotten: each holds a pidfd, and an
        // empty group's number may be handed to someone else's group.
        std::erase_if(m_started, [this](const tagStarted& started) { return Ended(started); });
        m_started.push_back({group, std::move(leader), std::move(scope)});
    }
    return pid;
}

platform::UserManager* CTaskManager::UserScopes() {
    if (!m_userManagerAsked) {
        m_userManagerAsked = true;
        m_userManager = platform::UserManager::Connect();
    }
    return m_userManager.get();
}

bool CTaskManager::Ended(const tagStarted& started) {
    return !started.leader.Running() && ::killpg(started.group, 0) != 0 &&
           (started.scope.empty() || m_userManager == nullptr || !m_userManager->Active(started.scope));
}

bool CTaskManager::UsesUserScopes() {
    ltl::CAutoLock guard(m_lock);
    return UserScopes() != nullptr;
}

std::vector<std::string> CTaskManager::StartedScopes() {
    ltl::CAutoLock guard(m_lock);
    std::vector<std::string> scopes;
    for (const tagStarted& started : m_started) {
        if (!started.scope.empty() && m_userManager != nullptr && m_userManager->Active(started.scope)) {
            scopes.push_back(started.scope);
        }
    }
    return scopes;
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

std::vector<pid_t> CTaskManager::StartedGroups() {
    ltl::CAutoLock guard(m_lock);
    std::vector<pid_t> groups;
    for (const tagStarted& started : m_started) {
        if (::killpg(started.group, 0) == 0) {
            groups.push_back(started.group);
        }
    }
    return groups;
}

bool CTaskManager::SignalGroupOf(pid_t pid, int signal) {
    ltl::CAutoLock guard(m_lock);
    for (const tagStarted& started : m_started) {
        if (pid > 0 && started.leader.Pid() == pid && started.leader.Running()) {
            return ::killpg(started.group, signal) == 0;
        }
    }
    return false;
}

std::vector<std::pair<pid_t, std::string>> CTaskManager::TrackedOutsideGroups() {
    std::set<pid_t> groups;
    for (const tagStarted& started : m_started) {
        groups.insert(started.group);
    }
    std::set<std::pair<pid_t, std::string>> processes;
    for (const auto& [window, task] : m_tasks) {
        if (task && task->Pid() > 0 && task->Pid() != ::getpid() &&
            groups.count(::getpgid(task->Pid())) == 0) {
            processes.emplace(task->Pid(), task->Executable());
        }
    }
    return {processes.begin(), processes.end()};
}

void CTaskManager::SignalAll(int signal, const std::vector<std::pair<pid_t, std::string>>& tracked) {
    for (const auto& [pid, executable] : tracked) {
        if (StillRuns(pid, executable)) {
            ::kill(pid, signal);
        }
    }
    for (const tagStarted& started : m_started) {
        // A group with no member left may have its id taken by another one.
        if (started.leader.Running() || ::killpg(started.group, 0) == 0) {
            ::killpg(started.group, signal);
        }
        // The scope also holds what left the group; the manager signals only
        // processes still in it, so nobody else is hit.
        if (!started.scope.empty() && m_userManager != nullptr) {
            m_userManager->Kill(started.scope, signal);
        }
    }
}

void CTaskManager::Freeze(bool frozen) {
    ltl::CAutoLock guard(m_lock);
    SignalAll(frozen ? SIGSTOP : SIGCONT, TrackedOutsideGroups());
}

void CTaskManager::ClearTasks() {
    ltl::CAutoLock guard(m_lock);
    const auto tracked = TrackedOutsideGroups();
    m_tasks.clear();
    SignalAll(SIGTERM, tracked);
    SignalAll(SIGCONT, tracked); // a program stopped for a rest must run to end
    // Programs get a grace period to save and end; whatever is left is killed.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kGraceMs);
    const auto anyLeft = [&] {
        for (const auto& [pid, executable] : tracked) {
            if (StillRuns(pid, executable)) {
                return true;
            }
        }
        for (const tagStarted& started : m_started) {
            if (!Ended(started)) {
                return true;
            }
        }
        return false;
    };
    while (anyLeft() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    SignalAll(SIGKILL, tracked);
    m_started.clear();
}
