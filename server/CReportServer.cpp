#include "server/CReportServer.h"

#include "ltl/LZARI.h"
#include "net/NetException.h"
#include "net/UserReportMessage.h"
#include "server/TextEscape.h"

#include <memory>

using namespace user_report_message;

namespace {

// An honest crash log shrinks to about a tenth; a block that claims to grow
// more than this per byte received is refused before it is expanded.
constexpr std::uint32_t kExpansionPerByte = 256;

} // namespace

CReportServer::CReportServer(CReportStore& store, tagServerLimits limits, tagReportLimits reportLimits)
    : CFrameServer("warrow-reportd", limits), m_store(store), m_reportLimits(reportLimits),
      m_reports(reportLimits.reportsPerMinute, reportLimits.reportBurst) {}

const char* CReportServer::Screen(const unsigned char* frame, std::uint16_t length) {
    if (frame[2] != CMSG_C2S_REPORT_REQUEST::kType)
        return frame[2] == CMSG_S2C_REPORT_ANSWER::kType ? "an answer sent to the server"
                                                         : "unknown message type";
    if ((frame[1] & 0x80) && length >= 7 &&
        ltl::LZARI::ReadSize(frame + 3) > static_cast<std::uint64_t>(kExpansionPerByte) * length)
        return "compressed body announces too much";
    return nullptr;
}

CFrameServer::tagOutcome CReportServer::Handle(unsigned, const tagRequest& request) {
    const auto verdict = m_reports.Take(request.host);
    if (verdict != CRateLimiter::enVerdict::Allowed) {
        if (verdict == CRateLimiter::enVerdict::FirstRefusal)
            Log("%s: too many reports from this address", request.peer.c_str());
        return {{}, "report limit"};
    }
    CMSG_C2S_REPORT_REQUEST msg;
    try {
        msg.Unpack(request.frame.data(), static_cast<unsigned short>(request.frame.size()), nullptr);
    } catch (const net_exception&) {
        return {{}, "malformed message"};
    }
    const tagReportRequest& body = msg.Body();
    const std::string program = EscapeControls(body.strProgram);
    CMSG_S2C_REPORT_ANSWER answer;
    answer.Body().nResult = 1;
    tagOutcome outcome;
    if (body.pData.size() > m_reportLimits.maxLogBytes) {
        Log("%s: refused a %zu-byte log from %s", request.peer.c_str(), body.pData.size(), program.c_str());
        Answer(answer, outcome);
        outcome.close = "log too large";
        return outcome;
    }
    std::string saved;
    const enSaveResult result = m_store.Save(
        {body.nAccount, body.strProgram, body.strLogFile, body.strDescription, request.peer, &body.pData},
        saved);
    if (result == enSaveResult::NoRoom) {
        // Said once until a report fits again, however many are refused meanwhile.
        if (!m_bFullLogged.exchange(true))
            Log("store full (quota or free-space floor): refusing reports");
        Answer(answer, outcome);
        outcome.close = "store full";
        return outcome;
    }
    if (result == enSaveResult::Failed) {
        Log("%s: a report from %s could not be stored", request.peer.c_str(), program.c_str());
    } else {
        if (m_bFullLogged.exchange(false))
            Log("store has room again");
        Log("%s: stored %s (%s, %zu log bytes)", request.peer.c_str(), saved.c_str(), program.c_str(),
            body.pData.size());
        answer.Body().nResult = 0;
    }
    // Answered either way: the sender waits for an answer, not for its value.
    if (!Answer(answer, outcome))
        return {{}, "answer could not be packed"};
    return outcome;
}
