#pragma once
// Field encodings shared by every message: little-endian integers, IEEE-754
// doubles, texts as GBK bytes plus one zero byte. Texts are UTF-8 in memory.
// Every Get throws datastream_exception on a body too short for the field or
// a text that is not valid GBK; every Put of a text throws it for a text that
// has no GBK form or holds a zero byte (it would end the text early and shift
// every field after it).

#include "net/CDataStream.h"

#include <cstdint>
#include <string>

namespace wire {

void PutU16(CDataStream& s, std::uint16_t v);
void PutU32(CDataStream& s, std::uint32_t v);
void PutI32(CDataStream& s, std::int32_t v);
void PutU64(CDataStream& s, std::uint64_t v);
void PutDouble(CDataStream& s, double v);
void PutText(CDataStream& s, const std::string& utf8);

std::uint16_t GetU16(CDataStream& s);
std::uint32_t GetU32(CDataStream& s);
std::int32_t GetI32(CDataStream& s);
std::uint64_t GetU64(CDataStream& s);
double GetDouble(CDataStream& s);
std::string GetText(CDataStream& s);

} // namespace wire
