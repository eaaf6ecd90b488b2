#include "../scoped_time_zone.h"
#include "editors/http_date.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <string>

namespace orlen {
namespace {

using test::ScopedTimeZone;

constexpr const char* kUtc = "UTC0";
constexpr const char* kCentralEurope = "CET-1CEST,M3.5.0,M10.5.0/3";
constexpr const char* kUsEastern = "EST5EDT,M3.2.0,M11.1.0";
constexpr const char* kZones[] = {kUtc, kCentralEurope, kUsEastern};

// Sun, 06 Nov 1994 08:49:37 GMT, its midnight and its noon.
constexpr std::int64_t kSample = 784111777;
constexpr std::int64_t kSampleMidnight = 784080000;
constexpr std::int64_t kSampleNoon = 784123200;
constexpr std::int64_t kHour = 3600;
constexpr std::int64_t kDay = 86400;
constexpr std::int64_t kLastFormattable = 253402300799; // Fri, 31 Dec 9999 23:59:59

::testing::AssertionResult ParsesTo(const char* text, std::int64_t expected) {
    std::int64_t t = -12345;
    if (!ParseHttpDate(text, t)) {
        return ::testing::AssertionFailure() << '"' << text << "\" was refused";
    }
    if (t != expected) {
        return ::testing::AssertionFailure()
               << '"' << text << "\" read as " << t << ", expected " << expected;
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult IsRefused(const char* text) {
    std::int64_t t = 0;
    if (ParseHttpDate(text, t)) {
        return ::testing::AssertionFailure() << '"' << text << "\" was read as " << t;
    }
    return ::testing::AssertionSuccess();
}

TEST(HttpDateFormat, WritesRfc1123InGmtAndNothingOutsideFourDigitYears) {
    const ScopedTimeZone zone(kCentralEurope);
    struct Case {
        std::int64_t t;
        const char* text;
    };
    const Case cases[] = {
        {0, "Thu, 01 Jan 1970 00:00:00 GMT"},
        {kSample, "Sun, 06 Nov 1994 08:49:37 GMT"},
        {951782400, "Tue, 29 Feb 2000 00:00:00 GMT"},
        {1109844000, "Thu, 03 Mar 2005 10:00:00 GMT"},
        {1118790000, "Tue, 14 Jun 2005 23:00:00 GMT"},
        {kLastFormattable, "Fri, 31 Dec 9999 23:59:59 GMT"},
        {-1, ""},
        {std::numeric_limits<std::int64_t>::min(), ""},
        {kLastFormattable + 1, ""},
        {std::numeric_limits<std::int64_t>::max(), ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatHttpDate(c.t), c.text) << c.t;
    }
}

TEST(HttpDateFormat, AgreesWithTheCLibraryAndReadsBackOverTheWholeRange) {
    // Whatever the local zone, writing matches gmtime in the C locale, and
    // reading the written text gives the same value back.
    for (const char* tz : kZones) {
        const ScopedTimeZone zone(tz);
        for (std::int64_t t = 0; t <= kLastFormattable; t += 7777777 * 13 + 4321) {
            const std::time_t value = static_cast<std::time_t>(t);
            std::tm broken{};
            ASSERT_NE(gmtime_r(&value, &broken), nullptr);
            char expected[64];
            std::strftime(expected, sizeof expected, "%a, %d %b %Y %H:%M:%S GMT", &broken);
            const std::string text = FormatHttpDate(t);
            ASSERT_EQ(text, expected) << t;
            ASSERT_TRUE(ParsesTo(text.c_str(), t)) << tz;
        }
    }
}

TEST(HttpDateParse, ReadsTheUsualFormsIndependentlyOfTheLocalZone) {
    struct Case {
        const char* text;
        std::int64_t t;
    };
    const Case cases[] = {
        {"Sun, 06 Nov 1994 08:49:37 GMT", kSample},
        {"SUN, 06 NOV 1994 08:49:37 GMT", kSample},
        {"sunday, 06 nov 1994 08:49:37 gmt", kSample},
        {" \t Sun, 06 Nov 1994 08:49:37 GMT \r\n", kSample},
        {"Sun, 06 Nov 1994 08:49:37", kSample},
        {"06 Nov 1994 08:49:37 GMT", kSample},
        {"Sun, 06 Nov 94 08:49:37 GMT", kSample},
        {"Sun Nov  6 08:49:37 1994", kSample}, // asctime
        {"Nov 6 1994 08:49:37 UT", kSample},
        {"Sun, 06 Nov 1994 03:49:37 -0500", kSample},
        {"Sun, 06 Nov 1994 09:49:37 +0100", kSample},
        {"Sun, 06 Nov 1994 14:19:37 +0530", kSample},
        {"Sun, 06 Nov 1994 09:49:37 GMT+1", kSample},
        {"Sun, 06 Nov 1994 09:49:37 A", kSample},
        {"Sun, 06 Nov 1994 00:49:37 PST", kSample},
        {"06 Nov 1994 08:49:37 EST", kSample + 5 * kHour},
        // Without three numbers the time is noon.
        {"Sun, 06 Nov 1994 08:49 GMT", kSampleNoon},
        {"6 Nov 94 08:49 GMT", kSampleNoon},
        {"Sun, 06 Nov 1994", kSampleNoon},
        // A full month name only as the very first token.
        {"november 6 1994", kSampleNoon},
        // Lookups are substring searches: "on" names Monday.
        {"on 07 Nov 1994 00:00:00 GMT", kSampleMidnight + kDay},
        // Two-digit years.
        {"01 Jan 05 00:00:00 GMT", 1104537600},
        {"01 Jan 0 00:00:00 GMT", 946684800},
        {"01 Jan 69 00:00:00 GMT", 3124224000},
        {"01 Jan 70 00:00:00 GMT", 0},
        {"01 Jan 99 00:00:00 GMT", 915148800},
        // Four-digit years up to the end of the range.
        {"Fri, 31 Dec 9999 23:59:59 GMT", kLastFormattable},
    };
    for (const char* tz : kZones) {
        const ScopedTimeZone zone(tz);
        for (const Case& c : cases) {
            EXPECT_TRUE(ParsesTo(c.text, c.t)) << "TZ=" << tz;
        }
    }
}

TEST(HttpDateParse, TailTakesTheFirstNumberAsYearAndTheLastZoneAndTime) {
    struct Case {
        const char* text;
        std::int64_t t;
    };
    const Case cases[] = {
        {"Sun, 06 Nov 1994 08:49:37 EST GMT", kSample},
        {"Sun, 06 Nov 1994 08:49:37 GMT EST", kSample + 5 * kHour},
        {"06 Nov 1994 08:49:37 EST +0100", kSample - kHour},
        // The second plain number is a zone of 0 minutes.
        {"06 Nov 1994 2000 08:49:37", kSample},
        {"06 Nov 1994 08:49:37 1995", kSample},
        {"06 Nov 1994 01:00:00 08:49:37 GMT", kSample},
        // A malformed time after a good one brings noon back.
        {"06 Nov 1994 08:49:37 08:49 GMT", kSampleNoon},
        {"06 Nov 1994 08::49:37 GMT", kSampleNoon},
        // Unknown zones count as 0.
        {"Sun, 06 Nov 1994 08:49:37 XYZ", kSample},
        {"Sun, 06 Nov 1994 08:49:37 GMT.", kSample},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(ParsesTo(c.text, c.t));
    }
}

TEST(HttpDateParse, CarriesOutOfRangeFieldsAndChecksTheWeekdayAfterCarrying) {
    struct Case {
        const char* text;
        std::int64_t t;
    };
    const Case accepted[] = {
        {"Thu, 31 Feb 2005 10:00:00 GMT", 1109844000}, // 3 March 2005
        {"31 Feb 2004 10:00:00 GMT", 1078221600},      // 2 March in a leap year
        {"00 Mar 2004 00:00:00 GMT", 1078012800},      // 29 February
        {"31 Jun 2005 00:00:00 GMT", 1120176000},      // 1 July
        {"32 Dec 2004 00:00:00 GMT", 1104537600},      // 1 January 2005
        {"400 Jan 1970 00:00:00 GMT", 34473600},
        {"Sun, 05 Nov 1994 24:00:00 GMT", kSampleMidnight},
        {"Sat, 06 Nov 1994 00:00:-1 GMT", kSampleMidnight - 1},
        {"06 Nov 1994 -1:00:00 GMT", kSampleMidnight - kHour},
        {"06 Nov 1994 08:49:3600 GMT", kSampleMidnight + 9 * kHour + 49 * 60},
    };
    for (const Case& c : accepted) {
        EXPECT_TRUE(ParsesTo(c.text, c.t));
    }
    const char* refused[] = {
        "Mon, 06 Nov 1994 08:49:37 GMT",
        "Mon, 31 Feb 2005 10:00:00 GMT",
        "Sat, 05 Nov 1994 24:00:00 GMT",
        "Sun, 06 Nov 1994 00:00:-1 GMT",
    };
    for (const char* text : refused) {
        EXPECT_TRUE(IsRefused(text));
    }
}

TEST(HttpDateParse, RefusesTextsWithoutMonthDayOrYear) {
    const char* refused[] = {
        "",
        "   ",
        "0",
        "-1",
        "never",
        "Nov",
        "06-Nov-94",
        "Sunday, 06-Nov-94 08:49:37 GMT",
        "Sun, 06 November 1994 08:49:37 GMT", // full month name after the day
        "Sun, 06 Nov, 1994 08:49:37 GMT",     // the comma stays on the month
        "Sun, 06 1994 08:49:37 GMT",
        "Sun, 06 Nov 08:49:37 GMT",
        "Sun, Nov 1994",
    };
    for (const char* text : refused) {
        EXPECT_TRUE(IsRefused(text));
    }
}

TEST(HttpDateParse, RefusesInstantsBefore1970AndSurvivesHugeNumbers) {
    const char* refused[] = {
        "Mon, 01 Jan 1900 00:00:00 GMT",
        "31 Dec 1969 23:59:59 GMT",
        "01 Jan 1970 00:30:00 +0100",
        "01 Jan 100 00:00:00 GMT",
        "06 Nov 99999999999999999999 08:49:37 GMT",
        "06 Nov -99999999999999999999 08:49:37 GMT",
        "06 Nov 9223372036854775807 08:49:37 GMT",
        "Nov 99999999999999999999 1994 08:49:37 GMT",
        "Nov -99999999999999999999 1994 08:49:37 GMT",
        "06 Nov 1994 99999999999999999999:00:00 GMT",
        "06 Nov 1994 -99999999999999999999:00:00 GMT",
        "06 Nov 1994 00:99999999999999999999:00 GMT",
        "06 Nov 1994 00:00:99999999999999999999 GMT",
        "06 Nov 1994 08:49:37 +99999999999",
    };
    for (const char* text : refused) {
        EXPECT_TRUE(IsRefused(text));
    }
    EXPECT_TRUE(ParsesTo("01 Jan 1970 00:00:00 GMT", 0));
    EXPECT_TRUE(ParsesTo("01 Jan 1970 01:00:00 +0100", 0));
    // The first token is cut to three characters before it is read.
    EXPECT_TRUE(ParsesTo("99999999999999999999 Nov 1994 08:49:37 GMT", kSample + 993 * kDay));
    // Years past 9999 are read; they only cannot be written.
    EXPECT_TRUE(ParsesTo("01 Jan 10000 00:00:00 GMT", kLastFormattable + 1));
    // A huge western zone saturates at the smallest int of minutes.
    EXPECT_TRUE(ParsesTo("06 Nov 1994 08:49:37 -99999999999", kSample + 60 * 2147483648LL));
}

TEST(ZoneOffset, ReadsNamesLettersAndNumbers) {
    struct Case {
        const char* token;
        int minutes;
    };
    const Case cases[] = {
        {"gmt", 0},
        {"ut", 0},
        {"z", 0},
        {"est", -300},
        {"edt", -240},
        {"cst", -360},
        {"cdt", -300},
        {"mst", -420},
        {"mdt", -360},
        {"pst", -480},
        {"pdt", -420},
        // Letters, where the name list has no match first.
        {"y", -720},
        {"n", -60},
        {"a", 60},
        {"i", 540},
        {"k", 600},
        {"m", 0}, // found in "gmt"
        {"e", -300},
        {"j", 0},
        // Numbers: the last two characters are minutes when more remain.
        {"-0500", -300},
        {"+0100", 60},
        {"+0530", 330},
        {"+1", 60},
        {"+10", 10},
        {"0100", 0}, // no sign
        {"gmt+1", 60},
        {"gmt-0130", -90},
        {"est+0100", -240},
        {"-", 0},
        {"xyz", 0},
        {"", 0},
        // Far too large numbers saturate instead of overflowing.
        {"+99999999999", INT_MAX},
        {"-99999999999", INT_MIN},
        {"+99999999999999999999999", INT_MAX},
        {"-99999999999999999999999", INT_MIN},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseZoneOffset(c.token), c.minutes) << '"' << c.token << '"';
    }
}

TEST(LocalDates, DateOfAnInstantFollowsTheZoneAndItsSummerTime) {
    struct Case {
        const char* tz;
        std::int64_t t;
        CalendarDate date;
    };
    const Case cases[] = {
        {kUtc, 0, {1970, 1, 1}},
        {kUtc, kDay - 1, {1970, 1, 1}},
        {kUtc, kDay, {1970, 1, 2}},
        {kUtc, kSample, {1994, 11, 6}},
        {kUtc, 951782400, {2000, 2, 29}},
        // One hour east in winter, two in summer.
        {kCentralEurope, 1105741800, {2005, 1, 14}}, // 22:30 GMT
        {kCentralEurope, 1105745400, {2005, 1, 15}}, // 23:30 GMT
        {kCentralEurope, 1118784600, {2005, 6, 14}}, // 21:30 GMT
        {kCentralEurope, 1118788200, {2005, 6, 15}}, // 22:30 GMT
        {kCentralEurope, 0, {1970, 1, 1}},
        // Five hours west in winter, four in summer.
        {kUsEastern, 1105763400, {2005, 1, 14}}, // 04:30 GMT
        {kUsEastern, 1105767000, {2005, 1, 15}}, // 05:30 GMT
        {kUsEastern, 1118806200, {2005, 6, 14}}, // 03:30 GMT
        {kUsEastern, 1118809800, {2005, 6, 15}}, // 04:30 GMT
        {kUsEastern, 0, {1969, 12, 31}},
    };
    for (const Case& c : cases) {
        const ScopedTimeZone zone(c.tz);
        const CalendarDate date = LocalDateOf(c.t);
        EXPECT_EQ(date.year, c.date.year) << c.tz << ' ' << c.t;
        EXPECT_EQ(date.month, c.date.month) << c.tz << ' ' << c.t;
        EXPECT_EQ(date.day, c.date.day) << c.tz << ' ' << c.t;
    }
    const ScopedTimeZone zone(kUtc);
    EXPECT_EQ(LocalDateOf(std::numeric_limits<std::int64_t>::max()).year, INT_MAX);
    EXPECT_EQ(LocalDateOf(std::numeric_limits<std::int64_t>::min()).year, INT_MIN);
}

TEST(LocalDates, MidnightIsAlwaysInStandardTime) {
    struct Case {
        const char* tz;
        int year;
        int month;
        int day;
        const char* text;
    };
    const Case cases[] = {
        {kUtc, 2005, 6, 15, "Wed, 15 Jun 2005 00:00:00 GMT"},
        {kUtc, 1994, 11, 6, "Sun, 06 Nov 1994 00:00:00 GMT"},
        {kUtc, 2004, 2, 29, "Sun, 29 Feb 2004 00:00:00 GMT"},
        // Out-of-range months and days carry over.
        {kUtc, 2005, 2, 29, "Tue, 01 Mar 2005 00:00:00 GMT"},
        {kUtc, 2005, 6, 0, "Tue, 31 May 2005 00:00:00 GMT"},
        {kUtc, 2005, 6, 31, "Fri, 01 Jul 2005 00:00:00 GMT"},
        {kUtc, 2004, 13, 1, "Sat, 01 Jan 2005 00:00:00 GMT"},
        {kUtc, 2005, 0, 1, "Wed, 01 Dec 2004 00:00:00 GMT"},
        {kUtc, 2005, -11, 1, "Thu, 01 Jan 2004 00:00:00 GMT"},
        // One hour east, in summer and winter alike, also on the switch days.
        {kCentralEurope, 2005, 6, 15, "Tue, 14 Jun 2005 23:00:00 GMT"},
        {kCentralEurope, 2005, 1, 15, "Fri, 14 Jan 2005 23:00:00 GMT"},
        {kCentralEurope, 2005, 3, 27, "Sat, 26 Mar 2005 23:00:00 GMT"},
        {kCentralEurope, 2005, 10, 30, "Sat, 29 Oct 2005 23:00:00 GMT"},
        // Five hours west, likewise.
        {kUsEastern, 2005, 6, 15, "Wed, 15 Jun 2005 05:00:00 GMT"},
        {kUsEastern, 2005, 1, 15, "Sat, 15 Jan 2005 05:00:00 GMT"},
        {kUsEastern, 2005, 3, 13, "Sun, 13 Mar 2005 05:00:00 GMT"},
        {kUsEastern, 2005, 11, 6, "Sun, 06 Nov 2005 05:00:00 GMT"},
    };
    for (const Case& c : cases) {
        const ScopedTimeZone zone(c.tz);
        EXPECT_EQ(FormatHttpDate(LocalMidnight(c.year, c.month, c.day)), c.text)
            << c.tz << ' ' << c.year << '-' << c.month << '-' << c.day;
    }
    {
        // East of GMT, the first day of 1970 starts before the epoch.
        const ScopedTimeZone zone(kCentralEurope);
        EXPECT_EQ(LocalMidnight(1970, 1, 1), -kHour);
    }
    const ScopedTimeZone zone(kUtc);
    // Dates far outside the range either convert to values that cannot be
    // written, or fail with -1; none overflows.
    EXPECT_EQ(FormatHttpDate(LocalMidnight(INT_MAX, 12, 31)), "");
    EXPECT_EQ(LocalMidnight(INT_MAX, INT_MAX, INT_MAX), -1);
    EXPECT_EQ(LocalMidnight(INT_MIN, 1, 1), -1);
    EXPECT_EQ(LocalMidnight(INT_MIN, INT_MIN, INT_MIN), -1);
    EXPECT_LT(LocalMidnight(2005, INT_MIN, 1), 0);
    EXPECT_LT(LocalMidnight(1900, 1, 1), 0);
}

TEST(LocalDates, EveryDayIsOneStandardDayLongAndShowsItsOwnDate) {
    const int daysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (const char* tz : kZones) {
        const ScopedTimeZone zone(tz);
        for (int year = 2004; year <= 2006; ++year) {
            for (int month = 1; month <= 12; ++month) {
                const int days = daysInMonth[month - 1] + (month == 2 && year % 4 == 0 ? 1 : 0);
                for (int day = 1; day <= days; ++day) {
                    const std::int64_t midnight = LocalMidnight(year, month, day);
                    ASSERT_EQ(LocalMidnight(year, month, day + 1) - midnight, kDay)
                        << tz << ' ' << year << '-' << month << '-' << day;
                    const CalendarDate shown = LocalDateOf(midnight);
                    ASSERT_EQ(shown.year, year) << tz;
                    ASSERT_EQ(shown.month, month) << tz << ' ' << year;
                    ASSERT_EQ(shown.day, day) << tz << ' ' << year << '-' << month;
                }
            }
        }
    }
}

} // namespace
} // namespace orlen
