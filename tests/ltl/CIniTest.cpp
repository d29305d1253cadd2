#include "ltl/CIni.h"
#include "ltl/IniDocument.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

class CIniTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("ini-" + std::to_string(::getpid()) + "-" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        m_path = (m_dir / "Config.ini").string();
    }
    void TearDown() override { fs::remove_all(m_dir); }

    void Write(const std::string& text) { std::ofstream(m_path, std::ios::binary) << text; }
    std::string Read() const {
        std::ifstream in(m_path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    fs::path m_dir;
    std::string m_path;
};

TEST_F(CIniTest, LookupIgnoresCaseAndAnswersDefaultsForMissingKeys) {
    Write("; settings\n[System]\nID = 42 \n[setup]\nIsAutoStart=1\nName=\"quoted value\"\nEmpty=\n");
    ltl::CIni ini(true, -7, "fallback", m_path.c_str());
    EXPECT_EQ(ini.GetInt("SYSTEM", "id"), 42);
    EXPECT_EQ(ini.GetInt("Setup", "ISAUTOSTART"), 1);
    EXPECT_EQ(ini.GetString("Setup", "Name"), "quoted value");
    EXPECT_EQ(ini.GetInt("Setup", "Missing"), -7);
    EXPECT_EQ(ini.GetInt("Setup", "Empty"), -7) << "an empty value reads like a missing one";
    EXPECT_EQ(ini.GetInt("Nowhere", "ID"), -7);
    EXPECT_EQ(ini.GetString("Setup", "Missing"), "fallback");
    EXPECT_TRUE(ini.GetBool("Setup", "Missing")) << "GetBool answers the default flag";

    char small[4];
    EXPECT_TRUE(ini.GetString("Setup", "Name", small, sizeof small));
    EXPECT_STREQ(small, "quo");
    EXPECT_FALSE(ini.GetString("Setup", "Name", small, 0));
}

TEST_F(CIniTest, ProfileIntegersParseLikeTheProfileFunctions) {
    EXPECT_EQ(ltl::CIni::ParseProfileInt("-1"), -1);
    EXPECT_EQ(ltl::CIni::ParseProfileInt("  12abc"), 12);
    EXPECT_EQ(ltl::CIni::ParseProfileInt("0x1F"), 31);
    EXPECT_EQ(ltl::CIni::ParseProfileInt("abc"), 0);
    EXPECT_EQ(ltl::CIni::ParseProfileInt("4294967295"), -1) << "32-bit wrap-around";
}

TEST_F(CIniTest, OpenNeverCreatesAndBareNamesUseTheCurrentDirectory) {
    ltl::CIni ini;
    EXPECT_FALSE(ini.Open(m_path.c_str()));
    EXPECT_FALSE(fs::exists(m_path));

    const auto previous = fs::current_path();
    fs::current_path(m_dir);
    EXPECT_TRUE(ini.OpenOrCreate("Config.ini"));
    EXPECT_EQ(ini.GetPath(), (fs::current_path() / "Config.ini").string());
    fs::current_path(previous);
    EXPECT_TRUE(fs::exists(m_path));
    EXPECT_TRUE(ini.Open(m_path.c_str()));
}

TEST_F(CIniTest, WritesChangeOnlyTheirKeyAndKeepCommentsAndOrder) {
    Write("; top comment\r\n[Time]\r\nPlayTime=1\r\n; keep me\r\nRestTime=2\r\n\r\n[Other]\r\nA=b\r\n");
    ltl::CIni ini(false, -1, "", m_path.c_str());
    EXPECT_TRUE(ini.SetInt("time", "RESTTIME", 5));
    EXPECT_TRUE(ini.SetInt("Time", "CountTime", 9));
    EXPECT_TRUE(ini.SetString("New", "Key", "v"));
    EXPECT_EQ(Read(),
              "; top comment\r\n[Time]\r\nPlayTime=1\r\n; keep me\r\nRestTime=5\r\nCountTime=9\r\n\r\n"
              "[Other]\r\nA=b\r\n\r\n[New]\r\nKey=v\r\n");
}

TEST_F(CIniTest, ListsBooleansAndSectionNames) {
    ltl::CIni ini;
    ASSERT_TRUE(ini.OpenOrCreate(m_path.c_str()));
    EXPECT_TRUE(ini.SetIntList("L", "Two", {3, 5}));
    EXPECT_TRUE(ini.SetIntList("L", "None", {}));
    EXPECT_TRUE(ini.SetBool("L", "Flag", true));
    EXPECT_EQ(ini.GetString("L", "Two"), "3,5");
    EXPECT_EQ(ini.GetString("L", "None"), "");
    EXPECT_TRUE(ini.GetBool("L", "Flag"));
    std::vector<std::string> names{"before"};
    EXPECT_TRUE(ini.GetSectionNames(names));
    EXPECT_EQ(names, (std::vector<std::string>{"before", "L"}));
}

TEST_F(CIniTest, RefusesTextsThatWouldChangeTheFileStructure) {
    Write("[A]\nx=1\n");
    ltl::CIni ini(false, -1, "", m_path.c_str());
    EXPECT_FALSE(ini.SetString("A", "x", "1\n[System]\nID=5"));
    EXPECT_FALSE(ini.SetString("A", "k=v", "1"));
    EXPECT_FALSE(ini.SetString("A]", "k", "1"));
    EXPECT_EQ(Read(), "[A]\nx=1\n");
}

TEST_F(CIniTest, TwoProcessesWritingDifferentKeysLoseNothing) {
    Write("[S]\n");
    constexpr int kWrites = 150;
    pid_t children[2];
    for (int c = 0; c < 2; ++c) {
        children[c] = ::fork();
        if (children[c] == 0) {
            ltl::CIni ini(false, -1, "", m_path.c_str());
            bool ok = true;
            for (int i = 0; i < kWrites; ++i) {
                const std::string key = "P" + std::to_string(c) + "_" + std::to_string(i);
                ok = ini.SetInt("S", key.c_str(), i) && ok;
            }
            ::_exit(ok ? 0 : 1);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
    ltl::CIni ini(false, -1, "", m_path.c_str());
    for (int c = 0; c < 2; ++c) {
        for (int i = 0; i < kWrites; ++i) {
            const std::string key = "P" + std::to_string(c) + "_" + std::to_string(i);
            ASSERT_EQ(ini.GetInt("S", key.c_str()), i) << key;
        }
    }
}

TEST_F(CIniTest, AProcessKilledWhileWritingNeverLeavesATornFile) {
    Write("[Time]\nTimeStyle=0\nCountTime=0\n");
    for (int round = 0; round < 5; ++round) {
        // The writer says after each write that it is done with it; it is
        // killed once it has done a few, while it is busy with the next.
        int done[2];
        ASSERT_EQ(::pipe2(done, O_CLOEXEC), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(done[0]);
            ::fcntl(done[1], F_SETFL, O_NONBLOCK); // never wait for the reader
            ltl::CIni ini(false, -1, "", m_path.c_str());
            for (int i = 1;; ++i) {
                ini.SetStrings({{"Time", "TimeStyle", std::to_string(i % 2)},
                                {"Time", "CountTime", std::to_string(i * 1000)},
                                {"Pad", "Text", std::string(static_cast<std::size_t>(i % 4000), 'x')}});
                (void)!::write(done[1], "w", 1);
            }
        }
        ::close(done[1]);
        char byte = 0;
        for (int writes = 0; writes < 3 + round * 5; ++writes) {
            ASSERT_EQ(::read(done[0], &byte, 1), 1);
        }
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        ::close(done[0]);
        ltl::CIni ini(false, -1, "", m_path.c_str());
        const int count = ini.GetInt("Time", "CountTime");
        ASSERT_GT(count, 0) << "the writes it reported are in the file";
        ASSERT_EQ(count % 1000, 0);
        const std::string pad = ini.GetString("Pad", "Text");
        ASSERT_EQ(pad.size(), static_cast<std::size_t>(count / 1000 % 4000))
            << "keys of one write belong together";
    }
}

TEST_F(CIniTest, AReplacedFileKeepsItsOwnerAndMode) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only root can give a file to another user";
    }
    Write("[System]\nID=1\n");
    // Settings of a family's user, written by root (the service).
    ASSERT_EQ(::chown(m_path.c_str(), 65534, 65534), 0);
    ASSERT_EQ(::chmod(m_path.c_str(), 0640), 0);
    ltl::CIni ini(false, -1, "", m_path.c_str());
    ASSERT_TRUE(ini.SetInt("System", "ID", 7));
    struct stat st {};
    ASSERT_EQ(::stat(m_path.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 65534u);
    EXPECT_EQ(st.st_gid, 65534u);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(Read(), "[System]\nID=7\n");
}

// Writes ID=value as another user in a forked process; its exit status.
int WriteAs(const std::string& path, uid_t uid, gid_t gid, const std::vector<gid_t>& groups, int value) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::setgroups(groups.size(), groups.data()) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0) {
            ::_exit(3);
        }
        ltl::CIni ini(false, -1, "", path.c_str());
        ::_exit(ini.SetInt("System", "ID", value) ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(CIniTest, AWriterOtherThanRootKeepsTheGroupOnlyWhenAMember) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to plant a root-owned file and write it as another user";
    }
    constexpr gid_t kParents = 54321;
    constexpr uid_t kWriter = 65534;
    constexpr gid_t kWriterGroup = 65534;
    ASSERT_EQ(::chmod(m_dir.c_str(), 0777), 0);
    auto plant = [this] {
        Write("[System]\nID=1\n");
        ASSERT_EQ(::chown(m_path.c_str(), 0, kParents), 0);
        ASSERT_EQ(::chmod(m_path.c_str(), 0664), 0);
    };
    struct stat st {};

    // A parent, in the file's group: the file becomes the parent's but stays
    // in the group, so the other parents can still change it.
    plant();
    ASSERT_EQ(WriteAs(m_path, kWriter, kWriterGroup, {kParents}, 7), 0);
    ASSERT_EQ(::stat(m_path.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, kWriter);
    EXPECT_EQ(st.st_gid, kParents);
    EXPECT_EQ(st.st_mode & 07777, 0664u);
    EXPECT_EQ(Read(), "[System]\nID=7\n");

    // Someone outside the group: the file takes the writer's group, which
    // must not inherit the right to write it.
    plant();
    ASSERT_EQ(WriteAs(m_path, kWriter, kWriterGroup, {}, 8), 0);
    ASSERT_EQ(::stat(m_path.c_str(), &st), 0);
    EXPECT_EQ(st.st_gid, kWriterGroup);
    EXPECT_EQ(st.st_mode & 07777, 0644u);
    EXPECT_EQ(Read(), "[System]\nID=8\n");
}

TEST(IniDocumentTest, KeepsByteOrderMarkAndMissingFinalLineBreak) {
    ltl::IniDocument doc("\xEF\xBB\xBF[a]\nk=1");
    doc.Set("A", "k", "2");
    EXPECT_EQ(doc.Text(), "\xEF\xBB\xBF[a]\nk=2");
    EXPECT_EQ(doc.Get("a", "K").value_or(""), "2");
    EXPECT_FALSE(doc.Get("a", "missing").has_value());
}

TEST(IniDocumentTest, WritingBackAndReadingAgainChangesNothing) {
    // A lone CR at the very end belongs to the line, not to a line break.
    for (const std::string text : {"[a]\r\nk=1\r", "x\r\r\ny", "[\rmst[Sy\n{te\r\r"}) {
        const std::string once = ltl::IniDocument(text).Text();
        EXPECT_EQ(ltl::IniDocument(once).Text(), once);
    }
    EXPECT_EQ(ltl::IniDocument("[a]\r\nk=1\r").Get("A", "k").value_or(""), "1");
}

} // namespace
