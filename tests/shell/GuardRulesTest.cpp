// Which script an interpreter is judged by, and the root-kept list of
// trusted helpers.

#include "shell/InterpretedScript.h"
#include "shell/TrustedPrograms.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class GuardRulesTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("guard-rules-" + std::to_string(::getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        m_dir = fs::canonical(m_dir);
        m_sh = fs::canonical("/bin/sh").string();
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string Write(const std::string& name, const std::string& text) {
        std::ofstream(m_dir / name) << text;
        return (m_dir / name).string();
    }

    fs::path m_dir;
    std::string m_sh;
};

TEST_F(GuardRulesTest, AScriptCountsOnlyWhereTheKernelWouldHandItToTheRunningInterpreter) {
    const std::string game = Write("game.sh", "#!/bin/sh\necho\n");
    const std::string viaEnv = Write("env.sh", "#!/usr/bin/env sh\necho\n");
    const std::string withOption = Write("opt.sh", "#!/bin/sh -e\necho\n");
    const std::string plain = Write("notes.txt", "no interpreter line\n");

    EXPECT_EQ(ScriptOfCommand({"sh", game}, m_sh), game);
    EXPECT_EQ(ScriptOfCommand({"sh", "game.sh"}, m_sh), "")
        << "relative to a folder the process may have changed";
    EXPECT_EQ(ScriptOfCommand({"sh", viaEnv}, m_sh), viaEnv);
    EXPECT_EQ(ScriptOfCommand({"/bin/sh", "-e", withOption}, m_sh), withOption);

    EXPECT_EQ(ScriptOfCommand({"sh", "-c", game}, m_sh), "") << "code on the command line";
    EXPECT_EQ(ScriptOfCommand({"sh", plain}, m_sh), "") << "no #! line";
    EXPECT_EQ(ScriptOfCommand({"xterm", game}, "/usr/bin/xterm"), "") << "not the script's interpreter";
    EXPECT_EQ(ScriptOfCommand({"sh"}, m_sh), "");
    EXPECT_EQ(ScriptOfCommand({"sh", (m_dir / "missing.sh").string()}, m_sh), "");
    EXPECT_EQ(ScriptOfProcess(::getpid(), "/usr/bin/nothing"), "");
}

TEST_F(GuardRulesTest, TrustedProgramsAreReadOnlyFromAListOnlyRootCanChange) {
    const std::string list = Write("trusted", "# helpers\n/bin/sh\n\nrelative/name\n/no/such/program\n");
    ::chmod(list.c_str(), 0644);
    ::chmod(m_dir.c_str(), 0755);
    EXPECT_EQ(ReadTrustedPrograms(list), std::set<std::string>{m_sh});
    ::chmod(list.c_str(), 0666);
    EXPECT_TRUE(ReadTrustedPrograms(list).empty()) << "anyone could add to it";
    ::chmod(list.c_str(), 0644);
    ::chmod(m_dir.c_str(), 0777);
    EXPECT_TRUE(ReadTrustedPrograms(list).empty()) << "anyone could replace it";
    EXPECT_TRUE(ReadTrustedPrograms((m_dir / "missing").string()).empty());
}

TEST_F(GuardRulesTest, OnlyAProgramWhosePathOnlyRootCanChangeCountsAsInstalledByRoot) {
    EXPECT_TRUE(InstalledByRoot(m_sh));
    const std::string copy = Write("openbox", "#!/bin/sh\n");
    ::chmod(copy.c_str(), 0755);
    ::chmod(m_dir.c_str(), 0755);
    EXPECT_FALSE(InstalledByRoot(copy)) << "below a folder everybody may write (/tmp)";
    EXPECT_FALSE(InstalledByRoot("bin/sh"));
    EXPECT_FALSE(InstalledByRoot("/no/such/program"));
}

} // namespace
