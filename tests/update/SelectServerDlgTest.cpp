#include "update/CSelectServerDlg.h"

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>

namespace {

TEST(SelectServerDlgTest, ListsTheServersByNameAndReturnsTheChosenAddress) {
    CSelectServerDlg dlg({{"网通", "http://b.example/", 80},
                          {"电信", "http://a.example/", update::kNoAnswer},
                          {"Alpha", "http://c.example/", 5}});
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Tavi儿童保护系统更新服务器列表"));
    EXPECT_EQ(dlg.findChild<QGroupBox*>()->title(), QStringLiteral("请选择适合您的网络："));
    EXPECT_EQ(dlg.OkButton()->text(), QStringLiteral("确定"));
    EXPECT_EQ(dlg.CancelButton()->text(), QStringLiteral("取消"));
    ASSERT_EQ(dlg.List()->count(), 3);
    QStringList names;
    for (int i = 0; i < dlg.List()->count(); ++i)
        names << dlg.List()->item(i)->text();
    QStringList sorted = names;
    sorted.sort();
    EXPECT_EQ(names, sorted) << "sorted, not in file order";
    EXPECT_FALSE(names.join(QString()).contains(QLatin1Char('8'))) << "response times are not shown";

    QSignalSpy finished(&dlg, &QDialog::finished);
    dlg.OkButton()->click();
    EXPECT_EQ(finished.count(), 0) << "OK without a selection does nothing";

    const auto found = dlg.List()->findItems(QStringLiteral("网通"), Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    dlg.List()->setCurrentItem(found.front());
    dlg.OkButton()->click();
    ASSERT_EQ(finished.count(), 1);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.GetAddress(), "http://b.example/");
}

TEST(SelectServerDlgTest, CancelEndsWithoutAServer) {
    CSelectServerDlg dlg({{"电信", "http://a.example/", 1}});
    dlg.List()->setCurrentRow(0);
    dlg.CancelButton()->click();
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_EQ(dlg.GetAddress(), "");
}

} // namespace
