#pragma once
// The updater's log, "Log/WarrowUpdate.log" in the current folder, written
// only in background mode (nobody watches the window then). One line per
// event: "[2026-12-07][11:30:09]更新完成!".

#include <ctime>
#include <string>

namespace update {

constexpr const char* kLogFolder = "Log";
constexpr const char* kLogPath = "Log/WarrowUpdate.log";

// The messages, as maintainers grep for them.
constexpr const char* kLogNoServerList = "Read Update Info Error!";
constexpr const char* kLogNoVersionList = "Cannot Download file!";
constexpr const char* kLogNoNewerVersion = "无法验证版本!请登入官方网站获取最新信息";
constexpr const char* kLogNoFileKey = "读取版本配置错误";
constexpr const char* kLogStarted = "更新[%s]开始";
constexpr const char* kLogFinished = "更新完成!";
// Ours: why an update ended without opening anything.
constexpr const char* kLogNoServerAnswered = "No update server answered!";
constexpr const char* kLogUnsafeName = "Refused unsafe name [%s] in the version list!";
constexpr const char* kLogDownloadFailed = "Download of [%s] failed: %s";
constexpr const char* kLogOpenFailed = "Cannot open [%s]!";

// The line for one message, at most 511 bytes of message (cut at a
// character boundary), with the local time given.
std::string FormatLogLine(const std::tm& local, const std::string& message);

// Appends one line when `background` is set; the folder is created when
// missing, and a line that cannot be written is dropped.
void WriteLog(bool background, const char* format, ...) __attribute__((format(printf, 2, 3)));

} // namespace update
