#include "InstallationFolder.h"

#include "core/CDBRecordset.h"
#include "core/JetSql.h"

#include <cstdio>

namespace {

using DataBaseTest = InstallationFolder;

TEST_F(DataBaseTest, OneConnectionPerPathText) {
    CDataBase* a = Db();
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(Db(), a);
    CDataBase* b = CDBManager::Instance().GetDataBase("./DataBase/DataBase.db", kDataBasePassword);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b) << "another spelling of the same file is another connection";
}

TEST_F(DataBaseTest, WrongPasswordDamagedAndMissingFilesFailClearly) {
    EXPECT_EQ(CDBManager::Instance().GetDataBase(kDataBasePath, "wrong"), nullptr);
    ASSERT_FALSE(Messages().empty());
    EXPECT_EQ(Messages().back(), "连接数据库失败\n错误信息:wrong database password or damaged file");

    std::ofstream("DataBase/Broken.db") << std::string(8192, 'x');
    EXPECT_EQ(CDBManager::Instance().GetDataBase("DataBase/Broken.db", kDataBasePassword), nullptr);
    EXPECT_EQ(Messages().back(), "连接数据库失败\n错误信息:wrong database password or damaged file");

    EXPECT_EQ(CDBManager::Instance().GetDataBase("DataBase/Missing.db", kDataBasePassword), nullptr);
    EXPECT_FALSE(std::filesystem::exists("DataBase/Missing.db")) << "opening never creates a file";
    EXPECT_NE(Db(), nullptr) << "the failures were not remembered as connections";
}

TEST_F(DataBaseTest, ConnectionStringRoundTripsSpecialCharacters) {
    std::string path, password;
    const auto text = CDataBase::BuildConnectionString("DataBase/a;b=c.db", "p\"w;d");
    ASSERT_TRUE(CDataBase::ParseConnectionString(text, path, password));
    EXPECT_EQ(path, "DataBase/a;b=c.db");
    EXPECT_EQ(password, "p\"w;d");
    EXPECT_EQ(CDataBase::BuildConnectionString("DataBase/DataBase.db", "quorlind4286"),
              "Provider=Microsoft.Jet.OLEDB.4.0; Data Source=DataBase/DataBase.db; Jet oledb:Database "
              "password=quorlind4286");
}

TEST_F(DataBaseTest, RecordsetCountsWalksAndEditsInPlace) {
    CDataBase* db = Db();
    CDBRecordset rs;
    ASSERT_TRUE(db->OpenRecordset("SELECT * FROM[System]", rs));
    EXPECT_EQ(rs.Count(), 0);
    EXPECT_TRUE(rs.IsEOF());
    ASSERT_TRUE(rs.AddNew());
    EXPECT_TRUE(rs.PutField("ID", 5));
    EXPECT_TRUE(rs.PutField("UserName", std::string("妈妈")));
    ASSERT_TRUE(rs.Update());

    ASSERT_TRUE(db->OpenRecordset("SELECT * FROM[System]", rs));
    ASSERT_EQ(rs.Count(), 1);
    int id = 0;
    std::string name, untouched = "unchanged";
    EXPECT_TRUE(rs.GetField("ID", id));
    EXPECT_TRUE(rs.GetField("UserName", name));
    EXPECT_FALSE(rs.GetField("Password", untouched)) << "NULL";
    EXPECT_EQ(untouched, "unchanged");
    EXPECT_EQ(id, 5);
    EXPECT_EQ(name, "妈妈");
    EXPECT_FALSE(rs.GetField("NoSuchColumn", id));

    EXPECT_TRUE(rs.PutField("ID", 6));
    ASSERT_TRUE(rs.Update());
    ASSERT_TRUE(db->OpenRecordset("SELECT * FROM[System]", rs));
    EXPECT_EQ(rs.Count(), 1) << "editing the current record does not add one";
    rs.GetField("ID", id);
    EXPECT_EQ(id, 6);
    EXPECT_TRUE(rs.MoveNext());
    EXPECT_TRUE(rs.IsEOF());
    EXPECT_FALSE(rs.MoveNext());
}

TEST_F(DataBaseTest, JetStatementFormsAndFailuresReachTheHook) {
    CDataBase* db = Db();
    EXPECT_TRUE(db->Execute("INSERT INTO [AppLog] ([Content]) VALUES ('a')"));
    EXPECT_TRUE(db->Execute("DELETE * FROM[AppLog]"));
    CDBRecordset rs;
    ASSERT_TRUE(db->OpenRecordset("SELECT * FROM[AppLog]", rs));
    EXPECT_EQ(rs.Count(), 0);

    Messages().clear();
    EXPECT_FALSE(db->Execute("DELETE * FROM[NoTable]"));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0], "连接数据库失败\n错误信息:no such table: NoTable");

    ASSERT_TRUE(db->OpenRecordset("SELECT count(*) AS n FROM [AppLog]", rs));
    EXPECT_FALSE(rs.AddNew()) << "computed results cannot be edited";
}

TEST_F(DataBaseTest, EveryStatementIsTracedOnce) {
    char* buffer = nullptr;
    std::size_t size = 0;
    FILE* stream = open_memstream(&buffer, &size);
    CDataBase::SetTraceStream(stream);
    Db()->Execute("DELETE * FROM[AppLog]");
    CDataBase::SetTraceStream(nullptr);
    std::fclose(stream);
    const std::string trace(buffer, size);
    std::free(buffer);
    EXPECT_NE(trace.find(" SQL:[DELETE * FROM[AppLog]]\n"), std::string::npos) << trace;
    EXPECT_EQ(std::count(trace.begin(), trace.end(), '\n'), 1);
}

TEST(JetSqlTest, QuotesValuesAndFindsTheEditableTable) {
    EXPECT_EQ(jetsql::Quote("it's 100%"), "'it''s 100%'");
    EXPECT_EQ(jetsql::ToSqlite("DELETE * FROM[AppInfo] WHERE [AppName]='x'"),
              "DELETE FROM[AppInfo] WHERE [AppName]='x'");
    EXPECT_EQ(jetsql::ToSqlite("delete *from x"), "delete from x");
    EXPECT_EQ(jetsql::EditableTable("SELECT * FROM[AppLog] ORDER BY[DateTime] ASC").value_or(""), "AppLog");
    EXPECT_EQ(jetsql::EditableTable("select * from System").value_or(""), "System");
    EXPECT_FALSE(jetsql::EditableTable("SELECT ID FROM [System]").has_value());
}

} // namespace
