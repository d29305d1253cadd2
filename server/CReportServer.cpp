#include "server/CReportServer.h"

#include "net/NetException.h"
#include "net/UserReportMessage.h"

#include <memory>

using namespace user_report_message;

CReportServer::CReportServer(CReportStore& store, tagServerLimits limits)
    : CFrameServer("warrow-reportd", limits), m_store(store) {}

const char* CReportServer::OnFrame(CConnection& conn, const unsigned char* frame, std::uint16_t length) {
    std::unique_ptr<CMsg> msg(CreateReportMessage(frame[2]));
    if (!msg)
        return "unknown message type";
    if (msg->GetType() != CMSG_C2S_REPORT_REQUEST::kType)
        return "an answer sent to the server";
    try {
        msg->Unpack(frame, length, nullptr);
    } catch (const net_exception&) {
        return "malformed message";
    }
    const tagReportRequest& body = static_cast<const CMSG_C2S_REPORT_REQUEST&>(*msg).Body();
    const std::string saved = m_store.Save(
        {body.nAccount, body.strProgram, body.strLogFile, body.strDescription, PeerOf(conn), &body.pData});
    if (saved.empty())
        Log("%s: a report from %s could not be stored", PeerOf(conn).c_str(), body.strProgram.c_str());
    else
        Log("%s: stored %s (%s, %zu log bytes)", PeerOf(conn).c_str(), saved.c_str(), body.strProgram.c_str(),
            body.pData.size());
    // Answered either way: the sender waits for an answer, not for its value.
    CMSG_S2C_REPORT_ANSWER answer;
    answer.Body().nResult = saved.empty() ? 1 : 0;
    return Reply(conn, answer) ? nullptr : "answer could not be packed";
}
