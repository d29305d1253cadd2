// The time limits in the running console: the week schedule behind the
// security page, a program's limit and learning flag from the applications
// page's context menu, and the usage window's chart. What the console stores
// is read back the way the child shell and warrowctl read it.

#include "tests/console/ConsoleFixture.h"
#include "tests/support/Files.h"

#include "console/CAllowListModel.h"
#include "console/CDlgLogout.h"
#include "console/CDlgPageAppliction.h"
#include "console/CDlgPageProtect.h"
#include "console/CDlgSchedule.h"
#include "console/CWarrowTrayDlg.h"
#include "console/ConsoleMessageBox.h"
#include "console/ScheduleGrid.h"
#include "console/UsageChartView.h"
#include "core/COleDateTime.h"
#include "core/TimeTables.h"
#include "ltl/CIni.h"
#include "shell/TimeKeeper.h"
#include "skin/CGlazeButton.h"

#include <QApplication>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QProcess>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <cstdio>

namespace {

using test_files::MakeProgram;

// What `warrowctl <arguments>` prints for the test's installation folder.
std::string Warrowctl(const std::filesystem::path& folder, QStringList arguments) {
    QProcess process;
    process.start(QStringLiteral(WARROWCTL),
                  QStringList{QStringLiteral("--dir"), QString::fromStdString(folder.string())} + arguments);
    EXPECT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return process.readAllStandardOutput().toStdString();
}

// The schedule as the child shell reads it at its start.
core::CWeekSchedule StoredSchedule(CDataBase& db) {
    core::CWeekSchedule week;
    EXPECT_TRUE(core::LoadSchedule(db, week));
    return week;
}

std::string DayOf(const core::CWeekSchedule& week, int weekday) {
    const auto& spans = week.Day(weekday);
    return spans ? core::FormatSpans(*spans) : std::string("-");
}

// Presses on the first cell and drags to the last, as the parent does.
void Drag(CScheduleGrid& grid, int weekday, int firstCell, int lastCell) {
    QTest::mousePress(&grid, Qt::LeftButton, {}, grid.CellRect(weekday, firstCell).center());
    for (int cell = firstCell + 1; cell <= lastCell; ++cell) {
        QTest::mouseMove(&grid, grid.CellRect(weekday, cell).center());
    }
    QTest::mouseRelease(&grid, Qt::LeftButton, {}, grid.CellRect(weekday, lastCell).center());
}

// The shell's clock, set by the test: Monday 7 December 2026 at `minute`.
class CMondayClock : public core::IUsageClock {
public:
    explicit CMondayClock(int minute) : m_minute(minute) {}
    std::int64_t MonotonicMs() const override { return m_ms; }
    core::tagLocalTime Now() const override { return {20261207, m_minute}; }
    void Forward(std::int64_t ms) { m_ms += ms; }

private:
    int m_minute;
    std::int64_t m_ms = 0;
};

// A shell's time limits as they start on this installation.
std::unique_ptr<CTimeKeeper> StartedKeeper(CDataBase* db, const core::IUsageClock& clock) {
    const ltl::CIni config(false, -1, "", "Config.ini");
    return std::make_unique<CTimeKeeper>(clock, LoadTimeRules(db, config), core::tagDailyCounters{});
}

double When(int month, int day, int hours, int minutes) {
    COleDateTime date;
    date.SetDateTime(2026, month, day, hours, minutes, 0);
    return date.m_dt;
}

} // namespace

class FamilyFeaturesTest : public ConsoleTest {
protected:
    void TearDown() override {
        CDlgLogout::SetChartMoment(std::nullopt);
        CDlgPageAppliction::SetNextMinutesAnswer(std::nullopt);
        ConsoleTest::TearDown();
    }

    CWarrowTrayDlg& StartMain() {
        user_login_message::tagAccountInfo account;
        account.nAccount = 4242;
        account.strUserName = "4242";
        account.strPassword = "secret";
        StoreAccount(account, "parent");
        CWarrowTrayApp& app = StartConsole();
        EXPECT_FALSE(app.IsLoginState());
        return *app.MainWindow();
    }

    // Clicks the button and runs `inside` on the modal dialog it opens.
    template <typename Dialog>
    bool InDialogOf(QAbstractButton* button, const std::function<void(Dialog&)>& inside) {
        bool seen = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (auto* dialog = dynamic_cast<Dialog*>(QApplication::activeModalWidget()); dialog && !seen) {
                seen = true;
                inside(*dialog);
                if (dialog->isVisible()) {
                    dialog->reject();
                }
            }
        });
        poll.start(10);
        button->click();
        return seen;
    }

    void LogLine(double when, const std::string& content) {
        char value[64];
        std::snprintf(value, sizeof value, "%.10f", when);
        ASSERT_TRUE(Db()->Execute(("INSERT INTO [AppLog]([DateTime],[Content],[Type]) VALUES (" +
                                   std::string(value) + ",'" + content + "',0)")
                                      .c_str()));
    }
};

TEST_F(FamilyFeaturesTest, TheWeekEditedOnTheSecurityPageIsWhatTheShellAndWarrowctlRead) {
    CWarrowTrayDlg& main = StartMain();
    // Set before by warrowctl: a day off the half hours, and a closed day.
    ASSERT_TRUE(core::SaveScheduleDay(*Db(), 2, std::vector<core::tagTimeSpan>{{7 * 60 + 10, 20 * 60 + 30}}));
    ASSERT_TRUE(core::SaveScheduleDay(*Db(), 4, std::vector<core::tagTimeSpan>{}));
    main.SelectPage(4);
    auto* page = static_cast<CDlgPageProtect*>(main.Page(4));

    QString summary;
    ASSERT_TRUE(InDialogOf<CDlgSchedule>(page->ScheduleButton(), [&](CDlgSchedule& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("作息时间"));
        EXPECT_EQ(DayOf(dialog.Grid()->Schedule(), 2), "07:10-20:30") << "the stored week is shown";
        // Monday without limits: a press takes 00:00-02:00 away.
        Drag(*dialog.Grid(), 0, 0, 3);
        // Friday was closed: 08:00-12:00 opens.
        Drag(*dialog.Grid(), 4, 16, 23);
        // Sunday: closed all day, then its label gives it back its freedom.
        Drag(*dialog.Grid(), 6, 0, 0);
        QTest::mouseClick(dialog.Grid(), Qt::LeftButton, {}, dialog.Grid()->LabelRect(6).center());
        summary = dialog.Summary()->text();
        EXPECT_TRUE(StoredSchedule(*Db()).Day(0) == std::nullopt) << "nothing stored before \"设  置\"";
        // Meanwhile another administrator sets Thursday from the command line.
        Warrowctl(m_folder, {QStringLiteral("schedule"), QStringLiteral("set"), QStringLiteral("thu"),
                             QStringLiteral("09:00-17:00")});
        dialog.SetButton()->click();
        EXPECT_FALSE(dialog.isVisible());
    }));

    const core::CWeekSchedule stored = StoredSchedule(*Db());
    EXPECT_EQ(DayOf(stored, 0), "02:00-24:00");
    EXPECT_EQ(DayOf(stored, 2), "07:10-20:30") << "a day nobody touched keeps its minutes";
    EXPECT_EQ(DayOf(stored, 3), "09:00-17:00") << "only the days edited here are written";
    EXPECT_EQ(DayOf(stored, 4), "08:00-12:00");
    EXPECT_EQ(DayOf(stored, 6), "-");
    EXPECT_TRUE(summary.contains(QStringLiteral("周一：02:00-24:00"))) << summary.toStdString();
    EXPECT_TRUE(summary.contains(QStringLiteral("周五：08:00-12:00"))) << summary.toStdString();
    EXPECT_TRUE(summary.contains(QStringLiteral("周日：不限制"))) << summary.toStdString();
    EXPECT_EQ(Warrowctl(m_folder, {QStringLiteral("schedule"), QStringLiteral("list")}),
              "mon\t02:00-24:00\ntue\t-\nwed\t07:10-20:30\nthu\t09:00-17:00\nfri\t08:00-12:00\n"
              "sat\t-\nsun\t-\n");
    CMondayClock night(60);
    EXPECT_TRUE(StartedKeeper(Db(), night)->Tick({}, tagConfig{}).OutsideSchedule)
        << "a shell on Monday at 01:00";
}

TEST_F(FamilyFeaturesTest, ACancelledOrFailedScheduleEditStoresNothing) {
    StartMain();
    ASSERT_TRUE(core::SaveScheduleDay(*Db(), 1, std::vector<core::tagTimeSpan>{{8 * 60, 18 * 60}}));
    {
        CDlgSchedule dialog(Db());
        ASSERT_TRUE(dialog.OnInitDialog());
        dialog.show();
        Drag(*dialog.Grid(), 1, 36, 39); // Tuesday to 20:00
        dialog.CancelButton()->click();
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    }
    EXPECT_EQ(DayOf(StoredSchedule(*Db()), 1), "08:00-18:00");

    // A table that refuses Thursday's rows: neither day is stored, the parent
    // is told, and the dialog stays open with the edits for another try.
    ASSERT_TRUE(Db()->Execute("CREATE TRIGGER [RefuseThursday] BEFORE INSERT ON [Schedule] WHEN NEW.[Day]=3 "
                              "BEGIN SELECT RAISE(ABORT, 'refused'); END"));
    CDlgSchedule dialog(Db());
    ASSERT_TRUE(dialog.OnInitDialog());
    dialog.show();
    Drag(*dialog.Grid(), 1, 36, 39);
    Drag(*dialog.Grid(), 3, 0, 47); // Thursday closed all day
    dialog.SetButton()->click();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(MessageBoxShown(QStringLiteral("作息时间保存失败，请稍后再试")));
    core::CWeekSchedule stored = StoredSchedule(*Db());
    EXPECT_EQ(DayOf(stored, 1), "08:00-18:00") << "Tuesday's rows went back with Thursday's";
    EXPECT_EQ(DayOf(stored, 3), "-");

    ASSERT_TRUE(Db()->Execute("DROP TRIGGER [RefuseThursday]"));
    dialog.SetButton()->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    stored = StoredSchedule(*Db());
    EXPECT_EQ(DayOf(stored, 1), "08:00-20:00");
    EXPECT_EQ(DayOf(stored, 3), "none");
}

TEST_F(FamilyFeaturesTest, AnUnreadableScheduleIsNotShownAsNoLimits) {
    CWarrowTrayDlg& main = StartMain();
    ASSERT_TRUE(Db()->Execute("CREATE TABLE [Schedule] ([Other] INTEGER)"));
    main.SelectPage(4);
    auto* page = static_cast<CDlgPageProtect*>(main.Page(4));
    EXPECT_FALSE(InDialogOf<CDlgSchedule>(page->ScheduleButton(), [](CDlgSchedule&) {}));
    EXPECT_TRUE(MessageBoxShown(QStringLiteral("作息时间读取失败，请稍后再试")));
}

TEST_F(FamilyFeaturesTest, TheContextMenuSetsAndShowsLimitsAndLearningAsTheShellReadsThem) {
    CWarrowTrayDlg& main = StartMain();
    main.SelectPage(1);
    CDlgPageAppliction& page = *main.ApplicationPage();
    CAllowListModel& model = *page.Model();
    model.AddFiles({MakeProgram(m_folder / "a/chess").string(), MakeProgram(m_folder / "a/paint").string()});
    const QModelIndex chess = model.index(1);
    const QModelIndex paint = model.index(2);
    ASSERT_EQ(chess.data(CAllowListModel::AppNameRole).toString(), QStringLiteral("chess"));
    const auto choice = [&](const char* text) {
        const QList<QAction*> items = page.LimitMenu()->actions();
        const auto found = std::find_if(items.begin(), items.end(), [&](QAction* item) {
            return item->text() == QString::fromUtf8(text);
        });
        return found != items.end() ? *found : nullptr;
    };

    // A right click on chess applies to chess alone, though paint was selected.
    page.List()->selectionModel()->select(paint, QItemSelectionModel::ClearAndSelect);
    page.PrepareContextMenu(chess);
    EXPECT_TRUE(choice("不限制")->isChecked());
    choice("15分钟")->trigger();
    page.PrepareContextMenu(paint);
    EXPECT_FALSE(page.LearningAction()->isChecked());
    page.LearningAction()->trigger();
    EXPECT_EQ(Warrowctl(m_folder, {QStringLiteral("apps"), QStringLiteral("limits")}),
              "chess\t15\t-\npaint\tnone\tlearning\n");
    EXPECT_EQ(chess.data().toString(), QStringLiteral("chess\n限时15分钟"));
    EXPECT_EQ(paint.data().toString(), QStringLiteral("paint\n学习"));
    EXPECT_EQ(paint.data(Qt::EditRole).toString(), QStringLiteral("paint"))
        << "renaming edits the name alone";

    // A shell started now: paint alone uses no play time, chess closes the
    // second after its fifteen minutes.
    tagConfig config = CWarrowCoreInterface::Get()->GetWRControl()->GetConfig();
    config.TimeStyle = 0;
    config.PlayTime = 24 * 3600 * 1000;
    config.CountTime = 0;
    CMondayClock clock(9 * 60);
    const auto keeper = StartedKeeper(Db(), clock);
    const tagRunningProgram chessRunning{"chess", "chess"};
    const tagRunningProgram paintRunning{"paint", "paint"};
    EXPECT_FALSE(keeper->Tick({paintRunning}, config).CountPlay);
    EXPECT_TRUE(keeper->Tick({paintRunning, chessRunning}, config).CountPlay) << "beside a game";
    for (int minute = 1; minute <= 15; ++minute) {
        clock.Forward(60 * 1000);
        EXPECT_TRUE(keeper->Tick({chessRunning}, config).UsedUp.empty()) << "minute " << minute;
    }
    clock.Forward(1000);
    EXPECT_EQ(keeper->Tick({chessRunning}, config).UsedUp, std::vector<std::string>{"chess"});

    // A custom length; a cancelled question changes nothing; the menu shows it.
    page.PrepareContextMenu(chess);
    CDlgPageAppliction::SetNextMinutesAnswer(45);
    choice("自定义...")->trigger();
    CDlgPageAppliction::SetNextMinutesAnswer(std::nullopt);
    choice("自定义...")->trigger();
    page.PrepareContextMenu(chess);
    EXPECT_TRUE(choice("自定义...")->isChecked());
    EXPECT_EQ(model.LimitOf(1).Minutes, 45);

    // Back at "no limit, not learning": the entry goes, the row shows the name alone.
    page.PrepareContextMenu(paint);
    page.LearningAction()->trigger();
    EXPECT_EQ(paint.data().toString(), QStringLiteral("paint"));
    EXPECT_EQ(Warrowctl(m_folder, {QStringLiteral("apps"), QStringLiteral("limits")}), "chess\t45\t-\n");

    // The add row offers no limit.
    page.PrepareContextMenu(model.index(model.rowCount() - 1));
    EXPECT_FALSE(page.LimitMenu()->isEnabled());
    EXPECT_FALSE(page.LearningAction()->isEnabled());

    // Set by warrowctl: shown when the page is chosen again.
    Warrowctl(m_folder, {QStringLiteral("apps"), QStringLiteral("limit"), QStringLiteral("paint"),
                         QStringLiteral("90")});
    main.SelectPage(0);
    main.SelectPage(1);
    EXPECT_EQ(model.index(2).data(CAllowListModel::LimitTextRole).toString(), QStringLiteral("限时90分钟"));
}

TEST_F(FamilyFeaturesTest, AFailedLimitSaveSaysSoAndShowsWhatIsStored) {
    CWarrowTrayDlg& main = StartMain();
    main.SelectPage(1);
    CDlgPageAppliction& page = *main.ApplicationPage();
    page.Model()->AddFiles({MakeProgram(m_folder / "a/chess").string()});
    ASSERT_TRUE(Db()->Execute("CREATE TABLE [AppLimit] ([Other] TEXT)"));
    page.PrepareContextMenu(page.Model()->index(1));
    page.LearningAction()->trigger();
    EXPECT_EQ(NoticeText(), QStringLiteral("瓦罗提示:\n程序限时保存失败，请稍后再试"));
    EXPECT_EQ(page.Model()->index(1).data().toString(), QStringLiteral("chess"));
}

TEST_F(FamilyFeaturesTest, TheUsageWindowChartsTheFortnightOfTheLog) {
    StartMain();
    // A week of the child's programs, one of them open across midnight.
    LogLine(When(11, 20, 10, 0), "启动了[Old].");
    LogLine(When(11, 20, 11, 0), "关闭了[Old]."); // before the fortnight
    LogLine(When(11, 30, 23, 0), "启动了[Paint].");
    LogLine(When(12, 1, 1, 0), "关闭了[Paint].");
    LogLine(When(12, 3, 10, 0), "启动了[Game].");
    LogLine(When(12, 3, 10, 30), "打开了网页[http://example.org/].");
    LogLine(When(12, 3, 11, 0), "关闭了[Game].");
    LogLine(When(12, 6, 8, 0), "启动了[Game].");
    LogLine(When(12, 6, 10, 0), "关闭了[Game].");
    LogLine(When(12, 7, 9, 0), "启动了[Game]."); // still open
    CDlgLogout::SetChartMoment(When(12, 7, 9, 20));

    CDlgLogout window;
    EXPECT_EQ(window.Tabs()->currentWidget(), static_cast<QWidget*>(window.View())) << "opens on the log";
    EXPECT_TRUE(window.Chart()->Data().Bars.empty()) << "the figures wait until the chart is shown";
    window.ShowChart();
    EXPECT_EQ(window.Tabs()->currentWidget(), static_cast<QWidget*>(window.Chart()));

    const tagUsageChartData& data = window.Chart()->Data();
    ASSERT_EQ(data.Bars.size(), 14u);
    EXPECT_EQ(data.Bars.front().Day, 20261124);
    EXPECT_EQ(data.Bars.back().Day, 20261207);
    EXPECT_EQ(data.Series, (std::vector<std::string>{"Game", "Paint"}));
    const auto minutes = [&](int day, std::size_t series) {
        for (const tagUsageBar& bar : data.Bars) {
            if (bar.Day == day) {
                return bar.Minutes.at(series);
            }
        }
        ADD_FAILURE() << "no bar for " << day;
        return -1.0;
    };
    EXPECT_DOUBLE_EQ(minutes(20261130, 1), 60) << "Paint's hour before midnight";
    EXPECT_DOUBLE_EQ(minutes(20261201, 1), 60) << "and the one after";
    EXPECT_DOUBLE_EQ(minutes(20261203, 0), 60);
    EXPECT_DOUBLE_EQ(minutes(20261206, 0), 120);
    EXPECT_DOUBLE_EQ(minutes(20261207, 0), 20) << "open until now";
    ASSERT_EQ(data.Top.size(), 2u);
    EXPECT_EQ(data.Top[0], (std::pair<std::string, double>{"Game", 200}));
    EXPECT_EQ(data.Top[1], (std::pair<std::string, double>{"Paint", 60}));

    // Clearing the log empties the chart in view.
    window.OnClearLog();
    EXPECT_TRUE(window.Chart()->Data().Series.empty());
    EXPECT_EQ(window.Chart()->Data().Bars.size(), 14u);
}
