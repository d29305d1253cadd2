#include "InstallationFolder.h"

#include "core/CDBRecordset.h"

namespace {

using LogRetentionTest = InstallationFolder;

int Rows(CDataBase* db, const std::string& where) {
    CDBRecordset rs;
    EXPECT_TRUE(db->OpenRecordset(("SELECT count(*) AS n FROM [AppLog] WHERE " + where).c_str(), rs));
    int n = -1;
    rs.GetField("n", n);
    return n;
}

TEST_F(LogRetentionTest, BatchesDeleteOnlyDatedRowsBeforeTheCutoffOldestFirst) {
    ASSERT_TRUE(Db()->Execute("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 25) "
                              "INSERT INTO [AppLog] ([DateTime], [Content]) SELECT 46000 + x, 'day' FROM n"));
    ASSERT_TRUE(Db()->Execute("INSERT INTO [AppLog] ([Content]) VALUES ('undated')"));
    CWarrowLog log;
    log.SetDataBase(Db());

    // Days 46001..46025; the cutoff 46011 takes the ten before it.
    EXPECT_EQ(log.DeleteOlderThan(COleDateTime(46011), 4), 4);
    EXPECT_EQ(Rows(Db(), "[DateTime] <= 46004"), 0) << "the oldest go first";
    EXPECT_EQ(log.DeleteOlderThan(COleDateTime(46011), 4), 4);
    EXPECT_EQ(log.DeleteOlderThan(COleDateTime(46011), 4), 2);
    EXPECT_EQ(log.DeleteOlderThan(COleDateTime(46011), 4), 0);
    EXPECT_EQ(Rows(Db(), "[DateTime] >= 46011"), 15) << "the row at the cutoff itself stays";
    EXPECT_EQ(Rows(Db(), "[DateTime] IS NULL"), 1);

    EXPECT_EQ(log.DeleteOlderThan(COleDateTime(47000), 0), -1) << "a batch of nothing is a mistake";
    CWarrowLog offline;
    EXPECT_EQ(offline.DeleteOlderThan(COleDateTime(47000), 10), -1);
}

} // namespace
