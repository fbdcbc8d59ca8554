#include "topbar/PopoverCalendar.h"

#include <algorithm>

namespace {

int FloorDiv(int a, int b) {
    const int q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

int FloorMod(int a, int b) { return a - FloorDiv(a, b) * b; }

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

}  // namespace

int DaysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    month = std::clamp(month, 1, 12);
    if (month == 2 && IsLeapYear(year)) return 29;
    return kDays[month - 1];
}

int DayOfWeek(int year, int month) {
    month = std::clamp(month, 1, 12);
    if (month < 3) {
        month += 12;
        year -= 1;
    }
    const int k = FloorMod(year, 100);
    const int j = FloorDiv(year, 100);
    // 0 Saturday .. 6 Friday for the first of the month.
    const int h = FloorMod(1 + 13 * (month + 1) / 5 + k + k / 4 + FloorDiv(j, 4) + 5 * j, 7);
    return (h + 5) % 7;
}

void StepCalendarMonth(int& year, int& month, int delta) {
    const int index = year * 12 + (month - 1) + delta;
    year = FloorDiv(index, 12);
    month = FloorMod(index, 12) + 1;
}

std::array<CalendarCell, 42> CalendarCells(int year, int month) {
    month = std::clamp(month, 1, 12);
    int prevYear = year, prevMonth = month, nextYear = year, nextMonth = month;
    StepCalendarMonth(prevYear, prevMonth, -1);
    StepCalendarMonth(nextYear, nextMonth, 1);
    const int first = DayOfWeek(year, month);
    const int days = DaysInMonth(year, month);
    const int prevDays = DaysInMonth(prevYear, prevMonth);

    std::array<CalendarCell, 42> cells{};
    for (int i = 0; i < 42; ++i) {
        const int d = i + 1 - first;
        if (d < 1)
            cells[i] = {prevYear, prevMonth, d + prevDays, false};
        else if (d > days)
            cells[i] = {nextYear, nextMonth, d - days, false};
        else
            cells[i] = {year, month, d, true};
    }
    return cells;
}
