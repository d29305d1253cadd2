#include "service/ChildService.h"

#include "core/CWarrowCoreInterface.h"
#include "core/ChildView.h"
#include "core/UsageClock.h"
#include "platform/ServiceRequest.h"
#include "service/CService.h"
#include "service/CWarrowApp.h"
#include "service/ChildRequests.h"

namespace {

constexpr const char* kConfigFile = "Config.ini";
constexpr std::int64_t kDefaultRestTimeMs = 1800000;
// A password accepted opens this long a window for one grant of extra time.
constexpr std::int64_t kGrantWindowMs = 120000;
constexpr std::int64_t kLargestGrantMs = 60 * 60000;
// After three wrong passwords in a row, one try every two seconds.
constexpr int kFreeFailures = 3;
constexpr std::int64_t kRetryPauseMs = 2000;
// The copy is written at most once a second, however often it is asked for.
constexpr std::int64_t kViewIntervalMs = 1000;

std::int64_t NowMs() {
    return core::CSystemUsageClock().MonotonicMs();
}

} // namespace

CChildService::CChildService(RefusalLog& refusals) : m_refusals(refusals), m_lastStoreMs(NowMs()) {}

bool CChildService::Handle(const std::string& name, const std::string& text,
                           platform::DatagramSender& sender) {
    if (name == platform::kStoreTimeRequest) {
        StoreTime(text, sender);
    } else if (name == platform::kLogLineRequest) {
        StoreLogLine(text, sender);
    } else if (name == platform::kCheckPasswordRequest) {
        CheckPassword(text, sender);
    } else if (name == platform::kChildViewRequest) {
        RefreshChildView(sender);
    } else {
        return false;
    }
    platform::DropReply(sender);
    return true;
}

std::int64_t CChildService::GrantAllowance(uid_t sender) {
    const auto found = m_grantUntilMs.find(sender);
    return found != m_grantUntilMs.end() && found->second > NowMs() ? kLargestGrantMs : 0;
}

void CChildService::StoreTime(const std::string& text, const platform::DatagramSender& sender) {
    tagStoredTime after;
    std::vector<ltl::CIni::Entry> entries;
    if (!ParseTimeStore(text, after, entries)) {
        m_refusals.Refused(sender.uid, sender.pid, platform::kStoreTimeRequest,
                           "not a store of the shell's counters");
        return;
    }
    ltl::CIni ini(false, -1, "");
    if (!ini.Open(kConfigFile)) {
        LogEvent("StoreTime: %s cannot be read", kConfigFile);
        return;
    }
    const int rest = ini.GetInt("Time", "RestTime");
    const std::int64_t now = NowMs();
    const StoreVerdict verdict =
        JudgeTimeStore(ReadStoredTime(ini), after, rest < 0 ? kDefaultRestTimeMs : rest, now - m_lastStoreMs,
                       core::CSystemUsageClock().Now().Day, GrantAllowance(sender.uid));
    if (verdict != StoreVerdict::Accepted) {
        m_refusals.Refused(sender.uid, sender.pid, platform::kStoreTimeRequest,
                           DescribeStoreVerdict(verdict));
        return;
    }
    if (!ini.SetStrings(entries)) {
        LogEvent("StoreTime: %s could not be written", kConfigFile);
        return;
    }
    m_lastStoreMs = now;
    // A grant is used up once extra time was stored with it.
    m_grantUntilMs.erase(sender.uid);
}

void CChildService::StoreLogLine(const std::string& text, const platform::DatagramSender& sender) {
    if (!IsStorableLogLine(text)) {
        m_refusals.Refused(sender.uid, sender.pid, platform::kLogLineRequest,
                           "not a line of the activity log");
        return;
    }
    CWarrowLog* log = CWarrowCoreInterface::Get()->GetLog();
    if (log == nullptr || !log->Log(text.c_str())) {
        LogEvent("LogLine: the activity log could not be written");
    }
}

void CChildService::CheckPassword(const std::string& text, platform::DatagramSender& sender) {
    const std::int64_t now = NowMs();
    if (m_failures >= kFreeFailures && now < m_nextCheckMs) {
        m_refusals.Refused(sender.uid, sender.pid, platform::kCheckPasswordRequest,
                           "too many wrong passwords; wait");
        platform::Answer(sender, "0");
        return;
    }
    // Read again: a password the parent changed a minute ago counts; a
    // record that cannot be read accepts nothing.
    CWarrowDBConfig* config = CWarrowCoreInterface::Get()->GetDBConfig();
    bool right = false;
    if (config != nullptr && config->Load()) {
        const tagSystemInfo& system = config->GetInfo();
        right = system.ID == -1 || text == system.UserPwd;
    }
    if (right) {
        m_failures = 0;
        m_grantUntilMs[sender.uid] = now + kGrantWindowMs;
    } else {
        ++m_failures;
        m_nextCheckMs = now + kRetryPauseMs;
    }
    platform::Answer(sender, right ? "1" : "0");
}

void CChildService::RefreshChildView(platform::DatagramSender& sender) {
    const std::int64_t now = NowMs();
    if (m_lastViewMs >= 0 && now - m_lastViewMs < kViewIntervalMs) {
        platform::Answer(sender, "1");
        return;
    }
    std::string error;
    const bool written = core::WriteChildView(kDataBasePath, kDataBasePassword, core::kChildViewPath, error);
    if (written) {
        m_lastViewMs = now;
    } else {
        LogEvent("ChildView: %s", error.c_str());
    }
    platform::Answer(sender, written ? "1" : "0");
}
