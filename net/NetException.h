#pragma once
// Malformed input inside the messaging library is reported by throwing these;
// the receive loops catch net_exception by reference and drop the connection.

struct net_exception {
    virtual ~net_exception() = default;
    virtual const char* GetDescription() const = 0;
};

struct datastream_exception : net_exception {
    const char* GetDescription() const override { return "data stream exception"; }
};
