#include "tests/tools/FreshInstallation.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <ostream>
#include <pwd.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

// `warrowctl child` and `protect` on real users, created for the test (root
// only) and removed in teardown whatever happened. The parents' group gets a
// name of the test's own, so the machine's real group is never touched.
class ChildCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (::geteuid() != 0) {
            GTEST_SKIP() << "needs root to create and remove a second user";
        }
        m_user = "wkid" + std::to_string(::getpid());
        m_parentGroup = "wpg" + std::to_string(::getpid());
        m_dir = fs::temp_directory_path() / ("child-" + m_user);
        fs::remove_all(m_dir);
        fs::create_directories(m_dir / "install");
        fs::create_directories(m_dir / "accounts");
        ::setenv("WARROW_PARENT_GROUP", m_parentGroup.c_str(), 1);
        ::unsetenv("SUDO_USER");
        CreateUser(m_user, "-G sudo");
        ASSERT_EQ(std::system(("passwd -d " + m_user + " >/dev/null").c_str()), 0);
        ASSERT_TRUE(CopyFreshInstallation(m_dir / "install"));
        ::setenv("WARROW_ACCOUNTSSERVICE_DIR", (m_dir / "accounts").c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("WARROW_ACCOUNTSSERVICE_DIR");
        ::unsetenv("SUDO_USER");
        for (const auto& user : m_createdUsers) {
            EXPECT_EQ(std::system(("userdel " + user + " 2>/dev/null").c_str()), 0);
        }
        if (!m_parentGroup.empty() && ::getgrnam(m_parentGroup.c_str()) != nullptr) {
            EXPECT_EQ(std::system(("groupdel " + m_parentGroup).c_str()), 0);
        }
        ::unsetenv("WARROW_PARENT_GROUP");
        if (!m_dir.empty()) {
            fs::remove_all(m_dir);
        }
    }

    void CreateUser(const std::string& name, const std::string& options = "") {
        ASSERT_EQ(std::system(("useradd -M " + options + " " + name).c_str()), 0);
        m_createdUsers.push_back(name);
    }
    // Names of the groups of `user`, as the account database has them now.
    static std::string GroupsOf(const std::string& user) {
        FILE* pipe = ::popen(("id -nG " + user).c_str(), "r");
        char buffer[1024] = {};
        const std::size_t n = std::fread(buffer, 1, sizeof buffer - 1, pipe);
        ::pclose(pipe);
        return " " + std::string(buffer, n).substr(0, n > 0 ? n - 1 : 0) + " ";
    }
    struct Layout {
        std::string owner;
        unsigned mode;
        bool operator==(const Layout&) const = default;
    };
    friend std::ostream& operator<<(std::ostream& out, const Layout& l) {
        return out << l.owner << " " << std::oct << l.mode << std::dec;
    }
    Layout LayoutOf(const std::string& relative) const {
        struct stat st {};
        if (::lstat((m_dir / "install" / relative).c_str(), &st) != 0) {
            return {"missing", 0};
        }
        const group* gr = ::getgrgid(st.st_gid);
        return {std::to_string(st.st_uid) + ":" + (gr != nullptr ? gr->gr_name : std::to_string(st.st_gid)),
                st.st_mode & 07777u};
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
    std::string m_parentGroup;
    std::vector<std::string> m_createdUsers;
    fs::path m_dir;
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

    // The installation became root's, the parents' group created for it.
    EXPECT_EQ(added.out.rfind("created-group\t" + m_parentGroup + "\n", 0), 0u) << added.out;
    const std::string parents = "0:" + m_parentGroup;
    EXPECT_EQ(LayoutOf("."), (Layout{parents, 02775}));
    EXPECT_EQ(LayoutOf("Config.ini"), (Layout{parents, 0664}));
    EXPECT_EQ(LayoutOf("DataBase"), (Layout{parents, 02775}));
    EXPECT_EQ(LayoutOf("DataBase/DataBase.db"), (Layout{parents, 0660}));
    EXPECT_EQ(LayoutOf("DataBase/Cache.db"), (Layout{parents, 0660}));

    // The doctor sees the same weaknesses on this machine's real files.
    const Result doctor = Run("doctor");
    EXPECT_EQ(doctor.status, 1);
    EXPECT_NE(doctor.out.find("admin-group\tchild account " + m_user + " is in the group sudo"),
              std::string::npos)
        << doctor.out;
    EXPECT_NE(doctor.out.find("no-password\tchild account " + m_user), std::string::npos) << doctor.out;
    EXPECT_EQ(doctor.out.find("writable-settings"), std::string::npos) << doctor.out;
    EXPECT_EQ(doctor.out.find("readable-database"), std::string::npos) << doctor.out;

    EXPECT_EQ(Run("child del " + m_user).status, 0);
    EXPECT_EQ(Run("child list").out, "");
}

TEST_F(ChildCommandTest, UnknownAccountsAndRootAreRefused) {
    EXPECT_EQ(Run("child add nosuchuser" + m_user).status, 1);
    EXPECT_EQ(Run("child add root").status, 1);
    EXPECT_EQ(Run("child add").status, 2);
    EXPECT_EQ(Run("child list").out, "");
}

TEST_F(ChildCommandTest, TheAdministratorRunningSudoBecomesAParentButNeverTheChild) {
    const std::string parent = "wpar" + std::to_string(::getpid());
    CreateUser(parent);
    ::setenv("SUDO_USER", parent.c_str(), 1);
    const Result added = Run("child add " + m_user);
    EXPECT_EQ(added.status, 0) << added.err;
    EXPECT_NE(added.out.find("joined\t" + parent + "\t" + m_parentGroup + "\n"), std::string::npos)
        << added.out;
    EXPECT_NE(added.err.find(parent + " must log out and in again"), std::string::npos) << added.err;
    EXPECT_NE(GroupsOf(parent).find(" " + m_parentGroup + " "), std::string::npos) << GroupsOf(parent);
    EXPECT_EQ(Run("child add " + m_user).out.find("joined"), std::string::npos) << "a parent already";

    // sudo run by the child's own account (an administrator child): it is
    // warned about, never made a parent.
    ::setenv("SUDO_USER", m_user.c_str(), 1);
    const Result again = Run("child add " + m_user);
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_NE(again.err.find(m_user + " is a child account and is not made a parent"), std::string::npos)
        << again.err;
    EXPECT_EQ(GroupsOf(m_user).find(" " + m_parentGroup + " "), std::string::npos) << GroupsOf(m_user);
}

TEST_F(ChildCommandTest, AnAccountInTheParentsGroupIsNotMarkedAsAChild) {
    ASSERT_EQ(std::system(
                  ("groupadd " + m_parentGroup + " && usermod -aG " + m_parentGroup + " " + m_user).c_str()),
              0);
    const Result added = Run("child add " + m_user);
    EXPECT_EQ(added.status, 1);
    EXPECT_NE(added.err.find("gpasswd -d " + m_user + " " + m_parentGroup), std::string::npos) << added.err;
    EXPECT_EQ(Run("child list").out, "");
    EXPECT_EQ(LayoutOf("Config.ini"), (Layout{"0:root", 0644})) << "nothing changed";
}

TEST_F(ChildCommandTest, OnlyRootMarksChildrenOrProtects) {
    const std::string asNobody = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
    const auto runAsNobody = [&](const std::string& arguments) {
        const std::string command = asNobody + std::getenv("WARROWCTL") + " --dir '" +
                                    (m_dir / "install").string() + "' " + arguments + " 2>&1";
        FILE* pipe = ::popen(command.c_str(), "r");
        char buffer[4096] = {};
        const std::size_t n = std::fread(buffer, 1, sizeof buffer - 1, pipe);
        const int status = ::pclose(pipe);
        return std::make_pair(WIFEXITED(status) ? WEXITSTATUS(status) : -1, std::string(buffer, n));
    };
    const auto [addStatus, addText] = runAsNobody("child add " + m_user);
    EXPECT_EQ(addStatus, 1);
    EXPECT_NE(addText.find("run as root"), std::string::npos) << addText;
    const auto [protectStatus, protectText] = runAsNobody("protect");
    EXPECT_EQ(protectStatus, 1);
    EXPECT_NE(protectText.find("run as root"), std::string::npos) << protectText;
    EXPECT_EQ(Run("child list").out, "");
    EXPECT_EQ(LayoutOf("."), (Layout{"0:root", 0755}));
}

TEST_F(ChildCommandTest, ProtectRepairsOnlyWhatDiffersAndNeverFollowsALink) {
    const Result first = Run("protect");
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(Run("protect").out, "") << "nothing left to change";

    // Config.ini left writable by everyone, and replaced by the child's file.
    ASSERT_EQ(::chown((m_dir / "install/Config.ini").c_str(), ::getpwnam(m_user.c_str())->pw_uid, 0), 0);
    ASSERT_EQ(::chmod((m_dir / "install/Config.ini").c_str(), 0666), 0);
    const Result repaired = Run("protect");
    EXPECT_EQ(repaired.status, 0) << repaired.err;
    EXPECT_EQ(repaired.out, "changed\t" + (m_dir / "install/Config.ini").string() + "\t" +
                                "root:" + m_parentGroup + " 0664\twas " + m_user + ":root 0666\n");

    // A write-ahead log planted as a link to a secret outside, a cache with a
    // second name: the installation is left as it is, the outside untouched.
    const fs::path outside = m_dir / "outside";
    std::ofstream(outside) << "secret";
    ASSERT_EQ(::chmod(outside.c_str(), 0600), 0);
    ASSERT_EQ(::chmod((m_dir / "install/Config.ini").c_str(), 0666), 0);
    fs::create_symlink(outside, m_dir / "install/DataBase/DataBase.db-wal");
    const Result linked = Run("protect");
    EXPECT_EQ(linked.status, 2);
    EXPECT_NE(linked.err.find("DataBase.db-wal"), std::string::npos) << linked.err;
    EXPECT_EQ(LayoutOf("../outside"), (Layout{"0:root", 0600}));
    EXPECT_EQ(LayoutOf("Config.ini").mode, 0666u) << "nothing changed before the check failed";

    fs::remove(m_dir / "install/DataBase/DataBase.db-wal");
    fs::create_hard_link(m_dir / "install/DataBase/Cache.db", m_dir / "cache-copy");
    const Result hardLinked = Run("protect");
    EXPECT_EQ(hardLinked.status, 2);
    EXPECT_NE(hardLinked.err.find("one name"), std::string::npos) << hardLinked.err;
}

} // namespace
