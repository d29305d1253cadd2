#pragma once
// Base of every message exchanged with the servers. A frame is a 2-byte
// little-endian length word (bit 15: body compressed with LZARI; bits 0-14:
// frame length with the header, 3..32767), one type byte, then the body.
// Derived classes write and read their body; CMsg does the framing.

#include "net/CDataStream.h"

#include <cstdint>

class CNetClient;
class INetClient;

class CMsg {
public:
    static constexpr unsigned kHeaderSize = 3;
    static constexpr unsigned kMaxFrame = 0x7FFF;
    static constexpr std::uint16_t kCompressedBit = 0x8000;
    // A compressed body may announce at most this many expanded bytes; the
    // bound is checked before anything is allocated, and a body whose code
    // runs out before its announced size is refused as soon as it does.
    static constexpr std::uint32_t kMaxExpanded = 1u << 20;

    CMsg() = default;
    CMsg(const CMsg&) = delete;
    CMsg& operator=(const CMsg&) = delete;
    virtual ~CMsg() = default;

    // Runs once for each received message, on the thread that pumps the queue.
    virtual void OnMessage() = 0;

    // Builds the frame once. False (and nothing packed) when a field cannot
    // be encoded or the frame would not fit the 15-bit length word.
    bool Pack();
    // False for a null client, a frame that cannot be packed, or a failed send.
    bool Send(INetClient* client);
    // Decodes one complete frame of `length` bytes; throws net_exception on a
    // malformed one. The frame's bytes must stay in place until it returns.
    void Unpack(const unsigned char* frame, unsigned short length, CNetClient* from);

    const unsigned char* GetData() const { return m_stream.GetData(); }
    std::uint32_t GetSize() const { return m_stream.GetSize(); }
    std::uint8_t GetType() const { return m_nType; }
    std::uint16_t GetLength() const { return m_nLength; }
    bool IsCompressed() const { return m_bCompress; }
    // Asks Pack to compress the body; it goes out uncompressed when LZARI cannot shrink it.
    void SetCompress(bool compress) { m_bCompress = compress; }
    bool IsPacked() const { return m_bPacked; }
    CNetClient* GetClient() const { return m_pClient; }

protected:
    virtual void ReadBody() {}
    virtual void WriteBody() {}

    std::uint16_t m_nLength = 0;
    std::uint8_t m_nType = 0;
    CDataStream m_stream;
    CNetClient* m_pClient = nullptr;
    bool m_bPacked = false;
    bool m_bCompress = false;

private:
    bool PackBody();
};
