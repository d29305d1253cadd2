#pragma once
// A fresh folder made current for one test, standing in for the installation
// folder the updater runs in; also the user's runtime folder, so that the
// updater's lock and a stand-in console's mailbox are private to the test.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

class UpdateTestFolder : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_root =
            std::filesystem::temp_directory_path() / ("warrow-update-" + std::to_string(::getpid()) + "-" +
                                                      info->test_suite_name() + "-" + info->name());
        std::filesystem::remove_all(m_root);
        m_folder = m_root / "install";
        std::filesystem::create_directories(m_folder);
        // Short: socket paths in it must stay within 108 bytes.
        char runtime[] = "/tmp/wu-XXXXXX";
        ASSERT_NE(::mkdtemp(runtime), nullptr);
        m_runtime = runtime;
        setenv("XDG_RUNTIME_DIR", m_runtime.c_str(), 1);
        m_previous = std::filesystem::current_path();
        std::filesystem::current_path(m_folder);
    }
    void TearDown() override {
        std::filesystem::current_path(m_previous);
        std::filesystem::remove_all(m_root);
        std::filesystem::remove_all(m_runtime);
    }

    static void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    }
    static std::string ReadFile(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }
    static std::vector<std::string> Lines(const std::string& text) {
        std::vector<std::string> lines;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
    // Every file below `folder`, relative to it, sorted.
    static std::vector<std::string> FilesUnder(const std::filesystem::path& folder) {
        std::vector<std::string> files;
        if (std::filesystem::exists(folder))
            for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
                if (!entry.is_directory())
                    files.push_back(std::filesystem::relative(entry.path(), folder).string());
        std::sort(files.begin(), files.end());
        return files;
    }

    std::filesystem::path m_root;    // holds the installation folder and what a test adds
    std::filesystem::path m_folder;  // the installation folder, current
    std::filesystem::path m_runtime; // XDG_RUNTIME_DIR
    std::filesystem::path m_previous;
};
