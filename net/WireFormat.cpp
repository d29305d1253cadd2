#include "net/WireFormat.h"

#include "net/GbkText.h"
#include "net/NetException.h"

#include <bit>
#include <cstring>

namespace wire {
namespace {

template <class T> void PutLE(CDataStream& s, T v) {
    unsigned char b[sizeof(T)];
    for (std::size_t i = 0; i < sizeof(T); ++i)
        b[i] = static_cast<unsigned char>(static_cast<std::uint64_t>(v) >> (8 * i));
    s.Write(b, sizeof b);
}

template <class T> T GetLE(CDataStream& s) {
    unsigned char b[sizeof(T)];
    s.Read(b, sizeof b);
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        v |= std::uint64_t{b[i]} << (8 * i);
    return static_cast<T>(v);
}

} // namespace

void PutU16(CDataStream& s, std::uint16_t v) {
    PutLE(s, v);
}
void PutU32(CDataStream& s, std::uint32_t v) {
    PutLE(s, v);
}
void PutI32(CDataStream& s, std::int32_t v) {
    PutLE(s, static_cast<std::uint32_t>(v));
}
void PutU64(CDataStream& s, std::uint64_t v) {
    PutLE(s, v);
}
void PutDouble(CDataStream& s, double v) {
    PutLE(s, std::bit_cast<std::uint64_t>(v));
}

void PutText(CDataStream& s, const std::string& utf8) {
    std::string gbk;
    if (utf8.find('\0') != std::string::npos || !Utf8ToGbk(utf8, gbk))
        throw datastream_exception();
    s.Write(gbk.c_str(), gbk.size() + 1);
}

std::uint16_t GetU16(CDataStream& s) {
    return GetLE<std::uint16_t>(s);
}
std::uint32_t GetU32(CDataStream& s) {
    return GetLE<std::uint32_t>(s);
}
std::int32_t GetI32(CDataStream& s) {
    return static_cast<std::int32_t>(GetLE<std::uint32_t>(s));
}
std::uint64_t GetU64(CDataStream& s) {
    return GetLE<std::uint64_t>(s);
}
double GetDouble(CDataStream& s) {
    return std::bit_cast<double>(GetLE<std::uint64_t>(s));
}

std::string GetText(CDataStream& s) {
    std::string gbk;
    s.ReadString(gbk);
    std::string utf8;
    if (!GbkToUtf8(gbk, utf8))
        throw datastream_exception();
    return utf8;
}

} // namespace wire
