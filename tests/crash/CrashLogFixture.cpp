#include "tests/crash/CrashLogFixture.h"

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void CCrashLogFixture::SetUp() {
    char pattern[] = "/tmp/warrow-crash-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    m_dir = pattern;
    std::ofstream(m_dir / "Config.ini") << "[System]\nID=1\n\n[version]\n ver = 1_2_3_4 \n";
}

void CCrashLogFixture::TearDown() {
    std::error_code ignored;
    fs::remove_all(m_dir, ignored);
}

tagCrashRun CCrashLogFixture::Run(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {CRASH_HELPER_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> pointers;
    for (std::string& arg : argv)
        pointers.push_back(arg.data());
    pointers.push_back(nullptr);

    const std::string out = (m_dir / "helper.out").string();
    const std::string err = (m_dir / "helper.err").string();
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(m_dir.c_str()) != 0)
            _exit(90);
        dup2(open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDOUT_FILENO);
        dup2(open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDERR_FILENO);
        // "ASAN_OPTIONS=..." for the helper; our own sanitizer settings stay ours.
        if (const char* options = std::getenv("CRASH_HELPER_ASAN_OPTIONS"))
            putenv(const_cast<char*>(options));
        execv(pointers[0], pointers.data());
        _exit(91);
    }
    tagCrashRun run;
    int status = 0;
    EXPECT_EQ(waitpid(pid, &status, 0), pid);
    if (WIFEXITED(status))
        run.nExitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        run.nSignal = WTERMSIG(status);
    run.strOut = ReadText(out);
    run.strErr = ReadText(err);
    for (const auto& entry : fs::recursive_directory_iterator(m_dir))
        if (entry.path().filename().string().rfind("crash[", 0) == 0)
            run.logNames.push_back(entry.path().filename().string());
    if (!run.logNames.empty())
        run.strLog = ReadText(m_dir / run.logNames.front());
    return run;
}

std::optional<std::vector<std::string>> CCrashLogFixture::SenderRecord() {
    // The sender is detached from the crashed program; give it ample time.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!SenderStarted()) {
        if (std::chrono::steady_clock::now() > deadline)
            return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::vector<std::string> lines;
    std::istringstream in(ReadText(m_dir / "report-started.txt"));
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

bool CCrashLogFixture::SenderStarted() const {
    return fs::exists(m_dir / "report-started.txt");
}

int CCrashLogFixture::SourceLine(const std::string& marker) {
    std::istringstream in(ReadText(CRASH_HELPER_SOURCE));
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        if (line.find(marker) != std::string::npos)
            return number;
    }
    ADD_FAILURE() << "no line marked " << marker;
    return 0;
}

std::string CCrashLogFixture::FrameLine(const std::string& log, const std::string& function,
                                        const std::string& marker) {
    // The folder before the source's path inside the tree is the one the
    // helper was compiled in, which a compiler cache may have done in another
    // checkout of the same sources: only the path from the tree's root on is
    // checked.
    const std::string location =
        "/tests/helpers/crash/CrashHelper.cpp, 第" + std::to_string(SourceLine(marker)) + "行";
    const std::string padded = "\t" + function + std::string(32 - function.size() / 31, ' ') + "/";
    std::istringstream in(log);
    for (std::string line; std::getline(in, line);) {
        const std::size_t at = line.find(padded);
        if (at != std::string::npos && line.size() > location.size() &&
            line.compare(line.size() - location.size(), location.size(), location) == 0 &&
            line.find('\t', at + padded.size()) == std::string::npos)
            return line;
    }
    return {};
}
