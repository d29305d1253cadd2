#include "InstallationFolder.h"

#include "core/CDBRecordset.h"
#include "core/CLogPager.h"

namespace {

using LogPagerTest = InstallationFolder;

constexpr const char* kNewestFirst = "[DateTime] IS NULL, [DateTime] DESC, [ID] DESC";
constexpr const char* kOldestFirst = "[DateTime] IS NOT NULL, [DateTime] ASC, [ID] ASC";

// `count` rows, three to a second, so that page edges fall inside a second.
void Fill(CDataBase* db, int count, const std::string& content = "line", int firstDay = 46000) {
    ASSERT_TRUE(db->Execute(
        ("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < " + std::to_string(count) +
         ") INSERT INTO [AppLog] ([DateTime], [Content], [Type]) SELECT " + std::to_string(firstDay) +
         " + (x / 3) / 86400.0, '" + content + "', x % 2 FROM n")
            .c_str()));
}

void Insert(CDataBase* db, const std::string& dateTime) {
    ASSERT_TRUE(db->Execute(
        ("INSERT INTO [AppLog] ([DateTime], [Content], [Type]) VALUES (" + dateTime + ", 'new', 0)")
            .c_str()));
}

// The IDs the pages must give, in their order, as the database sorts them.
std::vector<int> Expected(CDataBase* db, const std::string& where, const char* order) {
    CDBRecordset rs;
    EXPECT_TRUE(
        db->OpenRecordset(("SELECT [ID] FROM [AppLog] WHERE " + where + " ORDER BY " + order).c_str(), rs));
    std::vector<int> ids;
    for (int i = rs.Count(); i > 0; --i, rs.MoveNext()) {
        int id = 0;
        rs.GetField("ID", id);
        ids.push_back(id);
    }
    return ids;
}

std::vector<int> Ids(const std::vector<tagLogInfo>& lines) {
    std::vector<int> ids;
    for (const auto& line : lines) {
        ids.push_back(line.ID);
    }
    return ids;
}

TEST_F(LogPagerTest, NewestFirstWithoutGapOrRepeatWhileRowsArriveAndGo) {
    Fill(Db(), 1000);
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(Db()->Execute("INSERT INTO [AppLog] ([Content]) VALUES ('undated')"));
    }
    Fill(Db(), 30, "later", 46001);
    const std::vector<int> expected = Expected(Db(), "1", kNewestFirst);

    CLogPager pager(Db(), 100);
    std::vector<tagLogInfo> lines;
    int pages = 0;
    while (pager.CanFetchMore()) {
        const std::size_t before = lines.size();
        ASSERT_TRUE(pager.FetchMore(lines));
        ASSERT_GT(lines.size(), before) << "no empty page after page " << pages;
        ASSERT_LE(lines.size() - before, 100u);
        ++pages;
        // Meanwhile the child goes on: a line now, one stamped in the past
        // (a clock set back), one without a date; and an old line goes.
        Insert(Db(), "47000 + " + std::to_string(pages) + " / 86400.0");
        Insert(Db(), "46000.001");
        ASSERT_TRUE(Db()->Execute("INSERT INTO [AppLog] ([Content]) VALUES ('undated later')"));
        ASSERT_TRUE(
            Db()->Execute(("DELETE FROM [AppLog] WHERE [ID] = " + std::to_string(lines.front().ID)).c_str()));
    }
    EXPECT_EQ(Ids(lines), expected);
    EXPECT_EQ(pages, 11);
    EXPECT_EQ(lines.front().Content, "later");
    EXPECT_EQ(lines.back().Content, "undated");
    EXPECT_EQ(lines.back().DateTime.Format(), "1899-12-30 00:00:00");

    std::vector<tagLogInfo> arrived;
    ASSERT_TRUE(pager.FetchNew(arrived));
    EXPECT_EQ(Ids(arrived), Expected(Db(), "[ID] > 1034", kNewestFirst));
    EXPECT_EQ(arrived.size(), 3u * 11);
    const std::size_t seen = arrived.size();
    ASSERT_TRUE(pager.FetchNew(arrived));
    EXPECT_EQ(arrived.size(), seen) << "each new row is handed out once";
    Insert(Db(), "48000");
    ASSERT_TRUE(pager.FetchNew(arrived));
    ASSERT_EQ(arrived.size(), seen + 1);
    EXPECT_EQ(arrived.back().DateTime.GetYear(), 2031);
}

TEST_F(LogPagerTest, OldestFirstEndsExactlyAndReadsRowsFaithfully) {
    ASSERT_TRUE(Db()->Execute("INSERT INTO [AppLog] ([Type]) VALUES (7)"));
    Fill(Db(), 199);
    const std::vector<int> expected = Expected(Db(), "1", kOldestFirst);
    ASSERT_EQ(expected.size(), 200u);

    CLogPager pager(Db(), 100, CLogPager::Order::OldestFirst);
    std::vector<tagLogInfo> lines;
    ASSERT_TRUE(pager.FetchMore(lines));
    EXPECT_TRUE(pager.CanFetchMore());
    ASSERT_TRUE(pager.FetchMore(lines));
    EXPECT_FALSE(pager.CanFetchMore()) << "200 rows are two full pages and nothing more";
    ASSERT_EQ(Ids(lines), expected);
    EXPECT_EQ(lines[0].Type, 7);
    EXPECT_EQ(lines[0].Content, "");
    EXPECT_EQ(lines[1].DateTime.Format(), "2025-12-09 00:00:00");
    EXPECT_EQ(lines[1].Content, "line");
    EXPECT_EQ(lines[1].Type, 1);

    // Reset starts over and takes in what arrived meanwhile.
    Insert(Db(), "46100");
    ASSERT_TRUE(pager.Reset());
    std::vector<tagLogInfo> again;
    while (pager.CanFetchMore()) {
        ASSERT_TRUE(pager.FetchMore(again));
    }
    EXPECT_EQ(again.size(), 201u);
}

TEST_F(LogPagerTest, EmptyLogsAndMissingConnectionsGiveNothing) {
    CLogPager pager(Db());
    EXPECT_TRUE(pager.CanFetchMore()) << "unknown until the first page";
    std::vector<tagLogInfo> lines;
    ASSERT_TRUE(pager.FetchMore(lines));
    EXPECT_TRUE(lines.empty());
    EXPECT_FALSE(pager.CanFetchMore());

    CLogPager offline(nullptr);
    EXPECT_FALSE(offline.FetchMore(lines));
    EXPECT_FALSE(offline.FetchNew(lines));
}

} // namespace
