#include "net/UserLoginMessage.h"

#include "net/CNetClientLogin.h"
#include "net/WireFormat.h"

namespace user_login_message {
namespace {

ILoginMessageHandler* HandlerOf(CNetClient* client) {
    auto* login = dynamic_cast<CNetClientLogin*>(client);
    return login != nullptr ? login->GetHandler() : nullptr;
}

template <class TMsg, class THook> void Deliver(TMsg& msg, THook hook) {
    if (ILoginMessageHandler* handler = HandlerOf(msg.GetClient()))
        (handler->*hook)(msg);
}

// Fields 1 to 5; the password follows only in the register answer.
void WriteAccount(CDataStream& s, const tagAccountInfo& a) {
    wire::PutU32(s, a.nAccount);
    wire::PutText(s, a.strUserName);
    wire::PutU32(s, a.nValue);
    wire::PutDouble(s, a.dtDate);
    wire::PutU64(s, a.nValue64);
}

void ReadAccount(CDataStream& s, tagAccountInfo& a) {
    a.nAccount = wire::GetU32(s);
    a.strUserName = wire::GetText(s);
    a.nValue = wire::GetU32(s);
    a.dtDate = wire::GetDouble(s);
    a.nValue64 = wire::GetU64(s);
}

} // namespace

void CMSG_C2S_LOGIN_REQUEST::OnMessage() {
    Deliver(*this, &ILoginMessageHandler::OnLoginRequest);
}

void CMSG_C2S_LOGIN_REQUEST::WriteBody() {
    wire::PutU32(m_stream, m_pBody->nAccount);
    wire::PutText(m_stream, m_pBody->strPassword);
    wire::PutU64(m_stream, m_pBody->nVersion);
}

void CMSG_C2S_LOGIN_REQUEST::ReadBody() {
    m_pBody->nAccount = wire::GetU32(m_stream);
    m_pBody->strPassword = wire::GetText(m_stream);
    m_pBody->nVersion = wire::GetU64(m_stream);
}

void CMSG_S2C_LOGIN_ANSWER::OnMessage() {
    Deliver(*this, &ILoginMessageHandler::OnLoginAnswer);
}

void CMSG_S2C_LOGIN_ANSWER::WriteBody() {
    wire::PutI32(m_stream, m_pBody->nResult);
    if (m_pBody->nResult != LOGIN_REFUSED)
        WriteAccount(m_stream, m_pBody->account);
}

void CMSG_S2C_LOGIN_ANSWER::ReadBody() {
    m_pBody->nResult = wire::GetI32(m_stream);
    m_pBody->account = {};
    if (m_pBody->nResult != LOGIN_REFUSED)
        ReadAccount(m_stream, m_pBody->account);
}

void CMSG_C2S_REGISTER_REQUEST::OnMessage() {
    Deliver(*this, &ILoginMessageHandler::OnRegisterRequest);
}

void CMSG_S2C_REGISTER_ANSWER::OnMessage() {
    Deliver(*this, &ILoginMessageHandler::OnRegisterAnswer);
}

void CMSG_S2C_REGISTER_ANSWER::WriteBody() {
    WriteAccount(m_stream, *m_pBody);
    wire::PutText(m_stream, m_pBody->strPassword);
}

void CMSG_S2C_REGISTER_ANSWER::ReadBody() {
    ReadAccount(m_stream, *m_pBody);
    m_pBody->strPassword = wire::GetText(m_stream);
}

void CMSG_C2S_HELP_REQUEST::OnMessage() {
    Deliver(*this, &ILoginMessageHandler::OnHelpRequest);
}

void CMSG_C2S_HELP_REQUEST::WriteBody() {
    wire::PutU32(m_stream, m_pBody->nAccount);
    wire::PutText(m_stream, m_pBody->strMail);
    wire::PutText(m_stream, m_pBody->strText);
    wire::PutText(m_stream, m_pBody->strSystem);
    wire::PutText(m_stream, m_pBody->strQuestion);
}

void CMSG_C2S_HELP_REQUEST::ReadBody() {
    m_pBody->nAccount = wire::GetU32(m_stream);
    m_pBody->strMail = wire::GetText(m_stream);
    m_pBody->strText = wire::GetText(m_stream);
    m_pBody->strSystem = wire::GetText(m_stream);
    m_pBody->strQuestion = wire::GetText(m_stream);
}

void CMSG_S2C_HELP_ANSWER::OnMessage() {
    Deliver(*this, &ILoginMessageHandler::OnHelpAnswer);
}

CMsg* CreateLoginMessage(unsigned char type) {
    switch (type) {
    case CMSG_C2S_LOGIN_REQUEST::kType:
        return new CMSG_C2S_LOGIN_REQUEST;
    case CMSG_S2C_LOGIN_ANSWER::kType:
        return new CMSG_S2C_LOGIN_ANSWER;
    case CMSG_C2S_REGISTER_REQUEST::kType:
        return new CMSG_C2S_REGISTER_REQUEST;
    case CMSG_S2C_REGISTER_ANSWER::kType:
        return new CMSG_S2C_REGISTER_ANSWER;
    case CMSG_C2S_HELP_REQUEST::kType:
        return new CMSG_C2S_HELP_REQUEST;
    case CMSG_S2C_HELP_ANSWER::kType:
        return new CMSG_S2C_HELP_ANSWER;
    default:
        return nullptr;
    }
}

} // namespace user_login_message
