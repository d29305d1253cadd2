#include "crash/CLogWriter.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

CLogWriter::CLogWriter(int fd) noexcept : m_nFd(fd) {}

CLogWriter::~CLogWriter() {
    Flush();
}

CLogWriter& CLogWriter::Text(const char* text) noexcept {
    return Text(text, text == nullptr ? 0 : std::strlen(text));
}

CLogWriter& CLogWriter::Text(const char* text, std::size_t length) noexcept {
    while (length > 0) {
        if (m_nUsed == sizeof m_buffer && !Flush())
            return *this;
        std::size_t chunk = sizeof m_buffer - m_nUsed;
        if (chunk > length)
            chunk = length;
        std::memcpy(m_buffer + m_nUsed, text, chunk);
        m_nUsed += chunk;
        text += chunk;
        length -= chunk;
    }
    return *this;
}

CLogWriter& CLogWriter::Dec(std::int64_t value, int width, char fill) noexcept {
    char digits[24];
    int n = 0;
    const bool negative = value < 0;
    // Work in unsigned so that the most negative value does not overflow.
    std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    do {
        digits[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    const int length = n + (negative ? 1 : 0);
    if (negative && fill == '0')
        Text("-", 1);
    Repeat(fill, width - length);
    if (negative && fill != '0')
        Text("-", 1);
    while (n > 0)
        Text(&digits[--n], 1);
    return *this;
}

CLogWriter& CLogWriter::Hex(std::uint64_t value, int width) noexcept {
    static constexpr char kDigits[] = "0123456789abcdef";
    char digits[16];
    int n = 0;
    do {
        digits[n++] = kDigits[value & 0xF];
        value >>= 4;
    } while (value != 0);
    Repeat('0', width - n);
    while (n > 0)
        Text(&digits[--n], 1);
    return *this;
}

CLogWriter& CLogWriter::Repeat(char c, int count) noexcept {
    for (int i = 0; i < count; ++i)
        Text(&c, 1);
    return *this;
}

CLogWriter& CLogWriter::Rule(char c, int count) noexcept {
    return Repeat(c, count).Text("\n", 1);
}

bool CLogWriter::Flush() noexcept {
    std::size_t done = 0;
    while (m_bOk && done < m_nUsed) {
        const ssize_t n = ::write(m_nFd, m_buffer + done, m_nUsed - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            m_bOk = false;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    m_nUsed = 0;
    return m_bOk;
}
