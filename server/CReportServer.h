#pragma once
// The report server: stores each crash report and answers it, speaking the
// user_report_message family. Expanding and writing happen on the workers.

#include "server/CFrameServer.h"
#include "server/CRateLimiter.h"
#include "server/CReportStore.h"

#include <atomic>

struct tagReportLimits {
    double reportsPerMinute = 6; // per address, after a burst of 20
    double reportBurst = 20;
    std::size_t maxLogBytes = 1 << 20; // a longer log is refused
};

class CReportServer : public CFrameServer {
public:
    CReportServer(CReportStore& store, tagServerLimits limits, tagReportLimits reportLimits = {});

protected:
    const char* Screen(const unsigned char* frame, std::uint16_t length) override;
    tagOutcome Handle(unsigned worker, const tagRequest& request) override;

private:
    CReportStore& m_store;
    tagReportLimits m_reportLimits;
    CRateLimiter m_reports;
    std::atomic<bool> m_bFullLogged{false};
};
