#pragma once
// The report sender's connection to the report server.

#include "net/CHandlerClient.h"
#include "net/UserReportMessage.h"

class CSocketReportClient final : public CHandlerClient<user_report_message::IReportMessageHandler> {
public:
    static constexpr unsigned short kPort = 18010;

    explicit CSocketReportClient(CreateFn create = user_report_message::CreateReportMessage)
        : CHandlerClient(create) {}
};
