#include "report/CrashLogFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace report {
namespace {

// Reads `size` bytes at `offset`, fewer when the file ends first.
bool ReadAt(int fd, std::uint64_t offset, std::uint64_t size, std::string& out) {
    out.resize(size);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, out.data() + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    out.resize(done);
    return true;
}

} // namespace

bool IsSafeLogName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos;
}

tagCrashLog ReadCrashLog(const std::string& name) {
    tagCrashLog log;
    if (!IsSafeLogName(name))
        return log;
    // Non-blocking, so a FIFO of that name cannot hold the sender.
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return log;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        const auto size = static_cast<std::uint64_t>(st.st_size);
        if (size <= kLogWholeLimit) {
            log.bRead = ReadAt(fd, 0, size, log.strHead);
            log.nFileSize = log.strHead.size();
        } else {
            log.bRead = ReadAt(fd, 0, kLogPartBytes, log.strHead) &&
                        ReadAt(fd, size - kLogPartBytes, kLogPartBytes, log.strTail);
            log.nFileSize = size;
        }
    }
    ::close(fd);
    if (!log.bRead)
        log = {};
    return log;
}

bool DeleteCrashLog(const std::string& name) {
    return IsSafeLogName(name) && ::unlink(name.c_str()) == 0;
}

std::string ToTextMode(std::string_view raw) {
    std::string text;
    text.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n')
            continue;
        text += raw[i];
    }
    return text;
}

} // namespace report
