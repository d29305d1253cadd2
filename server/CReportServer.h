#pragma once
// The report server: stores each crash report and answers it, speaking the
// user_report_message family.

#include "server/CFrameServer.h"
#include "server/CReportStore.h"

class CReportServer : public CFrameServer {
public:
    CReportServer(CReportStore& store, tagServerLimits limits);

protected:
    const char* OnFrame(CConnection& conn, const unsigned char* frame, std::uint16_t length) override;

private:
    CReportStore& m_store;
};
