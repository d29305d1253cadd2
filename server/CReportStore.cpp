#include "server/CReportStore.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace {

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

std::string Stamp(const char* format) {
    const std::time_t now = std::time(nullptr);
    tm utc{};
    gmtime_r(&now, &utc);
    char text[40];
    std::strftime(text, sizeof text, format, &utc);
    return text;
}

// A header field stays on its line, whatever the sender put in it.
std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\n' || c == '\r')
            c = ' ';
    return text;
}

} // namespace

bool CReportStore::Open(const std::string& directory, std::string& error) {
    std::error_code ec;
    std::filesystem::create_directories(directory, ec);
    if (ec || !std::filesystem::is_directory(directory, ec)) {
        error = ec ? ec.message() : "not a directory";
        return false;
    }
    m_directory = directory;
    return true;
}

std::string CReportStore::Save(const tagStoredReport& report) {
    std::string incoming = m_directory + "/.incoming-XXXXXX";
    if (::mkdtemp(incoming.data()) == nullptr)
        return {};
    const std::vector<unsigned char> none;
    const std::vector<unsigned char>& log = report.pLog != nullptr ? *report.pLog : none;
    const std::string meta =
        "account: " + std::to_string(report.nAccount) + "\nprogram: " + OneLine(report.strProgram) +
        "\nlog-file: " + OneLine(report.strLogFile) + "\nlog-size: " + std::to_string(log.size()) +
        "\nreceived: " + Stamp("%Y-%m-%dT%H:%M:%SZ") + "\npeer: " + report.strPeer + "\n\n" +
        report.strDescription + "\n";
    if (!WriteFile(incoming + "/report.txt", meta) ||
        !WriteFile(incoming + "/log",
                   std::string_view(reinterpret_cast<const char*>(log.data()), log.size()))) {
        std::error_code ec;
        std::filesystem::remove_all(incoming, ec);
        return {};
    }
    const std::string stamp = Stamp("%Y%m%d-%H%M%S");
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const std::string name = "report-" + stamp + "-" + std::to_string(++m_nSequence);
        // A folder of that name from an earlier run makes rename fail: try the next number.
        if (::rename(incoming.c_str(), (m_directory + "/" + name).c_str()) == 0)
            return name;
        if (errno != EEXIST && errno != ENOTEMPTY)
            break;
    }
    std::error_code ec;
    std::filesystem::remove_all(incoming, ec);
    return {};
}
