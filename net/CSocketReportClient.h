#pragma once
// The report sender's connection to the report server.

#include "net/CNetClient.h"
#include "net/UserReportMessage.h"

class CSocketReportClient final : public CNetClient {
public:
    static constexpr unsigned short kPort = 18010;

    explicit CSocketReportClient(CreateFn create = user_report_message::CreateReportMessage)
        : CNetClient(create) {}
    ~CSocketReportClient() override { StopReceiving(); }

    // Receives every message this client delivers; null drops them. Set it on
    // the thread that calls ProcessMessages.
    void SetHandler(user_report_message::IReportMessageHandler* handler) { m_pHandler = handler; }
    user_report_message::IReportMessageHandler* GetHandler() const { return m_pHandler; }

protected:
    void OnDisconnect() override {}

private:
    user_report_message::IReportMessageHandler* m_pHandler = nullptr;
};
