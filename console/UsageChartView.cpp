#include "console/UsageChartView.h"

#include <QPainter>

#include <array>
#include <cmath>

namespace {
constexpr int kTopListWidth = 190;
constexpr int kMargin = 12;
constexpr int kAxisWidth = 44;
constexpr int kLegendHeight = 22;
constexpr int kDayLabelHeight = 18;

// The month only where it starts or changes, so fourteen labels fit under narrow bars.
QString DayLabel(int day, int previousDay) {
    if (previousDay / 100 == day / 100) {
        return QString::number(day % 100);
    }
    return QStringLiteral("%1/%2").arg(day / 100 % 100).arg(day % 100);
}

QString MinutesLabel(double minutes) {
    const int whole = static_cast<int>(std::lround(minutes));
    return whole >= 60 ? QStringLiteral("%1小时%2分").arg(whole / 60).arg(whole % 60, 2, 10, QLatin1Char('0'))
                       : QStringLiteral("%1分钟").arg(whole);
}
} // namespace

CUsageChartView::CUsageChartView(QWidget* parent) : QWidget(parent) {
    setMinimumSize(480, 260);
}

void CUsageChartView::SetReport(const core::tagUsageReport& report) {
    m_data = MakeUsageChartData(report);
    update();
}

QColor CUsageChartView::SeriesColor(std::size_t index) {
    // Colours that stay apart for the colour-blind, from the Okabe-Ito set;
    // the last one is the grey of "其他".
    static constexpr std::array<QRgb, 6> kColors = {0x0072B2, 0xE69F00, 0x009E73,
                                                    0xCC79A7, 0x56B4E9, 0x999999};
    return QColor(kColors[index % kColors.size()]);
}

QRect CUsageChartView::PlotArea() const {
    return QRect(kMargin + kAxisWidth, kMargin + kLegendHeight,
                 width() - 2 * kMargin - kAxisWidth - kTopListWidth,
                 height() - 2 * kMargin - kLegendHeight - kDayLabelHeight);
}

QRect CUsageChartView::BarArea(std::size_t index) const {
    const QRect plot = PlotArea();
    const int count = std::max<int>(1, static_cast<int>(m_data.Bars.size()));
    const double slot = static_cast<double>(plot.width()) / count;
    const int left = plot.left() + static_cast<int>(slot * static_cast<double>(index) + slot * 0.2);
    return QRect(left, plot.top(), std::max(2, static_cast<int>(slot * 0.6)), plot.height());
}

void CUsageChartView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    const QRect plot = PlotArea();

    // The legend along the top.
    int x = plot.left();
    for (std::size_t i = 0; i < m_data.Series.size(); ++i) {
        const QString name = QString::fromStdString(m_data.Series[i]);
        p.fillRect(QRect(x, kMargin + 4, 12, 12), SeriesColor(i));
        p.setPen(Qt::black);
        p.drawText(QPoint(x + 16, kMargin + 15), name);
        x += 28 + p.fontMetrics().horizontalAdvance(name);
    }

    // Grid lines every quarter of the axis, labelled in minutes.
    for (int step = 0; step <= 4; ++step) {
        const int y = plot.bottom() - plot.height() * step / 4;
        p.setPen(QColor(0xDD, 0xDD, 0xDD));
        p.drawLine(plot.left(), y, plot.right(), y);
        p.setPen(Qt::darkGray);
        p.drawText(QRect(kMargin, y - 8, kAxisWidth - 4, 16), Qt::AlignRight | Qt::AlignVCenter,
                   QString::number(static_cast<int>(m_data.AxisTop * step / 4)));
    }

    // One stacked bar per day.
    for (std::size_t d = 0; d < m_data.Bars.size(); ++d) {
        const tagUsageBar& bar = m_data.Bars[d];
        const QRect area = BarArea(d);
        double below = 0;
        for (std::size_t s = 0; s < bar.Minutes.size(); ++s) {
            if (bar.Minutes[s] <= 0) {
                continue;
            }
            const int top =
                plot.bottom() - static_cast<int>(plot.height() * (below + bar.Minutes[s]) / m_data.AxisTop);
            const int bottom = plot.bottom() - static_cast<int>(plot.height() * below / m_data.AxisTop);
            p.fillRect(QRect(area.left(), top, area.width(), std::max(1, bottom - top)), SeriesColor(s));
            below += bar.Minutes[s];
        }
        p.setPen(Qt::darkGray);
        p.drawText(QRect(area.left() - 10, plot.bottom() + 2, area.width() + 20, kDayLabelHeight),
                   Qt::AlignCenter, DayLabel(bar.Day, d > 0 ? m_data.Bars[d - 1].Day : 0));
    }

    // The week's most used programs.
    const int listLeft = width() - kMargin - kTopListWidth + 12;
    int y = plot.top();
    QFont bold = font();
    bold.setBold(true);
    p.setFont(bold);
    p.setPen(Qt::black);
    p.drawText(QPoint(listLeft, y + 12), QStringLiteral("本周最常用"));
    p.setFont(font());
    for (const auto& [name, minutes] : m_data.Top) {
        y += 22;
        p.drawText(QRect(listLeft, y, kTopListWidth - 12, 20), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromStdString(name));
        p.drawText(QRect(listLeft, y, kTopListWidth - 16, 20), Qt::AlignRight | Qt::AlignVCenter,
                   MinutesLabel(minutes));
    }
    if (m_data.Top.empty()) {
        p.setPen(Qt::darkGray);
        p.drawText(QPoint(listLeft, y + 34), QStringLiteral("这一周还没有用过程序"));
    }
}
