#include "update/UpdateLog.h"

#include <cstdarg>
#include <cstdio>
#include <sys/stat.h>

namespace update {
namespace {

constexpr std::size_t kMessageBuffer = 512;

// Never ends the text inside a UTF-8 sequence.
void CutAtCharacter(std::string& text, std::size_t limit) {
    if (text.size() <= limit) {
        return;
    }
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;
    }
    text.resize(end);
}

} // namespace

std::string FormatLogLine(const std::tm& local, const std::string& message) {
    std::string text = message;
    CutAtCharacter(text, kMessageBuffer - 1);
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "[%d-%02d-%02d][%02d:%02d:%02d]", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return stamp + text + "\n";
}

void WriteLog(bool background, const char* format, ...) {
    if (!background) {
        return;
    }
    char buffer[kMessageBuffer * 2] = {};
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);

    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const std::string line = FormatLogLine(local, buffer);

    ::mkdir(kLogFolder, 0755);
    if (std::FILE* file = std::fopen(kLogPath, "ae")) {
        std::fwrite(line.data(), 1, line.size(), file);
        std::fclose(file);
    }
}

} // namespace update
