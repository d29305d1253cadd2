#include "net/UserReportMessage.h"

#include "net/CSocketReportClient.h"
#include "net/NetException.h"
#include "net/WireFormat.h"

namespace user_report_message {
namespace {

IReportMessageHandler* HandlerOf(CNetClient* client) {
    auto* report = dynamic_cast<CSocketReportClient*>(client);
    return report != nullptr ? report->GetHandler() : nullptr;
}

} // namespace

void CMSG_C2S_REPORT_REQUEST::OnMessage() {
    if (IReportMessageHandler* handler = HandlerOf(m_pClient))
        handler->OnReportRequest(*this);
}

void CMSG_C2S_REPORT_REQUEST::WriteBody() {
    wire::PutU32(m_stream, m_pBody->nAccount);
    wire::PutText(m_stream, m_pBody->strDescription);
    wire::PutText(m_stream, m_pBody->strProgram);
    wire::PutText(m_stream, m_pBody->strLogFile);
    wire::PutU32(m_stream, static_cast<std::uint32_t>(m_pBody->pData.size()));
    m_stream.Write(m_pBody->pData.data(), m_pBody->pData.size());
}

void CMSG_C2S_REPORT_REQUEST::ReadBody() {
    m_pBody->nAccount = wire::GetU32(m_stream);
    m_pBody->strDescription = wire::GetText(m_stream);
    m_pBody->strProgram = wire::GetText(m_stream);
    m_pBody->strLogFile = wire::GetText(m_stream);
    const std::uint32_t nSize = wire::GetU32(m_stream);
    // The count comes from outside: checked against the body before allocating.
    if (nSize > m_stream.GetRemaining())
        throw datastream_exception();
    m_pBody->pData.resize(nSize);
    m_stream.Read(m_pBody->pData.data(), nSize);
}

void CMSG_S2C_REPORT_ANSWER::OnMessage() {
    if (IReportMessageHandler* handler = HandlerOf(m_pClient))
        handler->OnReportAnswer(*this);
}

void CMSG_S2C_REPORT_ANSWER::WriteBody() {
    wire::PutU32(m_stream, m_pBody->nResult);
}

void CMSG_S2C_REPORT_ANSWER::ReadBody() {
    m_pBody->nResult = wire::GetU32(m_stream);
}

CMsg* CreateReportMessage(unsigned char type) {
    switch (type) {
    case CMSG_C2S_REPORT_REQUEST::kType:
        return new CMSG_C2S_REPORT_REQUEST;
    case CMSG_S2C_REPORT_ANSWER::kType:
        return new CMSG_S2C_REPORT_ANSWER;
    default:
        return nullptr;
    }
}

} // namespace user_report_message
