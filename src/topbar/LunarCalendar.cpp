#include "topbar/LunarCalendar.h"

#include "topbar/LunarYearCodes.h"

namespace {

constexpr const wchar_t* kStems[10] = {L"甲", L"乙", L"丙", L"丁", L"戊", L"己", L"庚", L"辛", L"壬", L"癸"};
constexpr const wchar_t* kBranches[12] = {L"子", L"丑", L"寅", L"卯", L"辰", L"巳",
                                          L"午", L"未", L"申", L"酉", L"戌", L"亥"};
constexpr const wchar_t* kAnimals[12] = {L"鼠", L"牛", L"虎", L"兔", L"龙", L"蛇",
                                         L"马", L"羊", L"猴", L"鸡", L"狗", L"猪"};
constexpr const wchar_t* kMonthNames[12] = {L"正月", L"二月", L"三月", L"四月", L"五月", L"六月",
                                            L"七月", L"八月", L"九月", L"十月", L"冬月", L"腊月"};
constexpr const wchar_t* kDigits[10] = {L"", L"一", L"二", L"三", L"四", L"五", L"六", L"七", L"八", L"九"};

// Days from the first day of lunar 1901 (1901-02-19) to 1970-01-01.
constexpr int32_t kDaysFrom1901To1970 = 25153;

const wchar_t* FestivalOf(int month, int day, int monthLength) {
    struct Festival {
        int month;
        int day;
        const wchar_t* text;
    };
    static constexpr Festival kFixed[] = {{1, 1, L"春节"}, {1, 15, L"元宵"}, {5, 5, L"端午"},
                                          {7, 7, L"七夕"}, {7, 15, L"中元"}, {8, 15, L"中秋"},
                                          {9, 9, L"重阳"}, {12, 8, L"腊八"}, {12, 23, L"小年"}};
    for (const Festival& f : kFixed) {
        if (f.month == month && f.day == day) return f.text;
    }
    if (month == 12 && day == monthLength) return L"除夕";
    return nullptr;
}

}  // namespace

int32_t DaysFromCivil(int32_t year, int32_t month, int32_t day) {
    const int64_t y = static_cast<int64_t>(year) - (month <= 2 ? 1 : 0);
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yearOfEra = y - era * 400;
    const int64_t m = month;
    const int64_t dayOfYear = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return static_cast<int32_t>(era * 146097 + dayOfEra - 719468);
}

std::wstring LunarDayName(int32_t day) {
    if (day == 10) return L"初十";
    if (day == 20) return L"二十";
    if (day == 30) return L"三十";
    if (day >= 1 && day <= 9) return std::wstring(L"初") + kDigits[day];
    if (day >= 11 && day <= 19) return std::wstring(L"十") + kDigits[day % 10];
    if (day >= 21 && day <= 29) return std::wstring(L"廿") + kDigits[day % 10];
    return {};
}

LunarDayInfo ComputeLunarDate(int32_t year, int32_t month, int32_t day) {
    // The year check comes first so that absurd years never reach the day arithmetic.
    if (year < kLunarFirstYear || year > kLunarLastYear + 1) return {};
    if (month < 1 || month > 12 || day < 1 || day > 31) return {};
    int32_t offset = DaysFromCivil(year, month, day) + kDaysFrom1901To1970;
    if (offset < 0) return {};

    int lunarYear = kLunarFirstYear;
    uint32_t code = kLunarYearCodes[0];
    for (;;) {
        const int length = LunarYearLength(code);
        if (offset < length) break;
        offset -= length;
        if (++lunarYear > kLunarLastYear) return {};
        code = LunarCodeOf(lunarYear);
    }

    int lunarMonth = 0;
    bool leap = false;
    for (int m = 1; m <= 12 && lunarMonth == 0; ++m) {
        const int length = LunarMonthLength(code, m);
        if (offset < length) {
            lunarMonth = m;
            break;
        }
        offset -= length;
        if (m == LunarLeapMonth(code)) {
            const int leapLength = LunarLeapLength(code);
            if (offset < leapLength) {
                lunarMonth = m;
                leap = true;
                break;
            }
            offset -= leapLength;
        }
    }
    if (lunarMonth == 0) return {};  // unreachable: the year's length bounds the offset

    LunarDayInfo info;
    info.valid = true;
    info.year = lunarYear;
    info.month = lunarMonth;
    info.day = offset + 1;
    info.leapMonth = leap;
    const int cycle = ((lunarYear - 4) % 60 + 60) % 60;
    info.yearText = std::wstring(kStems[cycle % 10]) + kBranches[cycle % 12];
    info.zodiacText = kAnimals[cycle % 12];
    info.monthText = std::wstring(leap ? L"闰" : L"") + kMonthNames[lunarMonth - 1];
    info.dayText = LunarDayName(info.day);
    if (!leap) {
        if (const wchar_t* festival = FestivalOf(lunarMonth, info.day, LunarMonthLength(code, lunarMonth))) {
            info.festivalText = festival;
        }
    }
    info.hasFestival = !info.festivalText.empty();
    info.firstDay = info.day == 1;
    info.displayText = info.hasFestival ? info.festivalText : info.firstDay ? info.monthText : info.dayText;
    return info;
}

std::wstring FormatLunarText(const LunarDayInfo& info) {
    if (!info.valid) return {};
    std::wstring text = L"农历 " + info.yearText + info.zodiacText + L"年 " + info.monthText + info.dayText;
    if (info.hasFestival) text += L" " + info.festivalText;
    return text;
}
