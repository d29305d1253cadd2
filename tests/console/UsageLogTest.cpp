// The usage-log window: newest first a page at a time, clearing, and the
// CSV export.

#include "tests/console/ConsoleFixture.h"

#include "console/CDlgLogout.h"
#include "console/CLogModel.h"
#include "console/ConsoleMessageBox.h"
#include "core/CDBRecordset.h"

#include <QAbstractItemModelTester>
#include <QTreeView>

#include <algorithm>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// 2026-01-01 00:00:00 as an OLE date; line n is n minutes later.
constexpr double kFirstDay = 46023.0;

} // namespace

class UsageLogTest : public ConsoleTest {
protected:
    void SetUp() override {
        ConsoleTest::SetUp();
        user_login_message::tagAccountInfo account;
        account.nAccount = 4243;
        account.strUserName = "4243";
        StoreAccount(account, "parent");
        StartConsole();
    }
    void TearDown() override {
        CDlgLogout::ClearNextExportPath();
        ConsoleTest::TearDown();
    }

    // `count` lines "line <n>", one a minute, written in an order other than their times.
    void AddLines(int count) {
        const std::string sql =
            "WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < " +
            std::to_string(count) + ") INSERT INTO [AppLog] ([DateTime], [Content], [Type]) SELECT " +
            std::to_string(kFirstDay) + " + x / 1440.0, 'line ' || x, 0 FROM n ORDER BY x % 7, x";
        ASSERT_TRUE(Db()->Execute(sql.c_str()));
    }
    void AddLine(const char* time, const std::string& content) {
        std::string quoted;
        for (char c : content) {
            quoted += c;
            if (c == '\'') {
                quoted += '\'';
            }
        }
        const std::string sql = std::string("INSERT INTO [AppLog] ([DateTime], [Content], [Type]) VALUES (") +
                                time + ", '" + quoted + "', 0)";
        ASSERT_TRUE(Db()->Execute(sql.c_str()));
    }
    long long Rows() {
        CDBRecordset set;
        long long rows = -1;
        if (Db()->OpenRecordset("SELECT COUNT(*) AS [N] FROM [AppLog]", set) && !set.IsEOF()) {
            int n = -1;
            set.GetField("N", n);
            rows = n;
        }
        return rows;
    }
};

TEST_F(UsageLogTest, TheWindowOpensOnTheNewestPageAndFetchesOlderOnesWithoutGapOrRepeat) {
    AddLines(1234);
    CDlgLogout dialog;
    CLogModel& model = *dialog.Model();
    ASSERT_EQ(model.rowCount(), 500);
    EXPECT_EQ(model.data(model.index(0, CLogModel::TextColumn)).toString(), QStringLiteral("line 1234"));
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("日 期"));
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("操 作 记 录"));
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    while (model.canFetchMore(QModelIndex())) {
        model.fetchMore(QModelIndex());
    }
    ASSERT_EQ(model.rowCount(), 1234);
    for (int row = 0; row < model.rowCount(); ++row) {
        ASSERT_EQ(model.data(model.index(row, CLogModel::TextColumn)).toString(),
                  QStringLiteral("line %1").arg(1234 - row))
            << row;
    }
    // The date column is the locale's date with the time to the second.
    const QString date = model.data(model.index(1233, CLogModel::DateColumn)).toString();
    EXPECT_TRUE(date.endsWith(QStringLiteral(" 00:01:00"))) << date.toStdString();
}

TEST_F(UsageLogTest, LinesWithoutADateComeLastWithAnEmptyDate) {
    AddLine("NULL", "undated");
    AddLine(std::to_string(kFirstDay).c_str(), "dated");
    CDlgLogout dialog;
    ASSERT_EQ(dialog.Model()->rowCount(), 2);
    EXPECT_EQ(dialog.Model()->Line(0).Content, "dated");
    EXPECT_EQ(dialog.Model()->data(dialog.Model()->index(1, CLogModel::DateColumn)).toString(), QString());
}

TEST_F(UsageLogTest, ClearEmptiesTheTableAndTheWindow) {
    AddLines(700);
    CDlgLogout dialog;
    ASSERT_EQ(dialog.Model()->rowCount(), 500);
    dialog.OnClearLog();
    EXPECT_EQ(dialog.Model()->rowCount(), 0);
    EXPECT_FALSE(dialog.Model()->canFetchMore(QModelIndex()));
    EXPECT_EQ(Rows(), 0);
    EXPECT_TRUE(console::ShownMessageBoxes().empty());

    // The log goes on afterwards.
    ASSERT_TRUE(CWarrowCoreInterface::Get()->GetLog()->Log("启动了[game]."));
    CDlgLogout again;
    ASSERT_EQ(again.Model()->rowCount(), 1);
    EXPECT_EQ(again.Model()->Line(0).Content, "启动了[game].");
}

TEST_F(UsageLogTest, ExportWritesEveryLineNewestFirstWithFieldsEscaped) {
    AddLine(std::to_string(kFirstDay + 0.5).c_str(), "打开了[a, b].");
    AddLine(std::to_string(kFirstDay + 0.75).c_str(), "title \"quoted\"");
    AddLine(std::to_string(kFirstDay + 1).c_str(), "two\nlines");
    AddLine("NULL", "plain");
    CDlgLogout dialog;
    const fs::path file = m_folder / "log.csv";
    CDlgLogout::SetNextExportPath(QString::fromStdString(file.string()));
    dialog.OnExport();
    EXPECT_EQ(ReadAll(file), "日期,操作记录\r\n"
                             "2026-01-02 00:00:00,\"two\nlines\"\r\n"
                             "2026-01-01 18:00:00,\"title \"\"quoted\"\"\"\r\n"
                             "2026-01-01 12:00:00,\"打开了[a, b].\"\r\n"
                             ",plain\r\n");
    EXPECT_TRUE(MessageBoxShown(QStringLiteral("已导出4条记录")));
}

TEST_F(UsageLogTest, ALongExportSpansPagesAndAFailedOneLeavesNoFile) {
    AddLines(2345);
    CDlgLogout dialog;
    const fs::path file = m_folder / "long.csv";
    CDlgLogout::SetNextExportPath(QString::fromStdString(file.string()));
    dialog.OnExport();
    const std::string text = ReadAll(file);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2346);
    EXPECT_NE(text.find("\r\n2026-01-01 00:01:00,line 1\r\n"), std::string::npos);
    EXPECT_EQ(text.find("line 2345"), text.find("\r\n") + 2 + 20); // the newest right after the header

    const fs::path nowhere = m_folder / "missing" / "log.csv";
    CDlgLogout::SetNextExportPath(QString::fromStdString(nowhere.string()));
    dialog.OnExport();
    EXPECT_FALSE(fs::exists(nowhere));
    const auto& shown = console::ShownMessageBoxes();
    ASSERT_FALSE(shown.empty());
    EXPECT_TRUE(shown.back().startsWith(QStringLiteral("导出记录失败"))) << shown.back().toStdString();
}
