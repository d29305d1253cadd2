#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// `warrowctl child` on a real second user, created for the test (root only)
// and removed in teardown whatever happened.
class ChildCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (::geteuid() != 0) {
            GTEST_SKIP() << "needs root to create and remove a second user";
        }
        m_user = "wkid" + std::to_string(::getpid());
        m_dir = fs::temp_directory_path() / ("child-" + m_user);
        fs::remove_all(m_dir);
        fs::create_directories(m_dir / "install");
        fs::create_directories(m_dir / "accounts");
        ASSERT_EQ(
            std::system(("useradd -M -G sudo " + m_user + " && passwd -d " + m_user + " >/dev/null").c_str()),
            0);
        m_created = true;
        ASSERT_EQ(Run("init").status, 0);
        ::setenv("WARROW_ACCOUNTSSERVICE_DIR", (m_dir / "accounts").c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("WARROW_ACCOUNTSSERVICE_DIR");
        if (m_created) {
            EXPECT_EQ(std::system(("userdel " + m_user + " 2>/dev/null").c_str()), 0);
        }
        if (!m_dir.empty()) {
            fs::remove_all(m_dir);
        }
    }

    struct Result {
        int status;
        std::string out;
        std::string err;
    };
    Result Run(const std::string& arguments) {
        const fs::path err = m_dir / "stderr.txt";
        const std::string command = std::string(std::getenv("WARROWCTL")) + " --dir '" +
                                    (m_dir / "install").string() + "' " + arguments + " 2>'" + err.string() +
                                    "'";
        FILE* pipe = ::popen(command.c_str(), "r");
        std::string out;
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
            out.append(buffer, n);
        }
        const int status = ::pclose(pipe);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out, Read(err)};
    }
    static std::string Read(const fs::path& path) {
        std::ifstream in(path);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    std::string m_user;
    fs::path m_dir;
    bool m_created = false;
};

TEST_F(ChildCommandTest, AddMarksTheAccountSetsItsSessionAndWarnsOfAdministratorsAndEmptyPasswords) {
    std::ofstream(m_dir / "accounts" / m_user) << "[User]\nLanguage=zh_CN.UTF-8\nXSession=gnome\n";
    const Result added = Run("child add " + m_user);
    EXPECT_EQ(added.status, 0) << added.err;
    EXPECT_NE(added.err.find("warning: " + m_user + " is in the group sudo"), std::string::npos) << added.err;
    EXPECT_NE(added.err.find("warning: " + m_user + " has no password"), std::string::npos) << added.err;
    EXPECT_EQ(Read(m_dir / "accounts" / m_user),
              "[User]\nLanguage=zh_CN.UTF-8\nXSession=warrow\nSession=warrow\n");
    EXPECT_EQ(Run("child list").out, m_user + "\n");

    // The doctor sees the same weaknesses on this machine's real files.
    const Result doctor = Run("doctor");
    EXPECT_EQ(doctor.status, 1);
    EXPECT_NE(doctor.out.find("admin-group\tchild account " + m_user + " is in the group sudo"),
              std::string::npos)
        << doctor.out;
    EXPECT_NE(doctor.out.find("no-password\tchild account " + m_user), std::string::npos) << doctor.out;

    EXPECT_EQ(Run("child del " + m_user).status, 0);
    EXPECT_EQ(Run("child list").out, "");
}

TEST_F(ChildCommandTest, UnknownAccountsAndRootAreRefused) {
    EXPECT_EQ(Run("child add nosuchuser" + m_user).status, 1);
    EXPECT_EQ(Run("child add root").status, 1);
    EXPECT_EQ(Run("child add").status, 2);
    EXPECT_EQ(Run("child list").out, "");
}

} // namespace
