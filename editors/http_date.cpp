#include "editors/http_date.h"
#include "page/text_util.h"

#include "editors/calendar.h"
#include "editors/value_grammars.h"

#include <climits>
#include <ctime>
#include <limits>

namespace orlen {

namespace {

using Int = std::int64_t;
constexpr Int kIntMax = std::numeric_limits<Int>::max();
constexpr Int kIntMin = std::numeric_limits<Int>::min();
constexpr Int kSecondsPerDay = 86400;

// Lookup lists. Every entry starts at a multiple of 4, so a match at
// position p names entry p / 4. Matches are plain substring searches.
constexpr std::string_view kWeekdayList = "sun mon tue wed thu fri sat ";
constexpr std::string_view kMonthList = "jan feb mar apr may jun jul aug sep oct nov dec ";
constexpr std::string_view kZoneNameList = "ut  gmt est edt cst cdt mst mdt pst pdt ";
constexpr int kZoneNameHours[] = {0, 0, -5, -4, -6, -5, -7, -6, -8, -7};
// Military zone letters: the letter at position p is p - 12 hours.
constexpr std::string_view kZoneLetterList = "yxwvutsrqponzabcdefghiklm";

constexpr const char* kWeekdayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

char ToLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Takes the next token from the front of rest: leading white space is
// skipped and the token ends at the next space character, which is consumed.
// Only the space separates tokens, so punctuation stays attached ("sun,").
// Once rest is used up every further token is empty.
std::string_view NextToken(std::string_view& rest) {
    while (!rest.empty() && IsWhiteSpace(rest.front())) {
        rest.remove_prefix(1);
    }
    const std::size_t space = rest.find(' ');
    if (space == std::string_view::npos) {
        const std::string_view token = rest;
        rest = {};
        return token;
    }
    const std::string_view token = rest.substr(0, space);
    rest.remove_prefix(space + 1);
    return token;
}

// Overflow-checked arithmetic: each returns false instead of overflowing.
bool AddChecked(Int a, Int b, Int& out) {
    if ((b > 0 && a > kIntMax - b) || (b < 0 && a < kIntMin - b)) {
        return false;
    }
    out = a + b;
    return true;
}

bool MulChecked(Int a, Int factor, Int& out) { // factor > 0
    if (a > kIntMax / factor || a < kIntMin / factor) {
        return false;
    }
    out = a * factor;
    return true;
}

Int FloorDiv(Int a, Int b) { // b > 0
    const Int q = a / b;
    return (a % b < 0) ? q - 1 : q;
}

Int FloorMod(Int a, Int b) { // b > 0
    const Int r = a % b;
    return r < 0 ? r + b : r;
}

int SaturateToInt(Int v) {
    if (v > INT_MAX) {
        return INT_MAX;
    }
    if (v < INT_MIN) {
        return INT_MIN;
    }
    return static_cast<int>(v);
}

void AppendTwoDigits(std::string& out, int v) {
    out += static_cast<char>('0' + v / 10);
    out += static_cast<char>('0' + v % 10);
}

// Reads "hour:minute:second", three decimal scans separated by single
// colons; anything after the seconds is ignored.
bool ReadTimeOfDay(std::string_view token, Int& hour, Int& minute, Int& second) {
    Int* const fields[] = {&hour, &minute, &second};
    Int values[3] = {0, 0, 0};
    for (int i = 0; i < 3; ++i) {
        if (i > 0) {
            if (token.empty() || token.front() != ':') {
                return false;
            }
            token.remove_prefix(1);
        }
        std::size_t end = 0;
        if (!ScanDecimal(token, values[i], &end)) {
            return false;
        }
        token.remove_prefix(end);
    }
    for (int i = 0; i < 3; ++i) {
        *fields[i] = values[i];
    }
    return true;
}

} // namespace

std::string FormatHttpDate(std::int64_t t) {
    if (t < 0) {
        return {};
    }
    const Int days = t / kSecondsPerDay;
    const Int secondOfDay = t % kSecondsPerDay;
    Int year = 0;
    int month = 0;
    int day = 0;
    CivilFromDays(days, year, month, day);
    if (year > 9999) {
        return {};
    }
    const int hour = static_cast<int>(secondOfDay / 3600);
    const int minute = static_cast<int>(secondOfDay / 60 % 60);
    const int second = static_cast<int>(secondOfDay % 60);

    std::string out;
    out.reserve(29);
    out += kWeekdayNames[WeekdayOfDay(days)];
    out += ", ";
    AppendTwoDigits(out, day);
    out += ' ';
    out += kMonthNames[month - 1];
    out += ' ';
    AppendTwoDigits(out, static_cast<int>(year / 100));
    AppendTwoDigits(out, static_cast<int>(year % 100));
    out += ' ';
    AppendTwoDigits(out, hour);
    out += ':';
    AppendTwoDigits(out, minute);
    out += ':';
    AppendTwoDigits(out, second);
    out += " GMT";
    return out;
}

int ParseHttpDate(std::string_view text, std::int64_t& t) {
    std::string lowered(Trim(text));
    for (char& c : lowered) {
        c = ToLower(c);
    }
    std::string_view rest = lowered;

    int weekday = 0; // 1 = Sunday .. 7 = Saturday; 0 when none was given
    Int day = 0;
    Int year = 0;
    bool haveYear = false;
    Int hour = 12;
    Int minute = 0;
    Int second = 0;
    int zoneMinutes = 0;

    // A leading weekday is recognised by its first three letters, so that
    // "sunday," is read too; otherwise those three letters are read on.
    std::string_view token = NextToken(rest).substr(0, 3);
    const std::size_t weekdayPos = kWeekdayList.find(token);
    if (weekdayPos != std::string_view::npos) {
        weekday = static_cast<int>(weekdayPos / 4) + 1;
        token = NextToken(rest);
    }

    // Day and month, in either order ("06 nov" or the asctime "nov 6").
    const bool dayFirst = ScanDecimal(token, day) != 0;
    if (dayFirst) {
        token = NextToken(rest);
    }
    const std::size_t monthPos = kMonthList.find(token);
    if (monthPos == std::string_view::npos) {
        return 0;
    }
    const int month = static_cast<int>(monthPos / 4) + 1;
    if (!dayFirst && !ScanDecimal(NextToken(rest), day)) {
        return 0;
    }

    // The tail: the first plain number is the year, later plain tokens are
    // zones (the last wins), tokens with a colon are times (the last wins).
    for (token = NextToken(rest); !token.empty(); token = NextToken(rest)) {
        if (token.find(':') == std::string_view::npos) {
            Int number = 0;
            if (!haveYear && ScanDecimal(token, number)) {
                year = number;
                haveYear = true;
            } else {
                zoneMinutes = ParseZoneOffset(token);
            }
        } else if (!ReadTimeOfDay(token, hour, minute, second)) {
            hour = 12;
            minute = 0;
            second = 0;
        }
    }
    if (!haveYear) {
        return 0;
    }
    if (year < 70) {
        year += 2000;
    }
    if (year < 100) {
        year += 1900;
    }

    // The calendar time in UTC; out-of-range fields carry over because they
    // are simply added up as days and seconds.
    Int days = 0;
    Int seconds = 0;
    Int part = 0;
    if (!DaysFromCivil(year, month, days) || !AddChecked(days, day, days) ||
        !AddChecked(days, -1, days) || !MulChecked(days, kSecondsPerDay, seconds) ||
        !MulChecked(hour, 3600, part) || !AddChecked(seconds, part, seconds) ||
        !MulChecked(minute, 60, part) || !AddChecked(seconds, part, seconds) ||
        !AddChecked(seconds, second, seconds)) {
        return 0;
    }
    if (weekday != 0 && WeekdayOfDay(FloorDiv(seconds, kSecondsPerDay)) + 1 != weekday) {
        return 0;
    }
    if (!AddChecked(seconds, -Int{60} * zoneMinutes, seconds) || seconds < 0) {
        return 0;
    }
    t = seconds;
    return 1;
}

int ParseZoneOffset(std::string_view token) {
    std::string zone(token);
    int sign = 0;
    char signChar = 0;
    if (zone.find('-') != std::string::npos) {
        sign = -1;
        signChar = '-';
    } else if (zone.find('+') != std::string::npos) {
        sign = 1;
        signChar = '+';
    }
    if (signChar != 0) {
        for (char& c : zone) {
            if (c == signChar) {
                c = ' ';
            }
        }
    }

    // A named or lettered zone in front ("gmt" of "gmt+1"); a token that
    // began with its sign has only the numeric part.
    std::string_view rest = zone;
    Int zoneHours = 0;
    if (!rest.empty() && rest.front() == ' ') {
        while (!rest.empty() && IsWhiteSpace(rest.back())) {
            rest.remove_suffix(1);
        }
    } else {
        const std::string_view name = NextToken(rest);
        const std::size_t namePos = kZoneNameList.find(name);
        if (namePos != std::string_view::npos) {
            zoneHours = kZoneNameHours[namePos / 4];
        } else {
            const std::size_t letterPos = kZoneLetterList.find(name);
            if (letterPos != std::string_view::npos) {
                zoneHours = static_cast<Int>(letterPos) - 12;
            }
        }
    }

    // Numeric part: the last two characters are minutes when more than two
    // remain, what is before them the hours. Large values are clamped far
    // beyond any real offset so that the sum below cannot overflow.
    constexpr Int kLimit = Int{1} << 40;
    Int hours = 0;
    Int minutes = 0;
    if (rest.size() > 2) {
        if (!ScanDecimal(rest.substr(rest.size() - 2), minutes)) {
            minutes = 0;
        }
        rest.remove_suffix(2);
    }
    if (!ScanDecimal(rest, hours)) {
        hours = 0;
    }
    hours = hours > kLimit ? kLimit : (hours < -kLimit ? -kLimit : hours);
    return SaturateToInt(zoneHours * 60 + sign * (hours * 60 + minutes));
}

CalendarDate LocalDateOf(std::int64_t t) {
    // localtime_r need not look at TZ again by itself.
    tzset();
    if (t >= std::numeric_limits<std::time_t>::min() &&
        t <= std::numeric_limits<std::time_t>::max()) {
        const std::time_t value = static_cast<std::time_t>(t);
        std::tm local{};
        if (localtime_r(&value, &local) != nullptr) {
            return {SaturateToInt(Int{local.tm_year} + 1900), local.tm_mon + 1, local.tm_mday};
        }
    }
    Int year = 0;
    int month = 0;
    int day = 0;
    CivilFromDays(FloorDiv(t, kSecondsPerDay), year, month, day);
    return {SaturateToInt(year), month, day};
}

std::int64_t LocalMidnight(int year, int month, int day) {
    // Carry the month into the year here, where it cannot overflow an int.
    const Int fullYear = Int{year} + FloorDiv(Int{month} - 1, 12);
    const Int yearsSince1900 = fullYear - 1900;
    if (yearsSince1900 < INT_MIN || yearsSince1900 > INT_MAX) {
        return -1;
    }
    std::tm local{};
    local.tm_year = static_cast<int>(yearsSince1900);
    local.tm_mon = static_cast<int>(FloorMod(Int{month} - 1, 12));
    local.tm_mday = day;
    // Standard time, even for a date inside the summer period.
    local.tm_isdst = 0;
    const std::time_t result = std::mktime(&local);
    if (result == static_cast<std::time_t>(-1)) {
        return -1;
    }
    return static_cast<std::int64_t>(result);
}

} // namespace orlen
