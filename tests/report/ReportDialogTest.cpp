#include "report/CWarrowReportDlg.h"
#include "tests/skin/QtAppEnvironment.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

[[maybe_unused]] auto* const kApp = AddQtAppEnvironment<QApplication>();

TEST(ReportDialogTest, ShowsTheTextsOfTheReport) {
    CWarrowReportDlg dlg;
    dlg.SetProgram(QStringLiteral("WarrowTray"));
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("错误报告"));
    const QString message = dlg.findChild<QLabel*>(QStringLiteral("message"))->text();
    EXPECT_TRUE(message.startsWith(QStringLiteral("WarrowTray遇到未知错误，给您带来的不便深表歉意。")));
    EXPECT_TRUE(message.endsWith(QStringLiteral("以帮助改善Tavi儿童保护系统的质量。")));
    EXPECT_EQ(dlg.findChild<QGroupBox*>()->title(), QStringLiteral("描述您所遇到的问题"));
    EXPECT_EQ(dlg.SendButton()->text(), QStringLiteral("确定发送"));
    EXPECT_EQ(dlg.actions().value(0)->text(), QStringLiteral("关于 WarrowReport(&A)..."));

    dlg.SetProgram(QString());
    EXPECT_TRUE(
        dlg.findChild<QLabel*>(QStringLiteral("message"))->text().startsWith(QStringLiteral("遇到未知错误")));
    dlg.SetProgram(QStringLiteral("<b>x</b>"));
    EXPECT_EQ(dlg.findChild<QLabel*>(QStringLiteral("message"))->textFormat(), Qt::PlainText);
}

TEST(ReportDialogTest, OnlyTheSendButtonSendsAndEscapeCloses) {
    CWarrowReportDlg dlg;
    int sends = 0;
    dlg.SetOnSend([&] { ++sends; });
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    QSignalSpy finished(&dlg, &QDialog::finished);

    dlg.SendButton()->setFocus();
    QTest::keyClick(&dlg, Qt::Key_Return);
    QTest::keyClick(dlg.SendButton(), Qt::Key_Enter);
    EXPECT_EQ(sends, 0) << "Enter has no default action";
    EXPECT_TRUE(dlg.isVisible());
    QTest::mouseClick(dlg.SendButton(), Qt::LeftButton);
    EXPECT_EQ(sends, 1);

    QTest::keyClick(&dlg, Qt::Key_Escape);
    EXPECT_EQ(finished.count(), 1);
    EXPECT_FALSE(dlg.isVisible());
}

} // namespace
