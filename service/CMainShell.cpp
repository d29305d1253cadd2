#include "service/CMainShell.h"

#include "core/CWarrowCoreInterface.h"
#include "core/ChildAccounts.h"
#include "ltl/CIni.h"
#include "platform/ConsoleSession.h"
#include "platform/Paths.h"
#include "platform/ServiceChannel.h"
#include "service/CService.h"
#include "service/CWarrowApp.h"

#include <cerrno>
#include <climits>
#include <pwd.h>
#include <unistd.h>

unsigned int WRM_CHANGESTYLE = 0;

namespace {

std::function<bool()> g_stopCheck;

struct StartAbandoned {};

constexpr int kAbandoned = INT_MIN;

// Returns 0 on success, kAbandoned when the start was abandoned, otherwise
// the failure's errno (-1 when none was given).
int StartProgram(const char* name, pid_t* pid = nullptr) {
    const std::string folder = platform::ProgramDirectory();
    platform::ChangeDirectory(folder);
    bool waited = false;
    auto onWait = [&waited] {
        // Once: the wait for a login may last hours, checked twice a second.
        if (!waited) {
            LogEvent("UserTonken[%d]", -1);
            waited = true;
        }
        if (g_stopCheck && g_stopCheck()) {
            throw StartAbandoned{};
        }
    };
    std::string error;
    try {
        errno = 0;
        if (platform::StartForConsoleUser(platform::JoinPath(folder, name), folder, &error, onWait, pid)) {
            return 0;
        }
    } catch (const StartAbandoned&) {
        return kAbandoned;
    }
    const int code = errno != 0 ? errno : -1;
    LogEvent("%s: %s", name, error.c_str());
    return code;
}

} // namespace

void SetStopCheck(std::function<bool()> check) {
    g_stopCheck = std::move(check);
}

bool StartWarrow(pid_t* pid) {
    const int code = StartProgram(ProgramForStyle(STYLE_CHILD), pid);
    if (code != 0 && code != kAbandoned) {
        LogEvent("运行Warrow 失败");
    }
    return code == 0;
}

void StartWarrowTray() {
    if (const int code = StartProgram(ProgramForStyle(STYLE_PARENT)); code != 0 && code != kAbandoned) {
        // There is no token or numbered session here: the console user's id and 0 stand in.
        LogEvent("运行WarrowTray 失败 [hToken=%d][SessionId=%d][%d]", static_cast<int>(::getuid()), 0, code);
    }
}

void CMainShell::OnChangeStyle(long style) {
    if (style == STYLE_CHILD) {
        StartShell();
    } else if (style == STYLE_PARENT) {
        // The parent asked for the console: the shell's end is expected.
        m_shellWatch.Stop();
        StartWarrowTray();
    }
}

void CMainShell::StartShell() {
    pid_t pid = 0;
    if (StartWarrow(&pid)) {
        m_shellWatch.Started(pid, SeatUserIsChildAccount());
    }
}

void CMainShell::OnShellEnded() {
    m_shellWatch.Ended();
}

void CMainShell::RestartShellIfDue() {
    if (m_shellWatch.DueInMs() != 0) {
        return;
    }
    m_shellWatch.Restarting();
    LogEvent("Warrow ended without the parent; starting it again");
    StartShell();
}

bool IsChildAccount(std::optional<uid_t> user) {
    const passwd* pw = user ? ::getpwuid(*user) : nullptr;
    return pw != nullptr && child_accounts::Contains("Config.ini", pw->pw_name);
}

bool SeatUserIsChildAccount() {
    return IsChildAccount(platform::ActiveSeatUser());
}

bool CMainShell::Init() {
    CWarrowCoreInterface* core = CWarrowCoreInterface::Get();
    if (!core->Init(kDataBasePath, kDataBasePassword, nullptr)) {
        LogEvent("读取配置出错，请重新安装");
        return false;
    }
    WRM_CHANGESTYLE = RegisterWindowMessageA(platform::kChangeStyleMessage);
    if (WRM_CHANGESTYLE == 0) {
        return false;
    }
    core->RegisterMessage(WRM_CHANGESTYLE, 1);

    ltl::CIni ini(false, -1, "");
    if (!ini.Open("Config.ini")) {
        LogEvent("读取配置文件失败");
        return false;
    }
    m_systemInfo = core->GetDBConfig()->GetInfo();
    m_pConfig = &core->GetWRControl()->GetConfig();

    // The other programs learn from this key that the service has run.
    m_pConfig->ID = static_cast<int>(::gettid());
    ini.SetInt("System", "ID", m_pConfig->ID);
    LogEvent("id=%d, style=%d", m_systemInfo.ID, m_systemInfo.Style);

    if (m_systemInfo.ID == -1) {
        // No account yet: the parent has to set one up first.
        StartWarrowTray();
    } else if (m_pConfig->IsAutoStart != 0 && m_pConfig->StartStyle == STYLE_CHILD &&
               !child_accounts::List("Config.ini").empty()) {
        // With child accounts the child's own session starts the shell at
        // its login; one started here would come up beside it, or on a
        // parent's desktop.
        LogEvent("child accounts: their sessions start Warrow");
    } else if (m_pConfig->IsAutoStart != 0) {
        OnChangeStyle(m_pConfig->StartStyle);
    }
    LogEvent("读取完成");
    return true;
}
