#include "net/CDataStream.h"

#include "net/NetException.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace {

std::uint32_t CheckedTotal(std::uint64_t total) {
    if (total > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("CDataStream: more than 4 GiB");
    return static_cast<std::uint32_t>(total);
}

} // namespace

CDataStream::~CDataStream() {
    Release();
}

void CDataStream::Release() {
    if (m_bOwner)
        delete[] m_pData;
    m_pData = nullptr;
    m_bOwner = false;
}

// Keeps the first `keep` bytes; the stream owns the new buffer.
void CDataStream::Reallocate(std::uint32_t capacity, std::uint32_t keep) {
    auto* fresh = new unsigned char[capacity];
    if (keep != 0)
        std::memcpy(fresh, m_pData, keep);
    Release();
    m_pData = fresh;
    m_bOwner = true;
    m_nCapacity = capacity;
}

void CDataStream::Write(const void* p, std::size_t size) {
    if (m_pData == nullptr) {
        Reallocate(m_nGrow, 0);
        m_nPos = 0;
        m_nSize = 0;
    }
    const std::uint32_t end = CheckedTotal(std::uint64_t{m_nPos} + size);
    // A buffer is never filled to the last byte: growing starts at an exact
    // fit and always adds a whole step. Attached bytes belong to the caller
    // and are never written into.
    if (end >= m_nCapacity || !m_bOwner) {
        // Writing behind the end (after reads) must not lose the bytes after the cursor.
        const std::uint32_t keep = std::min(m_nSize, m_nCapacity);
        const std::uint64_t wanted = (std::uint64_t{std::max(end, keep)} / m_nGrow + 1) * m_nGrow;
        Reallocate(CheckedTotal(wanted), keep);
    }
    if (size != 0)
        std::memcpy(m_pData + m_nPos, p, size);
    m_nPos = end;
    m_nSize = std::max(m_nSize, end);
}

// The valid data, not the allocation, is the read limit: the slack of a
// growing buffer was never written.
void CDataStream::Read(void* p, std::size_t size) {
    if (size > GetRemaining())
        throw datastream_exception();
    if (size != 0)
        std::memcpy(p, m_pData + m_nPos, size);
    m_nPos += static_cast<std::uint32_t>(size);
}

void CDataStream::ReadString(std::string& s) {
    s.clear();
    const std::uint32_t left = GetRemaining();
    const unsigned char* begin = m_pData + m_nPos;
    const void* zero = left != 0 ? std::memchr(begin, 0, left) : nullptr;
    if (zero == nullptr) {
        // Leaves the stream as a byte-by-byte reader would: all of it consumed.
        if (left != 0)
            s.assign(reinterpret_cast<const char*>(begin), left);
        m_nPos = std::max(m_nPos, m_nSize);
        throw datastream_exception();
    }
    const auto n = static_cast<std::uint32_t>(static_cast<const unsigned char*>(zero) - begin);
    s.assign(reinterpret_cast<const char*>(begin), n);
    m_nPos += n + 1;
}

void CDataStream::InsertData(const void* p, std::size_t size, std::size_t pos) {
    if (m_pData == nullptr) {
        if (pos != 0)
            throw datastream_exception();
        SetData(p, size, true);
        return;
    }
    if (pos > m_nSize)
        throw datastream_exception();
    const std::uint32_t total = CheckedTotal(std::uint64_t{m_nSize} + size);
    auto* fresh = new unsigned char[total == 0 ? 1 : total];
    if (pos != 0)
        std::memcpy(fresh, m_pData, pos);
    if (size != 0)
        std::memcpy(fresh + pos, p, size);
    if (m_nSize > pos)
        std::memcpy(fresh + pos + size, m_pData + pos, m_nSize - pos);
    Release();
    m_pData = fresh;
    m_bOwner = true;
    m_nCapacity = total;
    m_nPos = CheckedTotal(std::uint64_t{m_nPos} + size);
    m_nSize = total;
}

void CDataStream::SetData(const void* p, std::size_t size, bool copy) {
    const std::uint32_t n = CheckedTotal(size);
    if (copy) {
        auto* fresh = new unsigned char[n == 0 ? 1 : n];
        if (n != 0)
            std::memcpy(fresh, p, n);
        Release();
        m_pData = fresh;
        m_bOwner = true;
    } else {
        Release();
        m_pData = static_cast<unsigned char*>(const_cast<void*>(p));
        m_bOwner = false;
    }
    m_nPos = 0;
    m_nSize = n;
    m_nCapacity = n;
}

void CDataStream::Clear() {
    m_nPos = 0;
    m_nSize = 0;
}
