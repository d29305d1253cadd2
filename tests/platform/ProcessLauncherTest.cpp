#include "platform/ProcessLauncher.h"
#include "platform/Paths.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::string WaitForFile(const fs::path& path) {
    for (int i = 0; i < 200 && !fs::exists(path); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(ProcessLauncherTest, StartsDetachedWithArgumentsFolderAndEnvironment) {
    const fs::path dir = fs::temp_directory_path() / ("launch-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path out = dir / "out";
    platform::LaunchRequest request;
    request.program = "/bin/sh";
    request.arguments = {
        "-c", "echo \"$PWD|$1|$WARROW_X|$(cut -d' ' -f4 /proc/$$/stat)\" > out.tmp && mv out.tmp out", "sh",
        "two words"};
    request.workingDirectory = dir.string();
    request.environment = {"WARROW_X=yes", "PATH=/usr/bin:/bin"};
    std::string error;
    ASSERT_TRUE(platform::StartDetached(request, &error)) << error;
    const std::string line = WaitForFile(out);
    EXPECT_EQ(line.substr(0, line.rfind('|')), dir.string() + "|two words|yes");
    EXPECT_NE(line.substr(line.rfind('|') + 1), std::to_string(::getpid()) + "\n") << "not our child";
    fs::remove_all(dir);
}

TEST(ProcessLauncherTest, TellsTheIdOfTheStartedProcess) {
    const fs::path out = fs::temp_directory_path() / ("launch-pid-" + std::to_string(::getpid()));
    pid_t pid = 0;
    ASSERT_TRUE(platform::StartDetached({"/bin/sh",
                                         {"-c", "echo $$ > \"$0.tmp\" && mv \"$0.tmp\" \"$0\"", out.string()},
                                         "",
                                         {},
                                         false,
                                         0,
                                         0,
                                         {}},
                                        nullptr, &pid));
    EXPECT_EQ(WaitForFile(out), std::to_string(pid) + "\n");
    fs::remove(out);
}

TEST(ProcessLauncherTest, ReportsProgramsThatCannotRun) {
    std::string error;
    errno = 0;
    EXPECT_FALSE(platform::StartDetached({"/nonexistent/program", {}, "", {}, false, 0, 0, {}}, &error));
    EXPECT_NE(error.find("cannot execute"), std::string::npos) << error;
    EXPECT_EQ(errno, ENOENT) << "the code of the failure reaches the caller";
    EXPECT_FALSE(
        platform::StartDetached({"/bin/true", {}, "/nonexistent/folder", {}, false, 0, 0, {}}, &error));
    EXPECT_NE(error.find("working directory"), std::string::npos) << error;
}

// A systemd scope must hold the program before it can start anything: the
// call made before the exec sees the launcher's own program, not the new one.
TEST(ProcessLauncherTest, TheCallBeforeExecSeesTheProcessBeforeItRunsTheProgram) {
    const fs::path out = fs::temp_directory_path() / ("launch-gate-" + std::to_string(::getpid()));
    fs::remove(out);
    platform::LaunchRequest request;
    request.program = "/bin/sh";
    request.arguments = {"-c", "echo ran > \"$0\"", out.string()};
    pid_t seen = 0;
    bool ranAlready = true;
    std::string runningThen;
    request.beforeExec = [&](pid_t pid) {
        seen = pid;
        ranAlready = fs::exists(out);
        std::error_code error;
        runningThen = fs::read_symlink("/proc/" + std::to_string(pid) + "/exe", error).string();
    };
    pid_t pid = 0;
    std::string error;
    ASSERT_TRUE(platform::StartDetached(request, &error, &pid)) << error;
    EXPECT_EQ(seen, pid);
    EXPECT_FALSE(ranAlready);
    EXPECT_EQ(runningThen, fs::read_symlink("/proc/self/exe").string()) << "still the launcher's copy";
    EXPECT_EQ(WaitForFile(out), "ran\n") << "and it runs once the call returned";
    fs::remove(out);

    request.program = "/nonexistent/program";
    seen = 0;
    errno = 0;
    EXPECT_FALSE(platform::StartDetached(request, &error));
    EXPECT_GT(seen, 0) << "the call comes before the exec, whatever the exec does";
    EXPECT_EQ(errno, ENOENT) << "a failed exec is still reported";
}

TEST(PathsTest, FindsProgramsInPathAndJoinsFolders) {
    EXPECT_EQ(platform::FindInPath("sh").empty(), false);
    EXPECT_EQ(platform::FindInPath("no-such-program-warrow"), "");
    EXPECT_EQ(platform::FindInPath("/given/path"), "/given/path");
    EXPECT_EQ(platform::JoinPath("/a/", "b"), "/a/b");
    EXPECT_EQ(platform::JoinPath("/a", "b"), "/a/b");
    EXPECT_EQ(platform::ProgramDirectory() + "/" + fs::path(platform::ProgramPath()).filename().string(),
              platform::ProgramPath());
}

} // namespace
