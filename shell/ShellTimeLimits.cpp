#include "shell/ShellTimeLimits.h"

#include "core/CDBManager.h"
#include "core/CWarrowCoreInterface.h"
#include "shell/CDlgMessage.h"
#include "shell/CDlgSwitcher.h"
#include "shell/CTaskManager.h"
#include "shell/PlayTime.h"

#include <algorithm>

const char* const kScheduleRestText = "现在不是使用电脑的时间，休息一下吧";

namespace {

// The extra time the parent may grant at once.
bool IsOfferedGrant(int minutes) {
    return minutes == 15 || minutes == 30 || minutes == 60;
}

} // namespace

CShellTimeLimits::CShellTimeLimits(const core::IUsageClock& clock) {
    const ltl::CIni config(false, -1, "", "Config.ini");
    CDataBase* db = CDBManager::Instance().GetDataBase(CWarrowCoreInterface::Get()->SettingsPath().c_str(),
                                                       kDataBasePassword);
    m_pKeeper =
        std::make_unique<CTimeKeeper>(clock, LoadTimeRules(db, config), core::ReadDailyCounters(config));
}

tagTimeDecision CShellTimeLimits::Tick(const tagConfig& config, const CDlgSwitcher* bar,
                                       IWindowSystem* windows) {
    std::vector<tagRunningProgram> running;
    if (bar != nullptr) {
        for (const auto& [window, button] : bar->Buttons()) {
            if (CTaskProcess* task = CTaskManager::Get()->FindTask(window)) {
                running.push_back({task->App().AppName, task->App().Name});
            }
        }
    }
    tagTimeDecision decision = m_pKeeper->Tick(running, config);
    for (const auto& warning : decision.Warnings) {
        ShowMessage(QString::fromStdString(warning));
    }
    if (!decision.UsedUp.empty()) {
        CloseUsedUp(decision.UsedUp, bar, windows);
    }
    return decision;
}

void CShellTimeLimits::CloseUsedUp(const std::vector<std::string>& usedUp, const CDlgSwitcher* bar,
                                   IWindowSystem* windows) {
    if (bar == nullptr || windows == nullptr) {
        return;
    }
    std::vector<unsigned long> targets;
    for (const auto& [window, button] : bar->Buttons()) {
        CTaskProcess* task = CTaskManager::Get()->FindTask(window);
        if (task == nullptr || std::find(usedUp.begin(), usedUp.end(), task->App().AppName) == usedUp.end()) {
            continue;
        }
        targets.push_back(window);
        if (m_logged.insert({m_pKeeper->Counters().Day, task->App().AppName}).second) {
            CWarrowCoreInterface::Get()->LogOut("[%s]今天的时间用完了.", task->App().Name.c_str());
            ShowMessage(
                QStringLiteral("[%1]今天的时间用完了.").arg(QString::fromStdString(task->App().Name)));
        }
    }
    if (targets.empty()) {
        return;
    }
    // The same way out as a refused program's: asked to close, then cut
    // off and ended if it does not.
    const auto looks = windows->Look(targets);
    std::vector<std::pair<unsigned long, tagWindowLook>> closing;
    for (std::size_t i = 0; i < targets.size() && i < looks.size(); ++i) {
        if (looks[i].exists) {
            closing.emplace_back(targets[i], looks[i]);
        }
    }
    windows->RefuseAll(closing);
}

std::vector<ltl::CIni::Entry> CShellTimeLimits::CounterEntries() const {
    return core::DailyCounterEntries(m_pKeeper->Counters());
}

bool CShellTimeLimits::GrantExtraTime(const tagSystemInfo& system, const std::string& typed, int minutes) {
    if (!IsOfferedGrant(minutes) || !CheckGrantPassword(system, typed, minutes)) {
        return false;
    }
    m_pKeeper->Grant(minutes);
    CWarrowCoreInterface::Get()->LogOut("家长延长了%d分钟.", minutes);
    return true;
}

bool CShellTimeLimits::MayStart(const std::string& appName, const std::string& name) {
    if (!m_pKeeper->IsUsedUp(appName)) {
        return true;
    }
    ShowMessage(QStringLiteral("[%1]今天的时间用完了.").arg(QString::fromStdString(name)));
    return false;
}
