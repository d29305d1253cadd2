#include "tests/tools/FreshInstallation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

const char* const kGroups = "root:x:0:\nsudo:x:27:parent\nadm:x:4:syslog\nparent:x:1000:\nkid:x:1001:\n"
                            "warrow:x:4242:parent\n";

constexpr uid_t kParent = 1000;
constexpr uid_t kKid = 1001;
constexpr gid_t kParents = 4242; // "warrow" in the fixture's group file

// `warrowctl doctor` on a fixture: a system root with a parent and one child
// account "kid", set up cleanly, and an installation folder laid out as a
// protected installation (root's, the parents' group may write).
class DoctorTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (::geteuid() != 0) {
            GTEST_SKIP() << "the installation folder of the fixture must be root's: run as root";
        }
        m_dir = fs::temp_directory_path() / ("doctor-" + std::to_string(::getpid()) + "-" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        Write("root/etc/passwd", "root:x:0:0::/root:/bin/sh\nparent:x:1000:1000::/home/parent:/bin/sh\n"
                                 "kid:x:1001:1001::/home/kid:/bin/sh\n");
        Write("root/etc/group", kGroups);
        Write("root/etc/shadow", "root:*:19000::::::\nkid:$y$abc:19000::::::\n");
        Write("root/usr/share/xsessions/warrow.desktop", "[Desktop Entry]\nName=Warrow\n");
        Write("root/var/lib/AccountsService/users/kid", "[User]\nXSession=warrow\n");
        Write("root/etc/X11/xorg.conf.d/50-warrow.conf",
              "Section \"ServerFlags\"\n  Option \"DontVTSwitch\" \"true\"\n  Option \"DontZap\" "
              "\"true\"\nEndSection\n");
        Write("root/etc/default/keyboard", "XKBOPTIONS=\"terminate:ctrl_alt_bksp\"\n");
        Write("root/etc/systemd/system/multi-user.target.wants/Warrow.service", "");
        fs::create_directories(Install());
        ASSERT_TRUE(CopyFreshInstallation(Install()));
        std::ofstream(Install() / "Config.ini", std::ios::app) << "[ChildAccounts]\nUsers=kid\n";
        Write("install/DataBase/ChildView.db", "");
        Protect(Install(), kParents, 02775);
        Protect(Install() / "Config.ini", kParents, 0664);
        Protect(Install() / "DataBase", kParents, 02775);
        Protect(Install() / "DataBase/DataBase.db", kParents, 0660);
        Protect(Install() / "DataBase/Cache.db", kParents, 0660);
        Protect(Install() / "DataBase/ChildView.db", 0, 0644);
    }
    static void Protect(const fs::path& path, gid_t gid, mode_t mode, uid_t uid = 0) {
        ASSERT_EQ(::chown(path.c_str(), uid, gid), 0) << path;
        ASSERT_EQ(::chmod(path.c_str(), mode), 0) << path;
    }
    void TearDown() override {
        if (!m_dir.empty()) {
            fs::remove_all(m_dir);
        }
    }

    fs::path Install() const { return m_dir / "install"; }
    void Write(const std::string& relative, const std::string& text) {
        fs::create_directories((m_dir / relative).parent_path());
        std::ofstream(m_dir / relative) << text;
    }

    struct Result {
        int status;
        std::string out;
    };
    Result Run(const std::string& arguments) {
        const std::string command = std::string(std::getenv("WARROWCTL")) + " --dir '" + Install().string() +
                                    "' " + arguments + " 2>/dev/null";
        FILE* pipe = ::popen(command.c_str(), "r");
        std::string out;
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
            out.append(buffer, n);
        }
        const int status = ::pclose(pipe);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
    }
    Result Doctor(const std::string& options = "") {
        return Run("doctor --root '" + (m_dir / "root").string() + "' " + options);
    }

    fs::path m_dir;
};

TEST_F(DoctorTest, ACleanSetupHasNothingToSay) {
    const Result result = Doctor();
    EXPECT_EQ(result.status, 0) << result.out;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(Doctor("--json").out, "[]\n");

    // What a parent's console leaves behind: Config.ini replaced as the
    // parent, a database's write-ahead log created as the parent.
    Protect(Install() / "Config.ini", kParents, 0664, kParent);
    Write("install/DataBase/DataBase.db-wal", "");
    Protect(Install() / "DataBase/DataBase.db-wal", kParents, 0660, kParent);
    const Result afterConsole = Doctor();
    EXPECT_EQ(afterConsole.status, 0) << afterConsole.out;
}

TEST_F(DoctorTest, EachPlantedWeaknessIsFoundWithAFix) {
    const std::vector<std::pair<std::string, std::function<void()>>> weaknesses = {
        {"admin-group",
         [&] {
             std::string groups = kGroups;
             Write("root/etc/group", groups.replace(groups.find("27:parent"), 9, "27:parent,kid"));
         }},
        {"no-password", [&] { Write("root/etc/shadow", "kid::19000::::::\n"); }},
        {"other-sessions",
         [&] { Write("root/usr/share/wayland-sessions/gnome.desktop", "[Desktop Entry]\n"); }},
        {"child-session", [&] { Write("root/var/lib/AccountsService/users/kid", "[User]\nSession=xfce\n"); }},
        {"autologin",
         [&] { Write("root/etc/lightdm/lightdm.conf.d/10-auto.conf", "[Seat:*]\nautologin-user=kid\n"); }},
        {"autologin", [&] { Write("root/etc/gdm3/daemon.conf", "[daemon]\nAutomaticLoginEnable = True\n"); }},
        {"vt-switch",
         [&] {
             Write("root/etc/X11/xorg.conf.d/50-warrow.conf",
                   "Section \"ServerFlags\"\n  Option \"DontZap\" \"true\"\nEndSection\n");
         }},
        {"zap",
         [&] {
             Write("root/etc/X11/xorg.conf.d/50-warrow.conf",
                   "Option \"DontVTSwitch\" \"true\"\n# Option \"DontZap\" \"true\"\n");
         }},
        {"writable-settings", [&] { ::chmod((Install() / "Config.ini").c_str(), 0666); }},
        {"writable-settings", [&] { ASSERT_EQ(::chown(Install().c_str(), kKid, kKid), 0); }},
        {"writable-settings", [&] { Protect(Install() / "Config.ini", kParents, 0664, kKid); }},
        {"writable-settings", [&] { Protect(Install() / "DataBase", kKid, 02775); }},
        {"writable-settings", [&] { Protect(Install() / "DataBase/ChildView.db", 0, 0666); }},
        {"readable-database", [&] { ::chmod((Install() / "DataBase/DataBase.db").c_str(), 0664); }},
        {"readable-database",
         [&] {
             Write("install/DataBase/Cache.db-wal", "");
             Protect(Install() / "DataBase/Cache.db-wal", kKid, 0640);
         }},
        {"readable-database",
         [&] {
             Write("install/DataBase/DataBase.db.bak", "");
             Protect(Install() / "DataBase/DataBase.db.bak", 0, 0644);
         }},
        {"child-in-parent-group",
         [&] {
             std::string groups = kGroups;
             Write("root/etc/group", groups.replace(groups.find("4242:parent"), 11, "4242:parent,kid"));
         }},
        {"child-in-parent-group",
         [&] { Write("root/etc/passwd", "parent:x:1000:1000::/:/bin/sh\nkid:x:1001:4242::/:/bin/sh\n"); }},
        {"service-disabled",
         [&] { fs::remove(m_dir / "root/etc/systemd/system/multi-user.target.wants/Warrow.service"); }},
    };
    for (const auto& [id, plant] : weaknesses) {
        SCOPED_TRACE(id);
        TearDown();
        SetUp();
        plant();
        const Result result = Doctor();
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.out.rfind(id + "\t", 0), 0u) << result.out;
        EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 1)
            << "only the planted one: " << result.out;
        const std::string json = Doctor("--json").out;
        EXPECT_NE(json.find("{\"id\": \"" + id + "\", \"problem\": \""), std::string::npos) << json;
        EXPECT_NE(json.find("\"fix\": \""), std::string::npos);
    }
}

} // namespace
