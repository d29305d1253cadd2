#include "console/AccountFile.h"

#include "net/GbkText.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace console {

bool AccountFileBytes(std::uint32_t account, const std::string& utf8Password, std::string& bytes) {
    char line[64];
    std::snprintf(line, sizeof line, "账号：%u \n", account);
    std::string first;
    std::string second;
    if (!wire::Utf8ToGbk(line, first) || !wire::Utf8ToGbk("密码: " + utf8Password, second)) {
        return false;
    }
    bytes = first;
    bytes.push_back('\0');
    bytes += second;
    bytes.push_back('\0');
    return true;
}

bool WriteAccountFile(const std::string& path, std::uint32_t account, const std::string& utf8Password,
                      std::string& error) {
    std::string bytes;
    if (!AccountFileBytes(account, utf8Password, bytes)) {
        error = "the password has no GBK form";
        return false;
    }
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data()); // mode 0600
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    bool ok = true;
    std::size_t done = 0;
    while (ok && done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        ok = n > 0;
        done += ok ? static_cast<std::size_t>(n) : 0;
    }
    ok = ok && ::fsync(fd) == 0;
    if (!ok) {
        error = std::strerror(errno);
    }
    ::close(fd);
    if (ok && ::rename(temporary.c_str(), path.c_str()) != 0) {
        error = std::strerror(errno);
        ok = false;
    }
    if (!ok) {
        ::unlink(temporary.c_str());
    }
    return ok;
}

} // namespace console
