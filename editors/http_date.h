// HTTP dates: writing and reading the text form of the Expires tag, and the
// local calendar dates that the Expires editor shows and lets the user pick.
//
// A time value is a signed 64-bit count of seconds since 1970-01-01 00:00:00
// UTC. The written form is RFC 1123, always in GMT:
// "Sun, 06 Nov 1994 08:49:37 GMT".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orlen {

// A day of the calendar: year (e.g. 2005), month 1..12, day 1..31.
struct CalendarDate {
    int year;
    int month;
    int day;

    bool operator==(const CalendarDate&) const = default;
};

// Writes t as "%a, %d %b %Y %H:%M:%S GMT" with English names, broken down in
// UTC. Returns "" for a negative value and for one after the year 9999,
// which has no four-digit year.
std::string FormatHttpDate(std::int64_t t);

// Reads a date in the RFC 1123 form, with or without weekday, with a named,
// lettered or numeric zone, two-digit years, or in the asctime form
// ("Sun Nov  6 08:49:37 1994"). Fields out of their ranges carry over
// (31 Feb is 3 or 2 Mar, 24:00:00 is the next midnight); a given weekday
// must match the date after carrying. Returns 1 and the time value on
// success; 0 when no month, day or year is found, the weekday does not
// match, the instant falls before 1970, or the fields are so large that the
// instant does not fit a time value. t is not meaningful after a failure.
// The result never depends on the local time zone.
int ParseHttpDate(std::string_view text, std::int64_t& t);

// Reads one lower-case zone token ("gmt", "est", a military letter, "-0500",
// "+1", "gmt+1") and returns its offset in minutes east of UTC. Tokens it
// does not recognise give 0. Offsets beyond the range of int saturate.
int ParseZoneOffset(std::string_view token);

// The date the local clock shows at instant t, daylight saving applied by
// the local rules (TZ honoured). When the platform cannot break t down, the
// UTC date is returned, its year saturated to the range of int.
CalendarDate LocalDateOf(std::int64_t t);

// The instant at which local standard time (never daylight saving time)
// reads 00:00:00 on the given date. Months and days out of range carry over
// (day 0 is the last day of the previous month). Returns -1 when the date
// cannot be converted.
std::int64_t LocalMidnight(int year, int month, int day);

} // namespace orlen
