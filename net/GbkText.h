#pragma once
// Texts are UTF-8 inside the programs and GBK (code page 936) on the wire.

#include <string>
#include <string_view>

namespace wire {

// Both return false, leaving `out` unspecified, for text that has no form in
// the other encoding (or is not valid in its own).
bool Utf8ToGbk(std::string_view utf8, std::string& out);
bool GbkToUtf8(std::string_view gbk, std::string& out);

} // namespace wire
