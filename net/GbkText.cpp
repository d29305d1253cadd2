#include "net/GbkText.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>

namespace wire {
namespace {

bool IsAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// iconv descriptors carry state and are not shared between threads: each
// thread keeps its own pair, opened on first use.
class CConverter {
public:
    CConverter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~CConverter() {
        if (m_cd != reinterpret_cast<iconv_t>(-1))
            iconv_close(m_cd);
    }
    CConverter(const CConverter&) = delete;
    CConverter& operator=(const CConverter&) = delete;

    bool Convert(std::string_view in, std::string& out) {
        if (m_cd == reinterpret_cast<iconv_t>(-1))
            return false;
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        // UTF-8 -> GBK never grows; GBK -> UTF-8 at most 3/2 (+1 for the euro sign's one byte).
        out.resize(in.size() * 3 + 4);
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        char* dst = out.data();
        std::size_t dstLeft = out.size();
        const std::size_t rc = iconv(m_cd, &src, &srcLeft, &dst, &dstLeft);
        if (rc == static_cast<std::size_t>(-1) || srcLeft != 0)
            return false;
        // Flush any shift state; GBK has none, but the call is cheap and complete.
        if (iconv(m_cd, nullptr, nullptr, &dst, &dstLeft) == static_cast<std::size_t>(-1))
            return false;
        out.resize(out.size() - dstLeft);
        return true;
    }

private:
    iconv_t m_cd;
};

} // namespace

// ASCII is the same in both encodings and is most of what crosses the wire
// (digests, numbers, addresses), so it skips iconv.
bool Utf8ToGbk(std::string_view utf8, std::string& out) {
    if (IsAscii(utf8)) {
        out.assign(utf8);
        return true;
    }
    thread_local CConverter converter("CP936", "UTF-8");
    return converter.Convert(utf8, out);
}

bool GbkToUtf8(std::string_view gbk, std::string& out) {
    if (IsAscii(gbk)) {
        out.assign(gbk);
        return true;
    }
    thread_local CConverter converter("UTF-8", "CP936");
    return converter.Convert(gbk, out);
}

} // namespace wire
