#include "console/ScheduleCells.h"

#include <algorithm>

std::vector<bool> CellsOfDay(const core::CWeekSchedule::Spans& spans) {
    std::vector<bool> cells(kScheduleCells, !spans.has_value());
    if (!spans) {
        return cells;
    }
    for (int cell = 0; cell < kScheduleCells; ++cell) {
        const int from = cell * kScheduleCellMinutes;
        const int to = from + kScheduleCellMinutes;
        cells[static_cast<std::size_t>(cell)] =
            std::any_of(spans->begin(), spans->end(),
                        [&](const auto& span) { return span.Start <= from && to <= span.End; });
    }
    return cells;
}

std::vector<core::tagTimeSpan> SpansOfCells(const std::vector<bool>& cells) {
    std::vector<core::tagTimeSpan> spans;
    for (int cell = 0; cell < static_cast<int>(cells.size()); ++cell) {
        if (!cells[static_cast<std::size_t>(cell)]) {
            continue;
        }
        const int from = cell * kScheduleCellMinutes;
        if (!spans.empty() && spans.back().End == from) {
            spans.back().End = from + kScheduleCellMinutes;
        } else {
            spans.push_back({from, from + kScheduleCellMinutes});
        }
    }
    return spans;
}
