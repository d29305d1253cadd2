#pragma once

#include "platform/DatagramSender.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <sys/types.h>

class RefusalLog;

// The service's side of a child account's requests (see ChildRequests.h):
// stores the shell's counters in Config.ini with the file's atomic replace,
// appends activity lines through the service's own database connection,
// checks the parent password (slowing down after failures), and writes the
// child's readable copy of the settings.
class CChildService {
public:
    explicit CChildService(RefusalLog& refusals);

    // Handles one request the sender may make (MayAskForChild); false when
    // `name` is not a child request at all.
    bool Handle(const std::string& name, const std::string& text, platform::DatagramSender& sender);

private:
    void StoreTime(const std::string& text, const platform::DatagramSender& sender);
    void StoreLogLine(const std::string& text, const platform::DatagramSender& sender);
    void CheckPassword(const std::string& text, platform::DatagramSender& sender);
    void GrantExtra(const std::string& text, platform::DatagramSender& sender);
    // Whether `typed` is the parent password, slowed down after failures;
    // false also while a pause after failures lasts.
    bool PasswordAccepted(const std::string& typed, const platform::DatagramSender& sender,
                          const char* request);
    void RefreshChildView(platform::DatagramSender& sender);
    std::int64_t GrantAllowance(uid_t sender);

    RefusalLog& m_refusals;
    std::int64_t m_lastStoreMs;
    struct tagGrant {
        std::int64_t untilMs = 0;
        std::int64_t allowanceMs = 0;
    };
    std::map<uid_t, tagGrant> m_grants;
    int m_failures = 0;
    std::int64_t m_nextCheckMs = 0;
    std::int64_t m_lastViewMs = -1;
};
