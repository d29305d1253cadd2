#pragma once
// Runs the crashing helper in a scratch folder (holding a Config.ini) and
// collects what it left: exit status, output, crash logs, the stand-in
// report sender's record.

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

struct tagCrashRun {
    int nExitCode = -1; // when the helper exited
    int nSignal = 0;    // when a signal ended it
    std::string strOut;
    std::string strErr;
    std::vector<std::string> logNames;
    std::string strLog; // the first log's text
};

class CCrashLogFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    tagCrashRun Run(const std::vector<std::string>& args);
    // The stand-in sender's record (command line, executable, directory);
    // waits for the detached sender to finish writing it.
    std::optional<std::vector<std::string>> SenderRecord();
    bool SenderStarted() const;

    // Line number of the helper's source line that carries `marker`.
    static int SourceLine(const std::string& marker);
    // The log line of a frame of `function` at `marker`'s line, or "".
    static std::string FrameLine(const std::string& log, const std::string& function,
                                 const std::string& marker);

    std::filesystem::path m_dir;
};

std::string ReadText(const std::filesystem::path& path);
