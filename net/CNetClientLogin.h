#pragma once
// The parent console's connection to the account server.

#include "net/CNetClient.h"
#include "net/UserLoginMessage.h"

class CNetClientLogin final : public CNetClient {
public:
    explicit CNetClientLogin(CreateFn create = user_login_message::CreateLoginMessage) : CNetClient(create) {}
    ~CNetClientLogin() override { StopReceiving(); }

    // Receives every message this client delivers; null drops them. Set it on
    // the thread that calls ProcessMessages.
    void SetHandler(user_login_message::ILoginMessageHandler* handler) { m_pHandler = handler; }
    user_login_message::ILoginMessageHandler* GetHandler() const { return m_pHandler; }

protected:
    void OnDisconnect() override {}

private:
    user_login_message::ILoginMessageHandler* m_pHandler = nullptr;
};
