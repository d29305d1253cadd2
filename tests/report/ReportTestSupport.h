#pragma once
// A scratch folder made current for one test (logs are read from the current
// folder), and the receiving side of a report frame.

#include "net/FrameCutter.h"
#include "net/NetException.h"
#include "net/UserReportMessage.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

class ScratchFolder : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_folder = std::filesystem::temp_directory_path() /
                   ("warrow-report-" + std::to_string(::getpid()) + "-" + info->name());
        std::filesystem::remove_all(m_folder);
        std::filesystem::create_directories(m_folder);
        m_previous = std::filesystem::current_path();
        std::filesystem::current_path(m_folder);
    }
    void TearDown() override {
        std::filesystem::current_path(m_previous);
        std::filesystem::remove_all(m_folder);
    }

    static void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    }

    std::filesystem::path m_folder;
    std::filesystem::path m_previous;
};

// Decodes a packed request as the report server does; null when its frame is refused.
inline std::unique_ptr<user_report_message::CMSG_C2S_REPORT_REQUEST> Receive(const CMsg& msg) {
    const wire::tagFrameCut cut = wire::CutFrame(msg.GetData(), msg.GetSize());
    if (cut.state != wire::enFrameState::Complete || cut.length != msg.GetSize())
        return nullptr;
    auto received = std::make_unique<user_report_message::CMSG_C2S_REPORT_REQUEST>();
    try {
        received->Unpack(msg.GetData(), cut.length, nullptr);
    } catch (const net_exception&) {
        return nullptr;
    }
    return received;
}

inline std::string Text(const std::vector<unsigned char>& bytes) {
    return {bytes.begin(), bytes.end()};
}
