#include "server/CReportStore.h"

#include "server/TextEscape.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <string_view>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t kFolderOverhead = 3 * 4096; // a folder and two files, a block each at least

bool WriteFile(const std::string& path, std::string_view bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0640);
    if (fd < 0)
        return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ::close(fd);
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    // Reports are rare and worth keeping across a power cut.
    const bool synced = ::fsync(fd) == 0;
    return ::close(fd) == 0 && synced;
}

bool SyncDirectory(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

std::string Stamp(const char* format) {
    const std::time_t now = std::time(nullptr);
    tm utc{};
    gmtime_r(&now, &utc);
    char text[40];
    std::strftime(text, sizeof text, format, &utc);
    return text;
}

std::uint64_t FreeBytes(const std::string& directory) {
    struct statvfs info {};
    if (::statvfs(directory.c_str(), &info) != 0)
        return 0;
    return static_cast<std::uint64_t>(info.f_bavail) * info.f_frsize;
}

} // namespace

bool CReportStore::Open(const std::string& directory, tagStoreLimits limits, std::string& error) {
    std::error_code ec;
    fs::create_directories(directory, ec);
    if (ec || !fs::is_directory(directory, ec)) {
        error = ec ? ec.message() : "not a directory";
        return false;
    }
    m_directory = directory;
    m_limits = limits;
    m_nUsed = 0;
    for (const auto& entry : fs::directory_iterator(directory, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(".incoming-", 0) == 0) {
            fs::remove_all(entry.path(), ec); // a half-written report of a killed run
            continue;
        }
        m_nUsed += kFolderOverhead;
        for (const auto& file : fs::directory_iterator(entry.path(), ec))
            if (file.is_regular_file(ec))
                m_nUsed += file.file_size(ec);
    }
    return true;
}

bool CReportStore::Reserve(std::uint64_t bytes) {
    std::lock_guard lock(m_lock);
    if (m_nUsed + bytes > m_limits.maxStoreBytes || FreeBytes(m_directory) < bytes + m_limits.minFreeBytes)
        return false;
    m_nUsed += bytes;
    return true;
}

void CReportStore::Release(std::uint64_t bytes) {
    std::lock_guard lock(m_lock);
    m_nUsed -= bytes;
}

enSaveResult CReportStore::Save(const tagStoredReport& report, std::string& name) {
    const std::vector<unsigned char> none;
    const std::vector<unsigned char>& log = report.pLog != nullptr ? *report.pLog : none;
    const std::string meta =
        "account: " + std::to_string(report.nAccount) + "\nprogram: " + EscapeControls(report.strProgram) +
        "\nlog-file: " + EscapeControls(report.strLogFile) + "\nlog-size: " + std::to_string(log.size()) +
        "\nreceived: " + Stamp("%Y-%m-%dT%H:%M:%SZ") + "\npeer: " + report.strPeer + "\n\n" +
        EscapeControls(report.strDescription, enLineBreaks::Keep) + "\n";
    const std::uint64_t size = kFolderOverhead + meta.size() + log.size();
    if (!Reserve(size))
        return enSaveResult::NoRoom;
    std::string incoming = m_directory + "/.incoming-XXXXXX";
    std::error_code ec;
    if (::mkdtemp(incoming.data()) == nullptr) {
        Release(size);
        return enSaveResult::Failed;
    }
    if (!WriteFile(incoming + "/report.txt", meta) ||
        !WriteFile(incoming + "/log",
                   std::string_view(reinterpret_cast<const char*>(log.data()), log.size()))) {
        const int why = errno;
        fs::remove_all(incoming, ec);
        Release(size);
        return why == ENOSPC || why == EDQUOT ? enSaveResult::NoRoom : enSaveResult::Failed;
    }
    const std::string stamp = Stamp("%Y%m%d-%H%M%S");
    for (int attempt = 0; attempt < 1000; ++attempt) {
        name = "report-" + stamp + "-" + std::to_string(++m_nSequence);
        // A folder of that name from an earlier run makes rename fail: try the next number.
        if (::rename(incoming.c_str(), (m_directory + "/" + name).c_str()) == 0) {
            SyncDirectory(m_directory);
            return enSaveResult::Saved;
        }
        if (errno != EEXIST && errno != ENOTEMPTY)
            break;
    }
    fs::remove_all(incoming, ec);
    Release(size);
    return enSaveResult::Failed;
}
