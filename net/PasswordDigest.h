#pragma once
// The account server checks the MD5 digest of the password, never the
// password: 32 lower-case hex digits over the password's GBK bytes.

#include <cstddef>
#include <string>
#include <string_view>

namespace wire {

// Empty when the digest cannot be computed (an OpenSSL without MD5).
std::string Md5Hex(const void* data, std::size_t size);
// False for a password that has no GBK form.
bool PasswordDigest(std::string_view utf8Password, std::string& hex);

} // namespace wire
