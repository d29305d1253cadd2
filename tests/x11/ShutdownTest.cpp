// Powering off and rebooting: through logind, or through the stand-in
// command that keeps tests and demonstrations from powering anything off.

#include "platform/x11/DeskGuard.h"
#include "tests/x11/Spawn.h"

#include <gtest/gtest.h>
#include <systemd/sd-bus.h>

#include <atomic>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A bus of its own (dbus-daemon with the session policy, which lets anyone
// own any name) and a logind stand-in on it that records what it is asked.
class CFakeLogind {
public:
    explicit CFakeLogind(const fs::path& dir) {
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0)
            return;
        m_daemon = Spawn({"dbus-daemon", "--session", "--nofork", "--print-address",
                          "--address=unix:path=" + (dir / "bus").string()},
                         {{out[1], 1}, {-1, 2}});
        close(out[1]);
        char ch = 0;
        while (m_daemon > 0 && read(out[0], &ch, 1) == 1 && ch != '\n')
            m_address += ch;
        close(out[0]);
        if (m_address.empty() || !Serve())
            m_address.clear();
    }

    ~CFakeLogind() {
        m_bStop = true;
        if (m_thread.joinable())
            m_thread.join();
        sd_bus_slot_unref(m_pSlot);
        sd_bus_flush_close_unref(m_pBus);
        if (m_daemon > 0) {
            kill(m_daemon, SIGTERM);
            waitpid(m_daemon, nullptr, 0);
        }
    }

    // Empty when the bus or the stand-in did not come up.
    const std::string& Address() const { return m_address; }

    std::vector<std::string> Calls() {
        std::lock_guard<std::mutex> hold(m_lock);
        return m_calls;
    }

private:
    bool Serve() {
        static const sd_bus_vtable vtable[] = {
            SD_BUS_VTABLE_START(0),
            SD_BUS_METHOD("PowerOff", "b", "", &CFakeLogind::Method, 0),
            SD_BUS_METHOD("Reboot", "b", "", &CFakeLogind::Method, 0),
            SD_BUS_VTABLE_END,
        };
        if (sd_bus_new(&m_pBus) < 0 || sd_bus_set_address(m_pBus, m_address.c_str()) < 0 ||
            sd_bus_set_bus_client(m_pBus, 1) < 0 || sd_bus_start(m_pBus) < 0 ||
            sd_bus_add_object_vtable(m_pBus, &m_pSlot, "/org/freedesktop/login1",
                                     "org.freedesktop.login1.Manager", vtable, this) < 0 ||
            sd_bus_request_name(m_pBus, "org.freedesktop.login1", 0) < 0)
            return false;
        m_thread = std::thread([this] {
            while (!m_bStop) {
                if (sd_bus_process(m_pBus, nullptr) == 0)
                    sd_bus_wait(m_pBus, 20000);
            }
        });
        return true;
    }

    static int Method(sd_bus_message* message, void* self, sd_bus_error*) {
        int interactive = -1;
        sd_bus_message_read(message, "b", &interactive);
        auto* logind = static_cast<CFakeLogind*>(self);
        {
            std::lock_guard<std::mutex> hold(logind->m_lock);
            logind->m_calls.push_back(std::string(sd_bus_message_get_member(message)) + " " +
                                      (interactive ? "interactive" : "not interactive"));
        }
        return sd_bus_reply_method_return(message, "");
    }

    pid_t m_daemon = -1;
    std::string m_address;
    sd_bus* m_pBus = nullptr;
    sd_bus_slot* m_pSlot = nullptr;
    std::thread m_thread;
    std::atomic<bool> m_bStop{false};
    std::mutex m_lock;
    std::vector<std::string> m_calls;
};

class ShutdownTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/warrow-shutdown-XXXXXX";
        ASSERT_TRUE(mkdtemp(pattern));
        m_dir = pattern;
        // Never the machine's own system bus.
        setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + (m_dir / "no-bus").string()).c_str(), 1);
        unsetenv("WARROW_SHUTDOWN_COMMAND");
    }
    void TearDown() override {
        unsetenv("WARROW_SHUTDOWN_COMMAND");
        unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
        fs::remove_all(m_dir);
    }
    fs::path m_dir;
};

TEST_F(ShutdownTest, TheStandInCommandRunsWithTheActionAsItsArgument) {
    const fs::path log = m_dir / "actions";
    setenv("WARROW_SHUTDOWN_COMMAND", ("printf '%s\\n' \"$1\" >> '" + log.string() + "'").c_str(), 1);
    EXPECT_EQ(DG_SystemShutdown(0), 1);
    EXPECT_EQ(DG_SystemShutdown(1), 1);
    EXPECT_EQ(DG_SystemShutdown(2), 0);
    EXPECT_EQ(DG_SystemShutdown(-1), 0);
    EXPECT_EQ(ReadAll(log), "poweroff\nreboot\n");

    setenv("WARROW_SHUTDOWN_COMMAND", "exit 3", 1);
    EXPECT_EQ(DG_SystemShutdown(0), 0);
}

TEST_F(ShutdownTest, WithoutTheCommandLogindIsAskedAndNobodyIsPrompted) {
    EXPECT_EQ(DG_SystemShutdown(0), 0); // no bus

    CFakeLogind logind(m_dir);
    if (logind.Address().empty())
        GTEST_SKIP() << "no dbus-daemon to stand in for the system bus";
    setenv("DBUS_SYSTEM_BUS_ADDRESS", logind.Address().c_str(), 1);
    EXPECT_EQ(DG_SystemShutdown(0), 1);
    EXPECT_EQ(DG_SystemShutdown(1), 1);
    EXPECT_EQ(logind.Calls(),
              (std::vector<std::string>{"PowerOff not interactive", "Reboot not interactive"}));
}

} // namespace
