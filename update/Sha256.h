#pragma once
// SHA-256 of a stream of bytes, through OpenSSL (which uses the processor's
// SHA instructions where it has them: the digest of a package must not slow
// its download down).

#include <cstddef>
#include <string>

struct evp_md_ctx_st;

namespace update {

class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void Add(const void* data, std::size_t size);
    // The digest of everything added, as 64 lower-case hexadecimal digits.
    std::string HexDigest();

private:
    evp_md_ctx_st* m_pContext;
};

// Compares two hexadecimal digests, ignoring case and surrounding blanks.
bool SameDigest(const std::string& a, const std::string& b);

} // namespace update
