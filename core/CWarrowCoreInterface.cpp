#include "core/CWarrowCoreInterface.h"

#include "core/CDBManager.h"
#include "core/ChildAccounts.h"
#include "core/ChildView.h"
#include "platform/CommandLine.h"
#include "platform/DesktopEntry.h"
#include "platform/Paths.h"
#include "platform/ServiceRequest.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace {
// How long a child account's program waits for its copy of the settings.
constexpr int kChildViewWaitMs = 5000;
} // namespace

CWarrowCoreInterface::~CWarrowCoreInterface() {
    m_pWriteList.reset();
    CDBManager::Destroy();
    m_pVolume.reset();
    m_pIEList.reset();
    m_pLog.reset();
    m_pDBConfig.reset();
    m_pControl.reset();
}

bool CWarrowCoreInterface::Init(const char* dbPath, const char* dbPassword, ErrorReporter reporter) {
    core::SetErrorReporter(reporter);
    if (child_accounts::RunsInChildAccount() && dbPath != nullptr && std::string(dbPath) == kDataBasePath) {
        // The child's programs read their copy of the settings, which the
        // service writes afresh first; without a service they read the copy
        // it wrote last time, and without a copy nothing at all.
        std::string error;
        if (!platform::AskService(platform::kChildViewRequest, "", kChildViewWaitMs, &error)) {
            std::fprintf(stderr, "settings copy: %s\n", error.c_str());
        }
        dbPath = core::kChildViewPath;
    }
    m_settingsPath = dbPath != nullptr ? dbPath : "";

    m_pWriteList = std::make_unique<CWriteListMng>();
    m_pWriteList->Init(dbPath, dbPassword);
    m_pIEList = std::make_unique<CIEListMng>();
    m_pIEList->Init(dbPath, dbPassword);
    m_pControl = std::make_unique<CWarrowControl>();
    m_pControl->Load();

    CDataBase* db = CDBManager::Instance().GetDataBase(dbPath, dbPassword);
    m_pDBConfig = std::make_unique<CWarrowDBConfig>();
    m_pDBConfig->SetDataBase(db);
    m_pLog = std::make_unique<CWarrowLog>();
    // The log is not read here: most programs only append to it, and it grows
    // without bound. Its list is filled when a caller first asks for it.
    m_pLog->SetDataBase(db);
    if (db != nullptr) {
        m_pDBConfig->Load();
    } else {
        // Once for the account record, once for the log: each stays empty.
        for (int component = 0; component < 2; ++component) {
            core::ReportError("数据文件读取出错");
        }
    }

    platform::GetVersionEx(m_osInfo);
    // The PulseAudio path where a sound server runs, the ALSA mixer otherwise,
    // chosen when a caller first touches the volume.
    m_pVolume = std::make_unique<CVolumeControl>();
    m_pVolume->InitOnFirstUse();
    return true;
}

void CWarrowCoreInterface::Exit() {
    m_pWriteList.reset();
    CDBManager::Destroy();
    // The other components stay, but must no longer reach the database.
    if (m_pIEList) {
        m_pIEList->SetDataBase(nullptr);
    }
    if (m_pDBConfig) {
        m_pDBConfig->SetDataBase(nullptr);
    }
    if (m_pLog) {
        m_pLog->SetDataBase(nullptr);
    }
}

bool CWarrowCoreInterface::RegisterMessage(unsigned int, unsigned long) {
    return true;
}

void CWarrowCoreInterface::LogOut(const char* format, ...) {
    if (format == nullptr || !m_pLog) {
        return;
    }
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    if (length >= 0) {
        std::vector<char> text(static_cast<std::size_t>(length) + 1);
        std::vsnprintf(text.data(), text.size(), format, again);
        if (child_accounts::RunsInChildAccount()) {
            platform::PostServiceRequest(platform::kLogLineRequest, text.data());
        } else {
            m_pLog->Log(text.data());
        }
    }
    va_end(again);
}

bool FormatOSInfo(char* dest, int size, const OSVERSIONINFOA& info) {
    if (dest == nullptr || size <= 0) {
        return false;
    }
    const auto bound = static_cast<std::size_t>(size);
    if (info.dwPlatformId == platform::kPlatformLinux) {
        std::snprintf(dest, bound, "Linux %s", info.szCSDVersion);
        return true;
    }
    const char* name;
    switch (info.dwMajorVersion) {
    case 4:
        name = "Win2000";
        break;
    case 5:
        name = "Winxp";
        break;
    case 6:
        name = "Vista";
        break;
    case 7:
        name = "Win7";
        break;
    default:
        name = "Win98";
        break;
    }
    std::snprintf(dest, bound, "%s %s", name, info.szCSDVersion);
    return true;
}

long ResolveIt(unsigned long, const char* path, tagLink& link) {
    if (path == nullptr) {
        return kResolveFailed;
    }
    const auto entry = platform::ReadDesktopEntry(path);
    if (!entry) {
        return kResolveFailed;
    }
    const std::string target = platform::FindInPath(entry->command.front());
    if (target.empty()) {
        return kResolveFailed;
    }
    link.WorkingDirectory = entry->workingDirectory;
    link.Target = target;
    link.Arguments = platform::QuoteArguments({entry->command.begin() + 1, entry->command.end()});
    link.Reserved.clear();
    return 0;
}
