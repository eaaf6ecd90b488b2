// Days of the calendar, for HTTP dates and the Expires editor's month
// calendar, computed with the std::chrono calendar types.
//
// std::chrono::year holds only the years -32767..32767; the functions here
// take any year an int (or a 64-bit count of days) can name by moving it
// into that range by whole 400-year cycles, which repeat the Gregorian
// calendar's leap years and weekdays exactly.
#pragma once

#include <cstdint>

namespace orlen {

// Days in a month (index 0..11) of a year, February counting leap years by
// the Gregorian rule.
int DaysInMonth(int year, int monthIndex);

// The weekday (0 = Sunday) of the 1st of a month (index 0..11): by the
// Gregorian calendar from the reform of 15 October 1582 on, by the Julian
// calendar before it, as the calendars of the time counted.
int FirstWeekdayOfMonth(int year, int monthIndex);

// The year and month index (0..11) a number of months away.
void AddMonths(int& year, int& monthIndex, int months);

// Days from 1970-01-01 to the first of a month (1..12) of any year, in the
// proleptic Gregorian calendar. False when the count does not fit 64 bits.
bool DaysFromCivil(std::int64_t year, int month, std::int64_t& days);

// The date of a day counted from 1970-01-01 (the inverse of DaysFromCivil):
// year, month 1..12, day 1..31.
void CivilFromDays(std::int64_t days, std::int64_t& year, int& month, int& day);

// The weekday (0 = Sunday) of a day counted from 1970-01-01.
int WeekdayOfDay(std::int64_t days);

} // namespace orlen
