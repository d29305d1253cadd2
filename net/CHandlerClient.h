#pragma once
// A client whose received messages go to one handler object of its family.

#include "net/CNetClient.h"

template <class THandler> class CHandlerClient : public CNetClient {
public:
    // Receives every message this client delivers; null drops them. Set it on
    // the thread that calls ProcessMessages.
    void SetHandler(THandler* handler) { m_pHandler = handler; }
    THandler* GetHandler() const { return m_pHandler; }

protected:
    explicit CHandlerClient(CreateFn create) : CNetClient(create) {}
    // The receive thread ends while this class's OnDisconnect is still in place.
    ~CHandlerClient() override { StopReceiving(); }
    void OnDisconnect() override {}

private:
    THandler* m_pHandler = nullptr;
};
