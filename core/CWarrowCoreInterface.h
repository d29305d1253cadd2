#pragma once

#include "core/CIEListMng.h"
#include "core/CVolumeControl.h"
#include "core/CWarrowControl.h"
#include "core/CWarrowDBConfig.h"
#include "core/CWarrowLog.h"
#include "core/CWriteListMng.h"
#include "core/ErrorReporter.h"
#include "ltl/CSingleton.h"
#include "platform/OsInfo.h"

#include <memory>
#include <string>

using platform::OSVERSIONINFOA;

// Where every program finds its settings: the database file and its password,
// relative to the installation folder (the programs' current directory).
constexpr const char* kDataBasePath = "DataBase/DataBase.db";
constexpr const char* kCacheDataBasePath = "DataBase/Cache.db";
constexpr const char* kDataBasePassword = "quorlind4286";

// A resolved application launcher.
struct tagLink {
    std::string WorkingDirectory;
    std::string Target;
    std::string Arguments;
    std::string Reserved; // left empty
};

// The facade every program opens first: it owns the allow-list, the web tree,
// the Config.ini settings, the account record, the activity log and the volume.
class CWarrowCoreInterface : public ltl::CSingleton<CWarrowCoreInterface> {
public:
    CWarrowCoreInterface() = default;
    ~CWarrowCoreInterface() override;

    // Creates every component and loads all but the activity log, which is
    // read when first asked for. Database and Config.ini problems
    // show through the reporter and the components' contents, not the result.
    bool Init(const char* dbPath, const char* dbPassword, ErrorReporter reporter);
    // The settings database this process reads: the one Init was given, or
    // the child's copy in a child account.
    const std::string& SettingsPath() const { return m_settingsPath; }
    // Drops the allow-list and every database connection.
    void Exit();

    CWriteListMng* GetWLMng() { return m_pWriteList.get(); }
    CIEListMng* GetIEMng() { return m_pIEList.get(); }
    CWarrowControl* GetWRControl() { return m_pControl.get(); }
    CWarrowDBConfig* GetDBConfig() { return m_pDBConfig.get(); }
    CWarrowLog* GetLog() { return m_pLog.get(); }
    CVolumeControl* GetVolumeControl() { return m_pVolume.get(); }
    OSVERSIONINFOA& GetOsInfo() { return m_osInfo; }

    // X11 has no message filter: every message already reaches its window.
    bool RegisterMessage(unsigned int message, unsigned long action);
    // Appends a formatted line to the activity log.
    void LogOut(const char* format, ...) __attribute__((format(printf, 2, 3)));

private:
    std::unique_ptr<CWriteListMng> m_pWriteList;
    std::unique_ptr<CWarrowControl> m_pControl;
    std::unique_ptr<CWarrowDBConfig> m_pDBConfig;
    std::unique_ptr<CWarrowLog> m_pLog;
    std::unique_ptr<CIEListMng> m_pIEList;
    std::unique_ptr<CVolumeControl> m_pVolume;
    OSVERSIONINFOA m_osInfo{};
    std::string m_settingsPath = kDataBasePath;
};

// "Winxp Service Pack 3" for Windows records; "Linux <distribution> <kernel>" for Linux ones.
bool FormatOSInfo(char* dest, int size, const OSVERSIONINFOA& info);

// Resolves an application launcher (.desktop file) into its working
// directory, program (through PATH) and arguments. Anything that is not a
// launcher gives a negative result and leaves `link` unchanged.
long ResolveIt(unsigned long ownerWindow, const char* path, tagLink& link);

constexpr long kResolveFailed = -2147467259L; // the E_FAIL result
