#include "net/CMsg.h"

#include "ltl/LZARI.h"
#include "net/INetClient.h"
#include "net/NetException.h"

#include <cstdio>
#include <optional>

namespace {

void DebugOutput(const char* text) {
#ifndef NDEBUG
    std::fputs(text, stderr);
#else
    (void)text;
#endif
}

} // namespace

bool CMsg::Pack() {
    if (m_bPacked)
        return true;
    try {
        if (PackBody())
            return true;
    } catch (const net_exception&) {
    }
    // Nothing half-built survives a refusal: a later Pack starts afresh.
    m_stream.Clear();
    m_nLength = 0;
    return false;
}

bool CMsg::PackBody() {
    m_stream.Clear();
    WriteBody();
    const std::uint32_t bodySize = m_stream.GetSize();
    std::uint16_t lengthWord = 0;

    // A body longer than any receiver expands is never sent compressed.
    if (m_bCompress && bodySize <= kMaxExpanded) {
        ltl::LZARI lzari;
        unsigned char* packed = nullptr;
        unsigned packedSize = 0;
        lzari.Compress(m_stream.GetData(), bodySize, &packed, &packedSize);
        if (packedSize < bodySize && packedSize + kHeaderSize <= kMaxFrame) {
            m_nLength = static_cast<std::uint16_t>(packedSize + kHeaderSize);
            lengthWord = static_cast<std::uint16_t>(kCompressedBit | m_nLength);
            const unsigned char header[kHeaderSize] = {static_cast<unsigned char>(lengthWord & 0xFF),
                                                       static_cast<unsigned char>(lengthWord >> 8), m_nType};
            m_stream.Clear();
            m_stream.Write(header, sizeof header);
            m_stream.Write(packed, packedSize);
            DebugOutput("压缩成功...\n");
            m_bPacked = true;
            return true;
        }
        DebugOutput("越压越多...\n");
        m_bCompress = false;
    }

    // The length word has 15 bits; a longer frame cannot be described.
    if (bodySize + kHeaderSize > kMaxFrame)
        return false;
    m_nLength = static_cast<std::uint16_t>(bodySize + kHeaderSize);
    lengthWord = m_nLength;
    const unsigned char header[kHeaderSize] = {static_cast<unsigned char>(lengthWord & 0xFF),
                                               static_cast<unsigned char>(lengthWord >> 8), m_nType};
    m_stream.InsertData(header, sizeof header, 0);
    m_bPacked = true;
    return true;
}

bool CMsg::Send(INetClient* client) {
    if (client == nullptr || !Pack())
        return false;
    return client->Send(reinterpret_cast<const char*>(GetData()), static_cast<int>(GetSize()));
}

void CMsg::Unpack(const unsigned char* frame, unsigned short length, CNetClient* from) {
    m_pClient = from;
    if (length < kHeaderSize)
        throw datastream_exception();
    const std::uint16_t lengthWord = static_cast<std::uint16_t>(frame[0] | frame[1] << 8);
    if ((lengthWord & kMaxFrame) != length)
        throw datastream_exception();
    m_nLength = length;
    m_nType = frame[2];
    const unsigned char* body = frame + kHeaderSize;
    unsigned bodySize = length - kHeaderSize;

    // Owns the expanded bytes; they die with it, so the body record holds copies.
    std::optional<ltl::LZARI> lzari;
    m_bCompress = (lengthWord & kCompressedBit) != 0;
    if (m_bCompress) {
        // Refused when too short for the size field, announcing more than
        // any message of ours can hold, or running out of code before the
        // announced size: a few bytes never cost a full expansion.
        unsigned char* expanded = nullptr;
        if (!lzari.emplace().Expand(body, bodySize, kMaxExpanded, &expanded, &bodySize))
            throw datastream_exception();
        body = expanded;
        DebugOutput("解压成功...\n");
    }

    struct CDetach {
        CDataStream& stream;
        ~CDetach() { stream.SetData(nullptr, 0, false); }
    } detach{m_stream};
    m_stream.SetData(body, bodySize, false);
    ReadBody();
}
