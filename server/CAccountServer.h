#pragma once
// The account server: logs clients in, hands out new accounts and stores
// help requests, speaking the user_login_message family.

#include "server/CAccountStore.h"
#include "server/CFrameServer.h"

#include <cstdint>
#include <string>

namespace user_login_message {
class CMSG_C2S_LOGIN_REQUEST;
class CMSG_C2S_HELP_REQUEST;
} // namespace user_login_message

// "a_b_c_d" with four numbers of 0..65535; false for anything else.
bool ParseVersionText(const std::string& text, std::uint64_t& version);

class CAccountServer : public CFrameServer {
public:
    CAccountServer(CAccountStore& store, std::uint64_t currentVersion, tagServerLimits limits);

protected:
    const char* OnFrame(CConnection& conn, const unsigned char* frame, std::uint16_t length) override;

private:
    // Each: null when answered, otherwise why the client is closed.
    const char* OnLogin(CConnection& conn, const user_login_message::CMSG_C2S_LOGIN_REQUEST& request);
    const char* OnRegister(CConnection& conn);
    const char* OnHelp(CConnection& conn, const user_login_message::CMSG_C2S_HELP_REQUEST& request);

    CAccountStore& m_store;
    std::uint64_t m_nCurrentVersion;
};
