// The lunar calendar against year data kept beside this test
// (data/lunar_years.txt: new moons and principal terms of the astronomy-engine
// package in UTC+8, checked against the Hong Kong Observatory's
// Gregorian-Lunar Calendar Conversion Tables 1901-2100), with the dates the
// published tables dispute pinned to the Observatory's values.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <climits>
#include <cstdint>
#include <tuple>
#include <string>
#include <vector>

#include "topbar/LunarCalendar.h"

namespace {

struct YearRow {
    int year = 0;
    int y = 0, m = 0, d = 0;  // first day
    int leapMonth = 0;
    int leapLength = 0;
};

std::vector<YearRow> LoadYears() {
    // A Unix path is reached through drive Z.
    std::string path = VANTREEL_TESTS_DIR "/topbar/data/lunar_years.txt";
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    std::ifstream in(path);
    std::vector<YearRow> rows;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        YearRow row;
        const int fields = std::sscanf(line.c_str(), "%d %d-%d-%d %d %d", &row.year, &row.y,
                                       &row.m, &row.d, &row.leapMonth, &row.leapLength);
        if (fields >= 4) rows.push_back(row);
    }
    return rows;
}

std::string Name(int y, int m, int d) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", y, m, d);
    return text;
}

// The Gregorian date of a day number (days from 1970-01-01).
void CivilFromDays(int32_t days, int& y, int& m, int& d) {
    days += 719468;
    const int era = (days >= 0 ? days : days - 146096) / 146097;
    const int dayOfEra = days - era * 146097;
    const int yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int mp = (5 * dayOfYear + 2) / 153;
    d = dayOfYear - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = yearOfEra + era * 400 + (m <= 2 ? 1 : 0);
}

std::wstring Display(int y, int m, int d) {
    const LunarDayInfo info = ComputeLunarDate(y, m, d);
    return info.monthText + info.dayText + L"|" + info.displayText;
}

}  // namespace

TEST(LunarCalendar, EveryYearStartsAndLeapsAsTheTablesSay) {
    const std::vector<YearRow> years = LoadYears();
    ASSERT_EQ(years.size(), 201u);  // 1901..2100 and the first day of 2101
    int32_t total = 0;
    for (size_t i = 0; i + 1 < years.size(); ++i) {
        const YearRow& row = years[i];
        SCOPED_TRACE(row.year);
        const LunarDayInfo first = ComputeLunarDate(row.y, row.m, row.d);
        EXPECT_TRUE(first.valid && first.year == row.year && first.month == 1 && first.day == 1 &&
                    !first.leapMonth);
        EXPECT_EQ(first.displayText, L"春节");
        const YearRow& next = years[i + 1];
        const int32_t start = DaysFromCivil(row.y, row.m, row.d);
        const int32_t end = DaysFromCivil(next.y, next.m, next.d);
        total += end - start;

        // New year's eve: the last day of month 12, whether it has 29 or 30 days.
        int y, m, d;
        CivilFromDays(end - 1, y, m, d);
        const LunarDayInfo eve = ComputeLunarDate(y, m, d);
        EXPECT_TRUE(eve.month == 12 && !eve.leapMonth && eve.displayText == L"除夕" &&
                    (eve.day == 29 || eve.day == 30));

        // The leap month: its first day is flagged, and it lasts as long as the table says.
        int leapDays = 0, leapMonth = 0;
        for (int32_t day = start; day < end; ++day) {
            CivilFromDays(day, y, m, d);
            const LunarDayInfo info = ComputeLunarDate(y, m, d);
            if (!info.leapMonth) continue;
            if (leapDays == 0) {
                EXPECT_EQ(info.day, 1) << Name(y, m, d);
                EXPECT_EQ(info.monthText.substr(0, 1), L"闰");
                EXPECT_FALSE(info.hasFestival);
            }
            leapMonth = info.month;
            ++leapDays;
        }
        EXPECT_EQ(leapMonth, row.leapMonth);
        EXPECT_EQ(leapDays, row.leapLength);
    }
    EXPECT_EQ(total, DaysFromCivil(2101, 1, 29) - DaysFromCivil(1901, 2, 19));
    EXPECT_EQ(total, 47875 + 25153);
}

TEST(LunarCalendar, EveryDayFollowsTheDayBefore) {
    const int32_t first = DaysFromCivil(1901, 2, 19);
    const int32_t last = DaysFromCivil(2101, 1, 28);
    ASSERT_EQ(last - first + 1, 73028);
    int y, m, d;
    LunarDayInfo previous = ComputeLunarDate(1901, 2, 19);
    ASSERT_TRUE(previous.valid);
    int failures = 0;
    for (int32_t day = first + 1; day <= last && failures < 5; ++day) {
        CivilFromDays(day, y, m, d);
        const LunarDayInfo info = ComputeLunarDate(y, m, d);
        const bool nextDay = info.valid && info.year == previous.year &&
                             info.month == previous.month && info.leapMonth == previous.leapMonth &&
                             info.day == previous.day + 1;
        const bool newMonth = info.valid && info.day == 1 && previous.day >= 29 &&
                              info.firstDay && !previous.firstDay;
        if (!nextDay && !newMonth) {
            ADD_FAILURE() << Name(y, m, d);
            ++failures;
        }
        if (info.day >= 2) {
            EXPECT_EQ(info.dayText, LunarDayName(info.day));
        }
        previous = info;
    }
}

TEST(LunarCalendar, DatesThePublishedTablesDispute) {
    EXPECT_EQ(Display(1914, 11, 17), L"十月初一|十月");  // new moons of Beijing's local time
    EXPECT_EQ(Display(1920, 11, 10), L"十月初一|十月");
    EXPECT_EQ(Display(1906, 4, 23), L"三月三十|三十");
    EXPECT_EQ(Display(1906, 5, 23), L"闰四月初一|闰四月");
    EXPECT_EQ(Display(1914, 7, 22), L"闰五月三十|三十");
    EXPECT_EQ(Display(2033, 12, 21), L"冬月三十|三十");
    EXPECT_EQ(Display(2033, 12, 22), L"闰冬月初一|闰冬月");
    EXPECT_EQ(Display(2057, 9, 28), L"九月初一|九月");
    EXPECT_EQ(Display(2089, 9, 18), L"八月十五|中秋");
    EXPECT_EQ(Display(2097, 8, 13), L"七月初七|七夕");
}

// First days of months read from the Hong Kong Observatory's yearly tables
// (T1923e.txt, T1978e.txt, T1988e.txt, T2009e.txt): Gregorian date, lunar month.
TEST(LunarCalendar, MonthStartsFromTheObservatoryTables) {
    const struct { int y, m, d, month; } kStarts[] = {
        {1923, 1, 17, 12}, {1923, 2, 16, 1}, {1923, 3, 17, 2}, {1978, 1, 9, 12},
        {1978, 2, 7, 1},   {1978, 3, 9, 2},  {1988, 1, 19, 12}, {1988, 2, 17, 1},
        {1988, 3, 18, 2},  {2009, 1, 26, 1}, {2009, 2, 25, 2}};
    for (const auto& start : kStarts) {
        const LunarDayInfo info = ComputeLunarDate(start.y, start.m, start.d);
        EXPECT_TRUE(info.valid && info.day == 1 && info.month == start.month && !info.leapMonth)
            << Name(start.y, start.m, start.d);
    }
}

TEST(LunarCalendar, LinesAndLimits) {
    EXPECT_EQ(FormatLunarText(ComputeLunarDate(2026, 1, 7)), L"农历 乙巳蛇年 冬月十九");
    const LunarDayInfo eve2024 = ComputeLunarDate(2024, 2, 9);
    EXPECT_EQ(FormatLunarText(eve2024), L"农历 癸卯兔年 腊月三十 除夕");
    EXPECT_EQ(eve2024.displayText, L"除夕");
    const LunarDayInfo leap = ComputeLunarDate(2025, 7, 31);
    EXPECT_EQ(FormatLunarText(leap), L"农历 乙巳蛇年 闰六月初七");
    EXPECT_FALSE(leap.hasFestival);
    EXPECT_EQ(FormatLunarText(ComputeLunarDate(2101, 1, 28)), L"农历 庚申猴年 腊月廿九 除夕");
    const LunarDayInfo first = ComputeLunarDate(1901, 2, 19);
    EXPECT_EQ(FormatLunarText(first), L"农历 辛丑牛年 正月初一 春节");
    EXPECT_EQ(ComputeLunarDate(1984, 2, 2).yearText + ComputeLunarDate(1984, 2, 2).zodiacText,
              L"甲子鼠");
    // Day 1 without a festival shows the month, day 2 the day.
    EXPECT_EQ(Display(2025, 3, 29), L"三月初一|三月");
    EXPECT_EQ(Display(2025, 3, 30), L"三月初二|初二");

    const LunarDayInfo feb30 = ComputeLunarDate(2025, 2, 30);
    const LunarDayInfo mar2 = ComputeLunarDate(2025, 3, 2);
    EXPECT_TRUE(feb30.valid && feb30.month == mar2.month && feb30.day == mar2.day);
    EXPECT_EQ(feb30.monthText + feb30.dayText, L"二月初三");

    // Outside the table, and impossible or absurd dates: invalid, all empty.
    for (const auto& [y, m, d] : std::vector<std::tuple<int, int, int>>{
             {2101, 1, 29}, {1901, 2, 18}, {2025, 13, 1}, {2025, 1, 0}, {2025, 0, 5},
             {2025, 1, 32}, {INT32_MAX, 12, 31}, {INT32_MIN, 1, 1}, {-4713, 1, 1}}) {
        const LunarDayInfo info = ComputeLunarDate(y, m, d);
        EXPECT_FALSE(info.valid || info.year || info.month || info.day || info.leapMonth ||
                     info.hasFestival || info.firstDay || !info.yearText.empty() ||
                     !info.displayText.empty());
        EXPECT_EQ(FormatLunarText(info), L"");
    }
}

TEST(LunarCalendar, DayNames) {
    const wchar_t* expected[] = {L"",     L"初一", L"初二", L"初三", L"初四", L"初五", L"初六",
                                 L"初七", L"初八", L"初九", L"初十", L"十一", L"十二", L"十三",
                                 L"十四", L"十五", L"十六", L"十七", L"十八", L"十九", L"二十",
                                 L"廿一", L"廿二", L"廿三", L"廿四", L"廿五", L"廿六", L"廿七",
                                 L"廿八", L"廿九", L"三十", L""};
    for (int day = 0; day <= 31; ++day) EXPECT_EQ(LunarDayName(day), expected[day]) << day;
    EXPECT_EQ(LunarDayName(-1), L"");
}
