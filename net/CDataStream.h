#pragma once
// Growable byte buffer in which messages are built and from which received
// messages are read. It only moves bytes; the encodings of values belong to
// the message classes (net/WireFormat.h).

#include <cstddef>
#include <cstdint>
#include <string>

class CDataStream {
public:
    CDataStream() = default;
    explicit CDataStream(std::uint32_t grow) : m_nGrow(grow == 0 ? 64 : grow) {}
    CDataStream(const CDataStream&) = delete;
    CDataStream& operator=(const CDataStream&) = delete;
    virtual ~CDataStream();

    // Appends at the cursor, growing by whole steps of m_nGrow.
    void Write(const void* p, std::size_t size);
    // Throw datastream_exception when the data ends first.
    void Read(void* p, std::size_t size);
    void ReadString(std::string& s);
    // Inserts a block at pos (0..size); used to put the frame header in front.
    void InsertData(const void* p, std::size_t size, std::size_t pos);
    // copy false attaches the caller's bytes, which must outlive the reads.
    void SetData(const void* p, std::size_t size, bool copy);
    void Clear();

    unsigned char* GetData() const { return m_pData; }
    std::uint32_t GetSize() const { return m_nSize; }
    std::uint32_t GetPos() const { return m_nPos; }
    std::uint32_t GetCapacity() const { return m_nCapacity; }
    // Bytes left to read before the end of the data.
    std::uint32_t GetRemaining() const { return m_nPos < m_nSize ? m_nSize - m_nPos : 0; }

private:
    void Release();
    void Reallocate(std::uint32_t capacity, std::uint32_t keep);

    unsigned char* m_pData = nullptr;
    bool m_bOwner = false;
    std::uint32_t m_nPos = 0;
    std::uint32_t m_nCapacity = 0;
    std::uint32_t m_nGrow = 64;
    std::uint32_t m_nSize = 0;
};
