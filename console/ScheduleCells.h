#pragma once
// The week grid's cells: each day cut into half hours, a cell allowed when
// its whole half hour is inside the day's spans. Without a display.

#include "core/WeekSchedule.h"

#include <vector>

constexpr int kScheduleCellMinutes = 30;
constexpr int kScheduleCells = core::CWeekSchedule::kDayMinutes / kScheduleCellMinutes;

// A day without limits has every cell allowed.
std::vector<bool> CellsOfDay(const core::CWeekSchedule::Spans& spans);
// The spans of the allowed cells, neighbours joined; the last cell ends at 24:00.
std::vector<core::tagTimeSpan> SpansOfCells(const std::vector<bool>& cells);
