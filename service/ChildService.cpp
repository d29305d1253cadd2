#include "service/ChildService.h"

#include "core/CWarrowCoreInterface.h"
#include "core/ChildView.h"
#include "core/UsageClock.h"
#include "platform/ServiceRequest.h"
#include "service/CService.h"
#include "service/CWarrowApp.h"
#include "service/ChildRequests.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr const char* kConfigFile = "Config.ini";
constexpr std::int64_t kDefaultRestTimeMs = 1800000;
// A grant the parent made with the password may be stored this long after.
constexpr std::int64_t kGrantWindowMs = 120000;
// The grants the shell offers.
constexpr int kGrantMinutes[] = {15, 30, 60};
// After three wrong passwords in a row a pause before the next try, doubled
// with every further failure up to a minute: a parent who mistypes is not
// held up, a program guessing gets about one try a minute.
constexpr int kFreeFailures = 3;
constexpr std::int64_t kFirstPauseMs = 2000;
constexpr std::int64_t kLongestPauseMs = 60000;
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
    } else if (name == platform::kGrantExtraRequest) {
        GrantExtra(text, sender);
    } else if (name == platform::kChildViewRequest) {
        RefreshChildView(sender);
    } else {
        return false;
    }
    platform::DropReply(sender);
    return true;
}

std::int64_t CChildService::GrantAllowance(uid_t sender) {
    const auto found = m_grants.find(sender);
    return found != m_grants.end() && found->second.untilMs > NowMs() ? found->second.allowanceMs : 0;
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
    const tagStoredTime before = ReadStoredTime(ini);
    const StoreVerdict verdict =
        JudgeTimeStore(before, after, rest < 0 ? kDefaultRestTimeMs : rest, now - m_lastStoreMs,
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
    // A grant is used up by the store that adds the extra time.
    const std::int64_t extraBefore = after.Daily.Day == before.Daily.Day ? before.Daily.ExtraMs : 0;
    if (after.Daily.ExtraMs > extraBefore) {
        m_grants.erase(sender.uid);
    }
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

bool CChildService::PasswordAccepted(const std::string& typed, const platform::DatagramSender& sender,
                                     const char* request) {
    const std::int64_t now = NowMs();
    if (m_failures >= kFreeFailures && now < m_nextCheckMs) {
        m_refusals.Refused(sender.uid, sender.pid, request, "too many wrong passwords; wait");
        return false;
    }
    // Read again: a password the parent changed a minute ago counts; a
    // record that cannot be read accepts nothing.
    CWarrowDBConfig* config = CWarrowCoreInterface::Get()->GetDBConfig();
    bool right = false;
    if (config != nullptr && config->Load()) {
        const tagSystemInfo& system = config->GetInfo();
        right = system.ID == -1 || typed == system.UserPwd;
    }
    if (right) {
        m_failures = 0;
    } else if (++m_failures >= kFreeFailures) {
        const int doublings = std::min(m_failures - kFreeFailures, 5);
        m_nextCheckMs = now + std::min(kFirstPauseMs << doublings, kLongestPauseMs);
    }
    return right;
}

void CChildService::CheckPassword(const std::string& text, platform::DatagramSender& sender) {
    platform::Answer(sender, PasswordAccepted(text, sender, platform::kCheckPasswordRequest) ? "1" : "0");
}

void CChildService::GrantExtra(const std::string& text, platform::DatagramSender& sender) {
    const std::size_t end = text.find('\n');
    const std::string minutes = text.substr(0, end);
    const int* offered = std::find_if(std::begin(kGrantMinutes), std::end(kGrantMinutes),
                                      [&minutes](int m) { return std::to_string(m) == minutes; });
    if (end == std::string::npos || offered == std::end(kGrantMinutes)) {
        m_refusals.Refused(sender.uid, sender.pid, platform::kGrantExtraRequest,
                           "not a grant the shell offers");
        platform::Answer(sender, "0");
        return;
    }
    const bool right = PasswordAccepted(text.substr(end + 1), sender, platform::kGrantExtraRequest);
    if (right) {
        // Only what the parent chose, and only once: the next store spends it.
        m_grants[sender.uid] = {NowMs() + kGrantWindowMs, std::int64_t{*offered} * 60000};
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
