#include "InstallationFolder.h"

#include "core/CDBRecordset.h"

#define SQLITE_HAS_CODEC 1
#include <sqlite3.h>

#include <csignal>
#include <sys/wait.h>

namespace {

using ConcurrencyTest = InstallationFolder;

int CountRows(CDataBase* db, const char* table) {
    CDBRecordset rs;
    return db->OpenRecordset((std::string("SELECT * FROM[") + table + "]").c_str(), rs) ? rs.Count() : -1;
}

// Runs `work` in a child process with its own connections; returns the child.
template <class Work> pid_t InChild(Work work) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        CDBManager::Destroy(); // never share the parent's connections
        ::_exit(work() ? 0 : 1);
    }
    return pid;
}

TEST_F(ConcurrencyTest, ThreeProcessesAppendingLogLinesLoseNone) {
    constexpr int kLines = 1000;
    std::vector<pid_t> children;
    for (int p = 0; p < 3; ++p) {
        children.push_back(InChild([p] {
            CWarrowLog log;
            log.Init(kDataBasePath, kDataBasePassword);
            const std::size_t before = log.Size(); // lines the others wrote already
            bool stored = true;
            for (int i = 0; i < kLines; ++i) {
                stored = log.Log(("process " + std::to_string(p) + " line " + std::to_string(i)).c_str()) &&
                         stored;
            }
            return stored && log.Size() == before + kLines;
        }));
    }
    for (pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_TRUE(Messages().empty()) << Messages().front();
    EXPECT_EQ(CountRows(Db(), "AppLog"), 3 * kLines);
}

TEST_F(ConcurrencyTest, AProcessKilledWhileWritingLeavesADatabaseThatOpens) {
    for (int round = 0; round < 3; ++round) {
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = InChild([&ready] {
            CWarrowLog log;
            CIEListMng web;
            log.Init(kDataBasePath, kDataBasePassword);
            web.Init(kDataBasePath, kDataBasePassword);
            for (int i = 0;; ++i) {
                log.Log("line");
                tagIEInfo page;
                page.Name = "page" + std::to_string(i);
                web.Insert(nullptr, page, CIEListMng::Tree::INSERT_LAST);
                web.Save();
                if (i == 0) {
                    // Writing is under way: the parent may now strike at any moment.
                    const char byte = 1;
                    (void)!::write(ready[1], &byte, 1);
                }
            }
            return true;
        });
        char byte = 0;
        ASSERT_EQ(::read(ready[0], &byte, 1), 1);
        ::close(ready[0]);
        ::close(ready[1]);
        ::usleep(50000 + round * 40000);
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);

        CDBManager::Destroy();
        CDataBase* db = Db();
        ASSERT_NE(db, nullptr);
        CDBRecordset rs;
        ASSERT_TRUE(db->OpenRecordset("PRAGMA integrity_check", rs));
        std::string verdict;
        rs.GetField("integrity_check", verdict);
        EXPECT_EQ(verdict, "ok");
        CIEListMng web;
        EXPECT_TRUE(web.Init(kDataBasePath, kDataBasePassword)) << "the tree was saved whole or not at all";
        EXPECT_GT(CountRows(db, "AppLog"), 0);
    }
}

} // namespace
