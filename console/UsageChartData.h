#pragma once
// What the usage chart draws, worked out from the usage figures without a
// display: the programs in the order of their week, each day's stack in
// minutes, and a round top for the axis.

#include "core/UsageReport.h"

#include <string>
#include <vector>

struct tagUsageBar {
    int Day = 0;                 // yyyymmdd
    std::vector<double> Minutes; // per series, in series order
    double Total = 0;
};

struct tagUsageChartData {
    std::vector<std::string> Series; // programs, most used first; "其他" gathers the rest
    std::vector<tagUsageBar> Bars;   // oldest day first
    double AxisTop = 60;             // minutes at the top of the axis: a round number above the highest bar
    std::vector<std::pair<std::string, double>> Top; // the week's most used programs, minutes
};

// At most `seriesLimit` programs get a colour of their own; the others are
// stacked together as "其他". The top list holds at most `topLimit` programs.
tagUsageChartData MakeUsageChartData(const core::tagUsageReport& report, std::size_t seriesLimit = 6,
                                     std::size_t topLimit = 5);

// A round axis top: 60, 90, 120, 180, 240, then whole hours.
double RoundAxisTop(double minutes);
