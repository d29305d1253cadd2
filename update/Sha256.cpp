#include "update/Sha256.h"

#include <openssl/evp.h>

#include <cctype>

namespace update {

Sha256::Sha256() : m_pContext(EVP_MD_CTX_new()) {
    EVP_DigestInit_ex(m_pContext, EVP_sha256(), nullptr);
}

Sha256::~Sha256() {
    EVP_MD_CTX_free(m_pContext);
}

void Sha256::Add(const void* data, std::size_t size) {
    EVP_DigestUpdate(m_pContext, data, size);
}

std::string Sha256::HexDigest() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_DigestFinal_ex(m_pContext, digest, &length);
    static const char kHex[] = "0123456789abcdef";
    std::string text;
    for (unsigned int i = 0; i < length; ++i) {
        text += kHex[digest[i] >> 4];
        text += kHex[digest[i] & 0xF];
    }
    return text;
}

bool SameDigest(const std::string& a, const std::string& b) {
    auto trimmed = [](const std::string& s) {
        const auto first = s.find_first_not_of(" \t\r\n");
        const auto last = s.find_last_not_of(" \t\r\n");
        return first == std::string::npos ? std::string() : s.substr(first, last - first + 1);
    };
    const std::string x = trimmed(a), y = trimmed(b);
    if (x.size() != y.size()) {
        return false;
    }
    for (std::size_t i = 0; i < x.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(x[i])) !=
            std::tolower(static_cast<unsigned char>(y[i]))) {
            return false;
        }
    }
    return true;
}

} // namespace update
