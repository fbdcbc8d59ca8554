#pragma once
// The month grid of the calendar panel: days per month, the weekday a month
// starts on (0 Monday .. 6 Sunday) and the 6 x 7 cells with the trailing days
// of the previous month and the leading days of the next.

#include <array>

int DaysInMonth(int year, int month);  // month clamped to 1..12

// Zeller's congruence with floor division, so no year gives a negative weekday.
int DayOfWeek(int year, int month);

struct CalendarCell {
    int year = 0;
    int month = 0;  // 1..12
    int day = 0;
    bool inShownMonth = false;
};

// Row-major, row r column i at index 7r + i.
std::array<CalendarCell, 42> CalendarCells(int year, int month);

// The month before or after, crossing the year boundary.
void StepCalendarMonth(int& year, int& month, int delta);
