#pragma once

#include "core/CDBManager.h"
#include "core/CWarrowCoreInterface.h"
#include "core/InstallationSetup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

// A fresh installation folder made current for one test: Config.ini from the
// template with the service's id, and new database files. Collects every
// message the library reports.
class InstallationFolder : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_folder = std::filesystem::temp_directory_path() / ("warrow-" + std::to_string(::getpid()) + "-" +
                                                             info->test_suite_name() + "-" + info->name());
        std::filesystem::remove_all(m_folder);
        std::filesystem::create_directories(m_folder);
        m_previous = std::filesystem::current_path();
        std::filesystem::current_path(m_folder);
        ASSERT_EQ(core::CreateMissingInstallationFiles(m_folder.string()).error, "");
        AppendConfig("\n[System]\nID=77\n");
        Messages().clear();
        CDBManager::SetDefaultErrorHook(&Collect);
        CDataBase::SetTraceStream(nullptr);
    }

    void TearDown() override {
        CWarrowCoreInterface::Free();
        CDBManager::Destroy();
        CDBManager::SetDefaultErrorHook(nullptr);
        CDataBase::SetTraceStream(stdout);
        std::filesystem::current_path(m_previous);
        std::filesystem::remove_all(m_folder);
    }

    void AppendConfig(const std::string& text) { std::ofstream("Config.ini", std::ios::app) << text; }
    void WriteConfig(const std::string& text) { std::ofstream("Config.ini", std::ios::trunc) << text; }

    CDataBase* Db() { return CDBManager::Instance().GetDataBase(kDataBasePath, kDataBasePassword); }

    static std::vector<std::string>& Messages() {
        static std::vector<std::string> messages;
        return messages;
    }
    static void Collect(const char* message) { Messages().emplace_back(message); }

    std::filesystem::path m_folder;
    std::filesystem::path m_previous;
};
