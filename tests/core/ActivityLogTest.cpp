#include "InstallationFolder.h"

#include <algorithm>

namespace {

class ActivityLogTest : public InstallationFolder {
protected:
    static bool Reported(const std::string& part) {
        return std::any_of(Messages().begin(), Messages().end(),
                           [&](const std::string& m) { return m.find(part) != std::string::npos; });
    }
};

std::vector<std::string> Contents(CWarrowLog& log) {
    std::vector<std::string> contents;
    log.ForEach([&](tagLogInfo& line) { contents.push_back(line.Content); });
    return contents;
}

TEST_F(ActivityLogTest, StartUpDoesNotReadTheLogSoAnUnreadableLogStillStarts) {
    // Any read of the log now fails; appending still works.
    ASSERT_TRUE(Db()->Execute("ALTER TABLE [AppLog] RENAME TO [Lines]"));
    ASSERT_TRUE(Db()->Execute("CREATE VIEW [AppLog] AS SELECT no_such_function([ID]) AS [ID] FROM [Lines]"));
    CDBManager::Destroy();

    CWarrowCoreInterface* core = CWarrowCoreInterface::Get();
    ASSERT_TRUE(core->Init(kDataBasePath, kDataBasePassword, &Collect));
    EXPECT_NE(core->GetWLMng()->Find("WarrowExplorer"), nullptr) << "the allow-list loaded";
    EXPECT_FALSE(core->GetLog()->IsLoaded());
    EXPECT_FALSE(Reported("no_such_function")) << "Init read the log";

    EXPECT_TRUE(Contents(*core->GetLog()).empty());
    EXPECT_TRUE(Reported("no_such_function")) << "the view must fail, or this test proves nothing";
}

TEST_F(ActivityLogTest, TheListIsFilledOnFirstUseWithLinesFromBeforeAndAfter) {
    CWarrowCoreInterface* core = CWarrowCoreInterface::Get();
    core->Init(kDataBasePath, kDataBasePassword, nullptr);
    CWarrowLog& log = *core->GetLog();
    // Another program, started on an empty log.
    CWarrowLog other;
    ASSERT_FALSE(other.Init(kDataBasePath, kDataBasePassword));

    core->LogOut("启动了[%s].", "tux");
    EXPECT_FALSE(log.IsLoaded()) << "appending reads nothing";
    ASSERT_TRUE(other.Log("打开了[page]."));
    EXPECT_EQ(Contents(log), (std::vector<std::string>{"启动了[tux].", "打开了[page]."}))
        << "lines of one second keep the order they were written in";
    EXPECT_TRUE(log.IsLoaded());

    core->LogOut("关闭了[%s].", "tux");
    other.Log("not seen until the next Load");
    EXPECT_EQ(Contents(log).back(), "关闭了[tux].") << "own lines join the list once it is filled";
    EXPECT_EQ(log.Size(), 3u);
    EXPECT_EQ(other.Size(), 4u) << "the other program filled its list on first use";
}

TEST_F(ActivityLogTest, ClearEmptiesTableAndListAndLaterLinesAreKept) {
    CWarrowLog log;
    log.SetDataBase(Db());
    log.Log("one");
    ASSERT_TRUE(log.Clear());
    log.Log("two");
    EXPECT_EQ(Contents(log), std::vector<std::string>{"two"});

    CWarrowLog fresh;
    ASSERT_TRUE(fresh.Init(kDataBasePath, kDataBasePassword));
    EXPECT_EQ(Contents(fresh), std::vector<std::string>{"two"});

    CWarrowLog offline;
    EXPECT_FALSE(offline.Log("x"));
    EXPECT_FALSE(offline.Clear());
    EXPECT_EQ(offline.Size(), 0u);
}

} // namespace
