#include "core/CWarrowControl.h"

#include "core/ChildAccounts.h"
#include "core/ErrorReporter.h"
#include "ltl/CIni.h"
#include "platform/ConsoleSession.h"
#include "platform/Paths.h"
#include "platform/ServiceChannel.h"
#include "platform/ServiceRequest.h"

#include <cstdio>

namespace {
constexpr const char* kConfigFile = "Config.ini";
constexpr int kDefaultPlayTime = 7200000;
constexpr int kDefaultRestTime = 1800000;

// "Section/Key=Value" lines: the service's form of a counter store.
std::string FormatStore(const std::vector<ltl::CIni::Entry>& entries) {
    std::string text;
    for (const auto& entry : entries) {
        text += (text.empty() ? "" : "\n") + entry.section + "/" + entry.key + "=" + entry.value;
    }
    return text;
}
} // namespace

const char* ProgramForStyle(int style) {
    return style == STYLE_CHILD ? "Warrow" : "WarrowTray";
}

std::uint64_t CWarrowControl::ParseVersion(const char* text) {
    // Missing parts count as 0; each part keeps its low 16 bits.
    unsigned parts[4] = {0, 0, 0, 0};
    std::sscanf(text ? text : "", "%u_%u_%u_%u", &parts[0], &parts[1], &parts[2], &parts[3]);
    std::uint64_t version = 0;
    for (unsigned part : parts) {
        version = (version << 16) | (part & 0xFFFFu);
    }
    return version;
}

std::string CWarrowControl::FormatVersion(std::uint64_t version) {
    char text[48];
    std::snprintf(text, sizeof text, "%u_%u_%u_%u", static_cast<unsigned>(version >> 48 & 0xFFFF),
                  static_cast<unsigned>(version >> 32 & 0xFFFF),
                  static_cast<unsigned>(version >> 16 & 0xFFFF), static_cast<unsigned>(version & 0xFFFF));
    return text;
}

void CWarrowControl::ReadSettings(const ltl::CIni& ini) {
    m_config.IsAutoStart = ini.GetInt("Setup", "IsAutoStart");
    m_config.StartStyle = ini.GetInt("Setup", "StartStyle");
    m_config.UpdateStyle = ini.GetInt("Setup", "UpdateStyle");
    const std::string ip = ini.GetString("Network", "Ip");
    if (!ip.empty()) {
        m_config.Ip = ip;
    }
    m_config.Port = ini.GetInt("Network", "Port");
    const std::string version = ini.GetString("Version", "Ver");
    if (!version.empty()) {
        m_config.Version = ParseVersion(version.c_str());
    }
    m_config.PlayTime = ini.GetInt("Time", "PlayTime");
    m_config.RestTime = ini.GetInt("Time", "RestTime");
    m_config.TimeStyle = ini.GetInt("Time", "TimeStyle");
    m_config.CountTime = ini.GetInt("Time", "CountTime");
}

bool CWarrowControl::Load() {
    ltl::CIni ini(false, -1, "");
    if (!ini.Open(kConfigFile)) {
        core::ReportError("读取配置文件失败");
        return false;
    }
    m_config.ID = ini.GetInt("System", "ID");
    if (m_config.ID == -1) {
        core::ReportError("读取THREADID错误");
        return false;
    }
    ReadSettings(ini);
    if (m_config.PlayTime == -1) {
        // A file without times gets the standard two hours of play and half an hour of rest.
        m_config.PlayTime = kDefaultPlayTime;
        m_config.RestTime = kDefaultRestTime;
        m_config.TimeStyle = 0;
        m_config.CountTime = kDefaultPlayTime;
        Save();
    }
    return true;
}

bool CWarrowControl::Peek() {
    ltl::CIni ini(false, -1, "");
    if (!ini.Open(kConfigFile)) {
        return false;
    }
    m_config.ID = ini.GetInt("System", "ID");
    ReadSettings(ini);
    return true;
}

void CWarrowControl::WriteKeys(bool timeOnly, const std::vector<ltl::CIni::Entry>& more) {
    std::vector<ltl::CIni::Entry> entries;
    auto put = [&entries](const char* section, const char* key, int value) {
        entries.push_back({section, key, std::to_string(value)});
    };
    if (!timeOnly) {
        put("Setup", "IsAutoStart", m_config.IsAutoStart);
        put("Setup", "StartStyle", m_config.StartStyle);
        put("Setup", "UpdateStyle", m_config.UpdateStyle);
        put("Time", "PlayTime", m_config.PlayTime);
        put("Time", "RestTime", m_config.RestTime);
    }
    put("Time", "TimeStyle", m_config.TimeStyle);
    put("Time", "CountTime", m_config.CountTime);
    entries.insert(entries.end(), more.begin(), more.end());
    if (child_accounts::RunsInChildAccount()) {
        // The file is not the child's to write: the service stores the
        // counters, and nothing else, for the child's shell.
        if (!timeOnly || !platform::PostServiceRequest(platform::kStoreTimeRequest, FormatStore(entries))) {
            core::ReportError("保存配置文件失败");
        }
        return;
    }
    ltl::CIni ini(false, -1, "");
    if (!ini.Open(kConfigFile)) {
        core::ReportError("保存配置文件失败");
        return;
    }
    // One atomic replace: another program never reads half of a save.
    ini.SetStrings(entries);
}

void CWarrowControl::Save() {
    WriteKeys(false);
}

void CWarrowControl::SaveTime() {
    WriteKeys(true);
}

void CWarrowControl::SaveTime(const std::vector<ltl::CIni::Entry>& more) {
    WriteKeys(true, more);
}

void CWarrowControl::ChangeStyle(enWarrowStyle style) {
    // Programs of the suite run with the installation folder as their current
    // directory, and find each other there.
    const std::string folder = platform::ProgramDirectory();
    platform::ChangeDirectory(folder);
    // A running service starts it, so it knows when child mode begins and
    // ends (a shell that ends without this request is started again).
    if (platform::PostServiceMessage(platform::kChangeStyleMessage, style)) {
        return;
    }
    std::string error;
    if (!platform::StartForConsoleUser(platform::JoinPath(folder, ProgramForStyle(style)), folder, &error)) {
        std::fprintf(stderr, "%s: %s\n", ProgramForStyle(style), error.c_str());
    }
}
