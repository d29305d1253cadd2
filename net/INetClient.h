#pragma once

class INetClient {
public:
    virtual ~INetClient() = default;
    // Sends one finished frame. The base sends nothing and reports success.
    virtual bool Send(const char* data, int size) {
        (void)data;
        (void)size;
        return true;
    }
    // Delivers the received messages waiting for this thread.
    virtual void ProcessMessages() {}
};
