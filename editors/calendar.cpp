#include "editors/calendar.h"

#include <chrono>
#include <limits>

namespace orlen {

namespace {

namespace chrono = std::chrono;
using Int = std::int64_t;

// 400 Gregorian years: a whole number of days and of weeks.
constexpr Int kDaysPerCycle = 146097;
// 28 Julian years: a whole number of weeks, with the same leap years.
constexpr Int kJulianYearsPerCycle = 28;

Int FloorDiv(Int a, Int b) { // b > 0
    const Int q = a / b;
    return (a % b < 0) ? q - 1 : q;
}

Int FloorMod(Int a, Int b) { // b > 0
    const Int r = a % b;
    return r < 0 ? r + b : r;
}

// A year of 2000..2399 with the same leap years and weekdays as year.
chrono::year SameYearOfCycle(Int year) {
    return chrono::year{static_cast<int>(2000 + FloorMod(year, 400))};
}

chrono::month MonthOf(int monthIndex) {
    return chrono::month{static_cast<unsigned>(monthIndex + 1)};
}

} // namespace

int DaysInMonth(int year, int monthIndex) {
    const chrono::year_month_day_last last{SameYearOfCycle(year) / MonthOf(monthIndex) /
                                           chrono::last};
    return static_cast<int>(static_cast<unsigned>(last.day()));
}

int FirstWeekdayOfMonth(int year, int monthIndex) {
    const bool gregorian = year > 1582 || (year == 1582 && monthIndex >= 10);
    if (gregorian) {
        const chrono::sys_days first{SameYearOfCycle(year) / MonthOf(monthIndex) / 1};
        return static_cast<int>(chrono::weekday{first}.c_encoding());
    }
    // A Julian year of 1400..1427 with the same weekdays, then the Gregorian
    // day that is the same day: the Julian calendar falls behind by a day
    // in each century year that the Gregorian one does not make a leap year
    // (counted in years that start with March, where the leap day ends).
    const Int julianYear = 1400 + FloorMod(Int{year} - 1400, kJulianYearsPerCycle);
    const Int marchYear = monthIndex < 2 ? julianYear - 1 : julianYear;
    const Int behind = marchYear / 100 - marchYear / 400 - 2;
    const chrono::sys_days first{chrono::year{static_cast<int>(julianYear)} / MonthOf(monthIndex) /
                                 1};
    return static_cast<int>(chrono::weekday{first + chrono::days{behind}}.c_encoding());
}

void AddMonths(int& year, int& monthIndex, int months) {
    const Int total = Int{monthIndex} + months;
    year += static_cast<int>(FloorDiv(total, 12));
    monthIndex = static_cast<int>(FloorMod(total, 12));
}

bool DaysFromCivil(Int year, int month, Int& days) {
    // Whole 400-year cycles from the year 2000 on, then the first of the
    // month in a year of the cycle starting there.
    const Int cycles = FloorDiv(year, 400) - 5;
    const chrono::sys_days first{SameYearOfCycle(year) /
                                 chrono::month{static_cast<unsigned>(month)} / 1};
    const Int inCycle = first.time_since_epoch().count();
    constexpr Int kMax = std::numeric_limits<Int>::max();
    constexpr Int kMin = std::numeric_limits<Int>::min();
    if (cycles > kMax / kDaysPerCycle || cycles < kMin / kDaysPerCycle) {
        return false;
    }
    const Int cycleDays = cycles * kDaysPerCycle;
    if ((inCycle > 0 && cycleDays > kMax - inCycle) ||
        (inCycle < 0 && cycleDays < kMin - inCycle)) {
        return false;
    }
    days = cycleDays + inCycle;
    return true;
}

void CivilFromDays(Int days, Int& year, int& month, int& day) {
    const Int cycles = FloorDiv(days, kDaysPerCycle);
    const chrono::year_month_day date{
        chrono::sys_days{chrono::days{FloorMod(days, kDaysPerCycle)}}};
    year = Int{static_cast<int>(date.year())} + cycles * 400;
    month = static_cast<int>(static_cast<unsigned>(date.month()));
    day = static_cast<int>(static_cast<unsigned>(date.day()));
}

int WeekdayOfDay(Int days) {
    const chrono::sys_days day{chrono::days{FloorMod(days, kDaysPerCycle)}};
    return static_cast<int>(chrono::weekday{day}.c_encoding());
}

} // namespace orlen
