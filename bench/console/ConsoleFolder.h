#pragma once
// A throw-away installation folder for the console's benchmark and pictures:
// Config.ini with a service id, the databases with a stored account (so the
// console starts in its main state, or in its login state without one), and
// the built skin. The folder becomes the current directory.

#include "core/CWarrowCoreInterface.h"
#include "core/CWarrowDBConfig.h"
#include "core/InstallationSetup.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

inline std::filesystem::path MakeConsoleFolder(const char* purpose, bool withAccount) {
    namespace fs = std::filesystem;
    const fs::path folder =
        fs::temp_directory_path() / (std::string(purpose) + "-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    fs::current_path(folder);
    core::CreateMissingInstallationFiles(folder.string());
    std::ofstream("Config.ini", std::ios::app) << "\n[System]\nID=1\n";
    fs::create_directory_symlink(WARROW_RESOURCE_DIR, folder / "Resource");
    if (withAccount) {
        CWarrowDBConfig config;
        config.Init(kDataBasePath, kDataBasePassword);
        config.GetInfo().ID = 88888;
        config.GetInfo().Password = "0123456789abcdef0123456789abcdef";
        config.GetInfo().UserName = "88888";
        config.GetInfo().UserPwd = "parent";
        config.Save();
    }
    return folder;
}
