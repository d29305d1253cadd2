#pragma once
// Buffered writer of log text into a file descriptor. It allocates nothing
// and calls only write(2), so the signal handler can use it for the fallback
// log as well as the writer process for the full one.

#include <cstddef>
#include <cstdint>

class CLogWriter {
public:
    explicit CLogWriter(int fd) noexcept;
    ~CLogWriter();
    CLogWriter(const CLogWriter&) = delete;
    CLogWriter& operator=(const CLogWriter&) = delete;

    CLogWriter& Text(const char* text) noexcept;
    CLogWriter& Text(const char* text, std::size_t length) noexcept;
    // Decimal, right-aligned in at least `width` characters filled with `fill`.
    CLogWriter& Dec(std::int64_t value, int width = 0, char fill = '0') noexcept;
    // Lower-case hexadecimal digits, zero-padded to at least `width`.
    CLogWriter& Hex(std::uint64_t value, int width) noexcept;
    CLogWriter& Repeat(char c, int count) noexcept;
    // A line of `count` copies of `c`.
    CLogWriter& Rule(char c, int count) noexcept;

    bool Flush() noexcept;
    bool Ok() const noexcept { return m_bOk; }

private:
    int m_nFd;
    bool m_bOk = true;
    std::size_t m_nUsed = 0;
    char m_buffer[4096];
};
