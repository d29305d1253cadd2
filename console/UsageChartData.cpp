#include "console/UsageChartData.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace {
constexpr const char* kOthers = "其他";
}

double RoundAxisTop(double minutes) {
    for (const double step : {60.0, 90.0, 120.0, 180.0, 240.0}) {
        if (minutes <= step) {
            return step;
        }
    }
    return std::ceil(minutes / 60.0) * 60.0;
}

tagUsageChartData MakeUsageChartData(const core::tagUsageReport& report, std::size_t seriesLimit,
                                     std::size_t topLimit) {
    tagUsageChartData data;
    // The programs by their time over all days shown, most first.
    std::map<std::string, double> totals;
    for (const auto& day : report.Days) {
        for (const auto& [name, seconds] : day.Seconds) {
            totals[name] += static_cast<double>(seconds) / 60.0;
        }
    }
    std::vector<std::pair<std::string, double>> ranked(totals.begin(), totals.end());
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    const bool gathered = ranked.size() > seriesLimit;
    const std::size_t own = gathered ? seriesLimit - 1 : ranked.size();
    std::map<std::string, std::size_t> index;
    for (std::size_t i = 0; i < own; ++i) {
        index[ranked[i].first] = i;
        data.Series.push_back(ranked[i].first);
    }
    if (gathered) {
        data.Series.emplace_back(kOthers);
    }

    double highest = 0;
    for (const auto& day : report.Days) {
        tagUsageBar bar;
        bar.Day = day.Day;
        bar.Minutes.assign(data.Series.size(), 0.0);
        for (const auto& [name, seconds] : day.Seconds) {
            const auto found = index.find(name);
            const std::size_t at = found != index.end() ? found->second : data.Series.size() - 1;
            bar.Minutes[at] += static_cast<double>(seconds) / 60.0;
            bar.Total += static_cast<double>(seconds) / 60.0;
        }
        highest = std::max(highest, bar.Total);
        data.Bars.push_back(std::move(bar));
    }
    data.AxisTop = RoundAxisTop(highest);
    for (const auto& [name, seconds] : report.TopWeek) {
        if (data.Top.size() == topLimit) {
            break;
        }
        data.Top.emplace_back(name, static_cast<double>(seconds) / 60.0);
    }
    return data;
}
