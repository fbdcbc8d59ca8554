#pragma once
// Gregorian dates to the Chinese lunar calendar (lunar years 1901..2100) with
// the names the calendar popover shows. Pure computation, any thread.

#include <cstdint>
#include <string>

struct LunarDayInfo {
    bool valid = false;
    int32_t year = 0;   // lunar year 1901..2100
    int32_t month = 0;  // 1..12
    int32_t day = 0;    // 1..30
    bool leapMonth = false;
    std::wstring yearText;    // stem and branch, e.g. 乙巳
    std::wstring zodiacText;  // e.g. 蛇
    std::wstring monthText;   // 闰 before the name in a leap month
    std::wstring dayText;
    std::wstring festivalText;
    std::wstring displayText;  // festival, else the month on day 1, else the day
    bool hasFestival = false;
    bool firstDay = false;
};

// Days from 1970-01-01 to a proleptic Gregorian date.
int32_t DaysFromCivil(int32_t year, int32_t month, int32_t day);

// Invalid (all zero and empty) outside 1901-02-19 .. the last day of lunar 2100,
// and for a month outside 1..12 or a day outside 1..31. A day past the month's
// end counts on into the next month, as DaysFromCivil does.
LunarDayInfo ComputeLunarDate(int32_t year, int32_t month, int32_t day);

// 初一..初十, 十一..十九, 二十, 廿一..廿九, 三十; empty for any other value.
std::wstring LunarDayName(int32_t day);

// "农历 乙巳蛇年 冬月十九", with " " and the festival when there is one; empty
// for an invalid date.
std::wstring FormatLunarText(const LunarDayInfo& info);
