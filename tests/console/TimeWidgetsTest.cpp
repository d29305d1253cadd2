// The usage chart and the schedule's week grid, on the offscreen platform.
// With WARROW_IMAGE_DIR set, the chart and the grid are also saved there as
// PNG pictures for the documentation.

#include "console/ScheduleCells.h"
#include "console/ScheduleGrid.h"
#include "console/UsageChartData.h"
#include "console/UsageChartView.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTest>

#include <algorithm>
#include <cstdlib>

namespace {

core::tagUsageReport FortnightReport() {
    core::tagUsageReport report;
    const char* programs[] = {"Tux Racer", "儿童浏览器", "Paint", "打字练习", "Chess", "Solitaire", "Sudoku"};
    for (int i = 0; i < 14; ++i) {
        core::tagUsageDay day;
        day.Day = i < 7 ? 20261124 + i : 20261201 + (i - 7);
        if (i % 6 != 5) { // a day off now and then
            for (int p = 0; p < 7; ++p) {
                day.Seconds[programs[p]] = ((i * 7 + p * 13) % 40 + 5 * (7 - p)) * 60;
            }
        }
        report.Days.push_back(day);
    }
    for (int p = 0; p < 7; ++p) {
        std::int64_t week = 0;
        for (int i = 7; i < 14; ++i) {
            const auto found = report.Days[static_cast<std::size_t>(i)].Seconds.find(programs[p]);
            week += found == report.Days[static_cast<std::size_t>(i)].Seconds.end() ? 0 : found->second;
        }
        report.TopWeek.emplace_back(programs[p], week);
    }
    std::sort(report.TopWeek.begin(), report.TopWeek.end(),
              [](auto& a, auto& b) { return a.second > b.second; });
    return report;
}

void SaveForDocs(QWidget& widget, const char* name) {
    if (const char* dir = std::getenv("WARROW_IMAGE_DIR")) {
        widget.grab().save(QString::fromUtf8(dir) + QLatin1Char('/') + QString::fromUtf8(name));
    }
}

} // namespace

TEST(UsageChartTest, SeriesStackAndTheAxisIsRound) {
    core::tagUsageReport report;
    report.Days.resize(3);
    report.Days[0].Day = 20261205;
    report.Days[0].Seconds = {{"a", 600}, {"b", 3000}, {"c", 60}};
    report.Days[1].Day = 20261206;
    report.Days[2].Day = 20261207;
    report.Days[2].Seconds = {{"d", 60 * 100}, {"c", 120}};
    report.TopWeek = {{"d", 6000}, {"b", 3000}, {"a", 600}, {"c", 180}};

    const auto all = MakeUsageChartData(report, 6, 2);
    EXPECT_EQ(all.Series, (std::vector<std::string>{"d", "b", "a", "c"}));
    EXPECT_DOUBLE_EQ(all.Bars[0].Total, 61);
    EXPECT_DOUBLE_EQ(all.Bars[2].Minutes[0], 100);
    EXPECT_DOUBLE_EQ(all.Bars[1].Total, 0);
    EXPECT_DOUBLE_EQ(all.AxisTop, 120);
    EXPECT_EQ(all.Top.size(), 2u) << "the top list is cut";

    const auto few = MakeUsageChartData(report, 3);
    EXPECT_EQ(few.Series, (std::vector<std::string>{"d", "b", "其他"}));
    EXPECT_DOUBLE_EQ(few.Bars[0].Minutes[2], 11) << "a and c gathered";
    EXPECT_DOUBLE_EQ(few.Bars[2].Minutes[2], 2);

    EXPECT_DOUBLE_EQ(RoundAxisTop(0), 60);
    EXPECT_DOUBLE_EQ(RoundAxisTop(181), 240);
    EXPECT_DOUBLE_EQ(RoundAxisTop(241), 300);
}

TEST(UsageChartTest, BarsAreDrawnInTheirSeriesColours) {
    CUsageChartView view;
    view.resize(760, 360);
    const auto report = FortnightReport();
    view.SetReport(report);
    const QImage image = view.grab().toImage();
    ASSERT_EQ(view.Data().Bars.size(), 14u);
    for (std::size_t d = 0; d < 14; ++d) {
        const QRect bar = view.BarArea(d);
        const QColor bottom = image.pixelColor(bar.center().x(), bar.bottom() - 1);
        if (view.Data().Bars[d].Total > 0) {
            EXPECT_EQ(bottom, CUsageChartView::SeriesColor(0))
                << "day " << d << ": the most used program at the bottom";
        } else {
            EXPECT_EQ(bottom, QColor(Qt::white)) << "day " << d << " had no use";
        }
    }
    SaveForDocs(view, "usage-chart.png");
}

TEST(ScheduleGridTest, CellsAndSpansMeetAtHalfHours) {
    EXPECT_EQ(CellsOfDay(std::nullopt), std::vector<bool>(kScheduleCells, true));
    const auto cells = CellsOfDay(std::vector<core::tagTimeSpan>{{7 * 60 + 15, 8 * 60}, {23 * 60, 1440}});
    EXPECT_FALSE(cells[14]) << "07:00-07:30 is only partly allowed";
    EXPECT_TRUE(cells[15]);
    EXPECT_TRUE(cells[47]);
    EXPECT_EQ(core::FormatSpans(SpansOfCells(cells)), "07:30-08:00,23:00-24:00");
    EXPECT_TRUE(SpansOfCells(std::vector<bool>(kScheduleCells, false)).empty());
}

TEST(ScheduleGridTest, PressDragAndTheDaysLabel) {
    CScheduleGrid grid;
    grid.resize(760, 220);
    core::CWeekSchedule week;
    week.Set(0, {{7 * 60 + 10, 20 * 60 + 30}}); // not on half hours
    week.Set(1, {{8 * 60, 12 * 60}});
    grid.SetSchedule(week);
    std::vector<int> changed;
    grid.SetOnChanged([&](int day) { changed.push_back(day); });
    grid.show();
    SaveForDocs(grid, "schedule-grid.png");

    // Dragging over Tuesday 12:00-13:30 adds those hours.
    QTest::mousePress(&grid, Qt::LeftButton, {}, grid.CellRect(1, 24).center());
    QTest::mouseMove(&grid, grid.CellRect(1, 25).center());
    QTest::mouseMove(&grid, grid.CellRect(1, 26).center());
    QTest::mouseRelease(&grid, Qt::LeftButton, {}, grid.CellRect(1, 26).center());
    EXPECT_EQ(core::FormatSpans(*grid.Schedule().Day(1)), "08:00-13:30");
    // A press on a day without limits takes that half hour away.
    QTest::mouseClick(&grid, Qt::LeftButton, {}, grid.CellRect(6, 0).center());
    EXPECT_EQ(core::FormatSpans(*grid.Schedule().Day(6)), "00:30-24:00");
    // The label gives the day back its freedom.
    QTest::mouseClick(&grid, Qt::LeftButton, {}, grid.LabelRect(1).center());
    EXPECT_FALSE(grid.Schedule().Day(1).has_value());
    EXPECT_EQ(core::FormatSpans(*grid.Schedule().Day(0)), "07:10-20:30")
        << "a day not touched keeps its spans";
    EXPECT_EQ(changed, (std::vector<int>{1, 1, 1, 6, 1}));
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
