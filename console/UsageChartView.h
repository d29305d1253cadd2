#pragma once
// The usage chart: minutes per day, one bar a day stacked by program, and
// beside it the week's most used programs. Drawn with QPainter from
// tagUsageChartData; it reads nothing itself.

#include "console/UsageChartData.h"

#include <QColor>
#include <QWidget>

class CUsageChartView : public QWidget {
public:
    explicit CUsageChartView(QWidget* parent = nullptr);

    void SetReport(const core::tagUsageReport& report);
    const tagUsageChartData& Data() const { return m_data; }

    // The colour of series `index`, the same in the bars and the legend.
    static QColor SeriesColor(std::size_t index);
    // Where the bar of day `index` stands, for tests that look at the pixels.
    QRect BarArea(std::size_t index) const;

    QSize sizeHint() const override { return {720, 360}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect PlotArea() const;

    tagUsageChartData m_data;
};
