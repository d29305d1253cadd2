#pragma once
// The parent console's connection to the account server.

#include "net/CHandlerClient.h"
#include "net/UserLoginMessage.h"

class CNetClientLogin final : public CHandlerClient<user_login_message::ILoginMessageHandler> {
public:
    explicit CNetClientLogin(CreateFn create = user_login_message::CreateLoginMessage)
        : CHandlerClient(create) {}
};
