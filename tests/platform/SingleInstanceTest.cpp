#include "platform/SingleInstance.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("instance-" + std::to_string(::getpid()));
        fs::create_directories(m_dir);
        fs::permissions(m_dir, fs::perms::owner_all);
        ::setenv("XDG_RUNTIME_DIR", m_dir.c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("XDG_RUNTIME_DIR");
        fs::remove_all(m_dir);
    }
    fs::path m_dir;
};

TEST_F(SingleInstanceTest, OnlyOneHolderUntilItEnds) {
    auto first = std::make_unique<platform::SingleInstance>("Tavi儿童保护系统 - Warrow");
    ASSERT_TRUE(first->Acquire());
    EXPECT_TRUE(fs::exists(m_dir / "Tavi儿童保护系统___Warrow.lock"));
    platform::SingleInstance second("Tavi儿童保护系统 - Warrow");
    EXPECT_FALSE(second.Acquire());
    platform::SingleInstance other("WarrowTray");
    EXPECT_TRUE(other.Acquire()) << "other programs have their own lock";

    // A holder that dies without cleaning up releases the lock all the same.
    first.reset();
    const pid_t child = ::fork();
    if (child == 0) {
        platform::SingleInstance held("Tavi儿童保护系统 - Warrow");
        ::_exit(held.Acquire() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(second.Acquire());
}

TEST_F(SingleInstanceTest, MessagesReachTheInstanceWithThatTitle) {
    std::string error;
    EXPECT_FALSE(platform::PostToInstance("Warrow", "WM_QUIT", 0, &error)) << "nobody listens yet";
    platform::SingleInstance shell("lock");
    ASSERT_TRUE(shell.Listen("Warrow", &error)) << error;
    ASSERT_TRUE(platform::PostToInstance("Warrow", "WM_QUIT", 0, &error)) << error;
    std::string datagram;
    ASSERT_TRUE(shell.Mailbox().Receive(datagram));
    EXPECT_EQ(datagram, "WM_QUIT 0");
    EXPECT_FALSE(shell.Mailbox().Receive(datagram));
}

} // namespace
