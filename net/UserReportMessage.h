#pragma once
// The crash-report protocol between the report sender and the report server.

#include "net/CMsgTemplate.h"

#include <cstdint>
#include <string>
#include <vector>

class CMsg;

namespace user_report_message {

struct tagReportRequest {
    std::uint32_t nAccount = 0;
    std::string strDescription;
    std::string strProgram;
    std::string strLogFile;
    // nSize on the wire is the length of pData: one count, so they cannot disagree.
    std::vector<unsigned char> pData;
};

struct tagReportAnswer {
    std::uint32_t nResult = 0; // not examined by the sender; ours answers 0 when stored
};

class CMSG_C2S_REPORT_REQUEST : public CMsgTemplate<tagReportRequest, 0> {
public:
    void OnMessage() override;

protected:
    void ReadBody() override;
    void WriteBody() override;
};

class CMSG_S2C_REPORT_ANSWER : public CMsgTemplate<tagReportAnswer, 1> {
public:
    void OnMessage() override;

protected:
    void ReadBody() override;
    void WriteBody() override;
};

// A new, empty message for type 0 or 1; null otherwise.
CMsg* CreateReportMessage(unsigned char type);

class IReportMessageHandler {
public:
    virtual ~IReportMessageHandler() = default;
    virtual void OnReportRequest(CMSG_C2S_REPORT_REQUEST& msg) { (void)msg; }
    virtual void OnReportAnswer(CMSG_S2C_REPORT_ANSWER& msg) { (void)msg; }
};

} // namespace user_report_message
