#include "net/PasswordDigest.h"

#include "net/GbkText.h"

#include <openssl/evp.h>

namespace wire {

std::string Md5Hex(const void* data, std::size_t size) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(data, size, digest, &length, EVP_md5(), nullptr) != 1)
        return {};
    static constexpr char kHex[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(2 * length);
    for (unsigned i = 0; i < length; ++i) {
        hex += kHex[digest[i] >> 4];
        hex += kHex[digest[i] & 0x0F];
    }
    return hex;
}

bool PasswordDigest(std::string_view utf8Password, std::string& hex) {
    std::string gbk;
    if (!Utf8ToGbk(utf8Password, gbk))
        return false;
    hex = Md5Hex(gbk.data(), gbk.size());
    return !hex.empty();
}

} // namespace wire
