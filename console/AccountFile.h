#pragma once
// The file "您的账号密码.txt" that keeps a newly registered account for the
// parent: "账号：<number> \n", a zero byte, "密码: <password>", a zero byte, in
// GBK. It holds a password in plain text, so only its owner may read it.

#include <cstdint>
#include <string>

namespace console {

constexpr const char* kAccountFileName = "您的账号密码.txt";

// The bytes of the file. False when the password has no GBK form.
bool AccountFileBytes(std::uint32_t account, const std::string& utf8Password, std::string& bytes);

// Writes the file whole (a temporary file renamed over it, so a link planted
// under its name is replaced, never followed), mode 0600. False with the
// reason otherwise.
bool WriteAccountFile(const std::string& path, std::uint32_t account, const std::string& utf8Password,
                      std::string& error);

} // namespace console
