#include "../scoped_time_zone.h"
#include "editors/http_date.h"
#include "editors/value_grammars.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <string>

namespace orlen {
namespace {

using test::ScopedTimeZone;

constexpr std::int64_t kInt64Max = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kInt64Min = std::numeric_limits<std::int64_t>::min();

const char* ChoiceName(CacheControlChoice choice) {
    switch (choice) {
    case CacheControlChoice::DontLimit:
        return "DontLimit";
    case CacheControlChoice::PreventCaching:
        return "PreventCaching";
    case CacheControlChoice::MaximumAge:
        return "MaximumAge";
    }
    return "?";
}

TEST(DecimalScan, ReadsALeadingSignedNumberAndSaturates) {
    struct Case {
        const char* text;
        int found;
        std::int64_t value;
        std::size_t end;
    };
    const Case cases[] = {
        {"42", 1, 42, 2},
        {"  \t42abc", 1, 42, 5},
        {"+7;x", 1, 7, 2},
        {"-7", 1, -7, 2},
        {"010", 1, 10, 3},
        {"06,", 1, 6, 2},
        {"1994", 1, 1994, 4},
        {"9223372036854775807", 1, kInt64Max, 19},
        {"-9223372036854775808", 1, kInt64Min, 20},
        {"9223372036854775808", 1, kInt64Max, 19},
        {"-9223372036854775809", 1, kInt64Min, 20},
        {"99999999999999999999999x", 1, kInt64Max, 23},
        {"-99999999999999999999999", 1, kInt64Min, 24},
        {"", 0, 0, 0},
        {"   ", 0, 0, 0},
        {"abc", 0, 0, 0},
        {"-", 0, 0, 0},
        {"+-1", 0, 0, 0},
        {"- 1", 0, 0, 0},
        {"x1", 0, 0, 0},
    };
    for (const Case& c : cases) {
        std::int64_t value = 0;
        std::size_t end = 0;
        EXPECT_EQ(ScanDecimal(c.text, value, &end), c.found) << '"' << c.text << '"';
        if (c.found) {
            EXPECT_EQ(value, c.value) << '"' << c.text << '"';
            EXPECT_EQ(end, c.end) << '"' << c.text << '"';
        }
    }
}

TEST(IntegerField, AcceptsOnlyWholeNonNegative32BitIntegers) {
    struct Case {
        const char* text;
        int accepted;
        int value;
    };
    const Case cases[] = {
        {"10", 1, 10},        {" 10 ", 1, 10},
        {"\t7\r\n", 1, 7},    {"010", 1, 10},
        {"+5", 1, 5},         {"0", 1, 0},
        {"-0", 1, 0},         {"2147483647", 1, 2147483647},
        {"2147483648", 0, 0}, {"99999999999999999999999", 0, 0},
        {"-1", 0, 0},         {"", 0, 0},
        {"  ", 0, 0},         {"abc", 0, 0},
        {"12abc", 0, 0},      {"1.5", 0, 0},
        {"1 2", 0, 0},        {"- 1", 0, 0},
    };
    for (const Case& c : cases) {
        int value = -99;
        EXPECT_EQ(ReadIntegerField(c.text, value), c.accepted) << '"' << c.text << '"';
        if (c.accepted) {
            EXPECT_EQ(value, c.value) << '"' << c.text << '"';
        }
    }
    EXPECT_EQ(kEnterIntegerMessage, "Please enter an integer.");
}

TEST(CacheControlEditor, ReadsTheFirstMatchingDirective) {
    using enum CacheControlChoice;
    struct Case {
        const char* text;
        CacheControlChoice choice;
        int seconds;
    };
    const Case cases[] = {
        {"", DontLimit, 10},
        {"private", DontLimit, 10},
        {"no-store", DontLimit, 10},
        {"s-maxage=5", DontLimit, 10},
        {"No-Cache", PreventCaching, 10},
        {"no-cache, max-age=0", PreventCaching, 10},
        {"max-age=3600", MaximumAge, 3600},
        {"MAX-AGE=3600", MaximumAge, 3600},
        {"max-age = 60", MaximumAge, 60},
        {"max-age=60, must-revalidate", MaximumAge, 60},
        {"private, max-age=60", MaximumAge, 60},
        {"max-age=6 0", MaximumAge, 60},
        {"max-age", MaximumAge, 10},
        {"max-age:60", MaximumAge, 10},
        {"max-age=abc", MaximumAge, 10},
        {"max-age=0", MaximumAge, 0},
        {"x=1, max-age=60", MaximumAge, 60},
        // Numbers a seconds field cannot hold are clamped into its range.
        {"max-age=99999999999999999999", MaximumAge, 2147483647},
        {"max-age=-5", MaximumAge, 0},
    };
    for (const Case& c : cases) {
        const CacheControlState state = ReadCacheControl(c.text);
        EXPECT_STREQ(ChoiceName(state.choice), ChoiceName(c.choice)) << '"' << c.text << '"';
        EXPECT_EQ(state.seconds, c.seconds) << '"' << c.text << '"';
    }
}

TEST(CacheControlEditor, EnablesSecondsWithMaximumAgeAndOkForAPositiveNumber) {
    using enum CacheControlChoice;
    struct Case {
        CacheControlChoice choice;
        const char* seconds;
        bool secondsEnabled;
        bool okEnabled;
    };
    const Case cases[] = {
        {MaximumAge, "60", true, true},    {MaximumAge, " 1", true, true},
        {MaximumAge, "7x", true, true}, // read by a decimal scan; refused only on OK
        {MaximumAge, "0", true, false},    {MaximumAge, "", true, false},
        {MaximumAge, "abc", true, false},  {MaximumAge, "-5", true, false},
        {DontLimit, "0", false, true},     {DontLimit, "abc", false, true},
        {PreventCaching, "", false, true},
    };
    for (const Case& c : cases) {
        const CacheControlEnabling enabling = CacheControlEnablingFor(c.choice, c.seconds);
        EXPECT_EQ(enabling.secondsField, c.secondsEnabled)
            << ChoiceName(c.choice) << " \"" << c.seconds << '"';
        EXPECT_EQ(enabling.okButton, c.okEnabled)
            << ChoiceName(c.choice) << " \"" << c.seconds << '"';
    }
}

TEST(CacheControlEditor, ComposesTheResultOrRefusesTheSecondsField) {
    using enum CacheControlChoice;
    struct Case {
        CacheControlChoice choice;
        const char* seconds;
        int accepted;
        const char* text;
    };
    const Case cases[] = {
        {DontLimit, "10", 1, ""},
        {DontLimit, "abc", 1, ""},
        {PreventCaching, "", 1, "no-cache"},
        {MaximumAge, "3600", 1, "max-age=3600"},
        {MaximumAge, "010", 1, "max-age=10"},
        {MaximumAge, " 60 ", 1, "max-age=60"},
        {MaximumAge, "2147483647", 1, "max-age=2147483647"},
        {MaximumAge, "60s", 0, ""},
        {MaximumAge, "", 0, ""},
        {MaximumAge, "-1", 0, ""},
        {MaximumAge, "2147483648", 0, ""},
    };
    for (const Case& c : cases) {
        const EditorResult result = ComposeCacheControl(c.choice, c.seconds);
        EXPECT_EQ(result.accepted, c.accepted) << ChoiceName(c.choice) << " \"" << c.seconds << '"';
        if (c.accepted) {
            EXPECT_EQ(result.text, c.text);
        } else {
            EXPECT_EQ(result.message, "Please enter an integer.");
        }
    }

    // The text the choices a tag's text opens with compose.
    struct RoundTrip {
        const char* before;
        const char* after;
    };
    const RoundTrip trips[] = {
        {"No-Cache", "no-cache"},
        {"max-age = 60", "max-age=60"},
        {"max-age=60, must-revalidate", "max-age=60"},
        {"max-age", "max-age=10"},
        {"private", ""},
        {"no-cache, max-age=0", "no-cache"},
    };
    for (const RoundTrip& trip : trips) {
        const CacheControlState state = ReadCacheControl(trip.before);
        const std::string field = std::to_string(state.seconds);
        ASSERT_TRUE(CacheControlEnablingFor(state.choice, field).okButton) << trip.before;
        const EditorResult result = ComposeCacheControl(state.choice, field);
        EXPECT_EQ(result.accepted, 1) << trip.before;
        EXPECT_EQ(result.text, trip.after) << trip.before;
    }
    // "max-age=0" opens with OK disabled until another choice is made.
    const CacheControlState zero = ReadCacheControl("max-age=0");
    EXPECT_FALSE(CacheControlEnablingFor(zero.choice, std::to_string(zero.seconds)).okButton);
    EXPECT_TRUE(CacheControlEnablingFor(zero.choice, "5").okButton);
    EXPECT_TRUE(CacheControlEnablingFor(CacheControlChoice::DontLimit, "0").okButton);
}

TEST(CacheControlEditor, OkWithoutAChangeKeepsTheTextAsWritten) {
    using enum CacheControlChoice;
    struct Case {
        const char* original;
        CacheControlChoice choice; // as the user left the dialog
        const char* seconds;
        int accepted;
        const char* result;
    };
    const Case cases[] = {
        // The choices the text opens with: the text byte for byte, with the
        // directives the editor does not show.
        {"", DontLimit, "0", 1, ""},
        {"No-Cache", PreventCaching, "0", 1, "No-Cache"},
        {"no-cache, max-age=0", PreventCaching, "0", 1, "no-cache, max-age=0"},
        {"max-age = 60", MaximumAge, "60", 1, "max-age = 60"},
        {"max-age=60, must-revalidate", MaximumAge, "60", 1, "max-age=60, must-revalidate"},
        {"private, max-age=60", MaximumAge, "60", 1, "private, max-age=60"},
        {"max-age", MaximumAge, "10", 1, "max-age"},
        {"private", DontLimit, "0", 1, "private"},
        {"max-age=99999999999", MaximumAge, "2147483647", 1, "max-age=99999999999"},
        // The same seconds written another way are the same choice.
        {"max-age=60, must-revalidate", MaximumAge, " 060 ", 1, "max-age=60, must-revalidate"},
        // Other choices: their own text.
        {"max-age=60, must-revalidate", MaximumAge, "120", 1, "max-age=120"},
        {"max-age=60, must-revalidate", PreventCaching, "0", 1, "no-cache"},
        {"No-Cache", DontLimit, "0", 1, ""},
        {"private", PreventCaching, "0", 1, "no-cache"},
        {"private", MaximumAge, "60", 1, "max-age=60"},
        {"max-age=0", MaximumAge, "5", 1, "max-age=5"},
        {"", MaximumAge, "010", 1, "max-age=10"},
        // A seconds field that is no integer is refused as before.
        {"max-age = 60", MaximumAge, "60s", 0, ""},
    };
    for (const Case& c : cases) {
        const EditorResult result = CacheControlResult(c.original, c.choice, c.seconds);
        EXPECT_EQ(result.accepted, c.accepted)
            << '"' << c.original << "\" " << ChoiceName(c.choice) << " \"" << c.seconds << '"';
        EXPECT_EQ(result.text, c.result)
            << '"' << c.original << "\" " << ChoiceName(c.choice) << " \"" << c.seconds << '"';
        if (!c.accepted) {
            EXPECT_EQ(result.message, "Please enter an integer.");
        }
    }
}

TEST(RefreshEditor, ReadsSecondsAndTheWholeTextAfterTheSemicolon) {
    struct Case {
        const char* text;
        int seconds;
        const char* url;
        bool refresh;
    };
    const Case cases[] = {
        {"", 0, "", false},
        {"0", 0, "", false},
        {"0;", 0, "", false},
        {"abc", 0, "", false},
        {"30", 30, "", true},
        {" 10 ; x", 10, "x", true},
        {"5; URL=page.html", 5, "URL=page.html", true},
        {"5;  page.html  ", 5, "page.html  ", true},
        {"5;", 5, "", true},
        {"abc;page.html", 0, "page.html", true},
        {"0; a;b", 0, "a;b", true},
        // Numbers a seconds field cannot hold are clamped into its range.
        {"-5;x", 0, "x", true},
        {"-5", 0, "", false},
        {"99999999999999999999", 2147483647, "", true},
    };
    for (const Case& c : cases) {
        const RefreshState state = ReadRefresh(c.text);
        EXPECT_EQ(state.seconds, c.seconds) << '"' << c.text << '"';
        EXPECT_EQ(state.url, c.url) << '"' << c.text << '"';
        EXPECT_EQ(state.refresh, c.refresh) << '"' << c.text << '"';
    }
}

TEST(RefreshEditor, ComposesTheResultOrRefusesTheSecondsField) {
    struct Case {
        bool refresh;
        const char* seconds;
        const char* url;
        int accepted;
        const char* text;
    };
    const Case cases[] = {
        {true, "10", "", 1, "10"},
        {true, "5", "page.html", 1, "5;page.html"},
        {true, "0", "page.html", 1, "0;page.html"},
        {true, "5", "  page.html \t", 1, "5;page.html"},
        {true, "010", "", 1, "10"},
        {true, "0", "", 1, ""},
        {true, "0", "   ", 1, ""},
        {false, "5", "page.html", 1, ""},
        {true, "x", "page.html", 0, ""},
        {true, "-1", "", 0, ""},
        {true, "2147483648", "", 0, ""},
        // The field is checked even while the "no refresh" choice disables it.
        {false, "x", "", 0, ""},
    };
    for (const Case& c : cases) {
        const EditorResult result = ComposeRefresh(c.refresh, c.seconds, c.url);
        EXPECT_EQ(result.accepted, c.accepted)
            << c.refresh << " \"" << c.seconds << "\" \"" << c.url << '"';
        if (c.accepted) {
            EXPECT_EQ(result.text, c.text);
        } else {
            EXPECT_EQ(result.message, "Please enter an integer.");
        }
    }

    // The text the choices a tag's text opens with compose.
    struct RoundTrip {
        const char* before;
        const char* after;
    };
    const RoundTrip trips[] = {
        {"", ""},
        {"30", "30"},
        {"0", ""},
        {"5;  page.html  ", "5;page.html"},
        {"5; URL=page.html", "5;URL=page.html"},
        {"abc;page.html", "0;page.html"},
    };
    for (const RoundTrip& trip : trips) {
        const RefreshState state = ReadRefresh(trip.before);
        const EditorResult result =
            ComposeRefresh(state.refresh, std::to_string(state.seconds), state.url);
        EXPECT_EQ(result.accepted, 1) << trip.before;
        EXPECT_EQ(result.text, trip.after) << trip.before;
    }
}

TEST(RefreshEditor, OkWithoutAChangeKeepsTheTextAsWritten) {
    struct Case {
        const char* original;
        bool refresh; // as the user left the dialog
        const char* seconds;
        const char* url;
        int accepted;
        const char* result;
    };
    const Case cases[] = {
        // The choices the text opens with: the text byte for byte.
        {"", false, "0", "", 1, ""},
        {"30", true, "30", "", 1, "30"},
        {"0", false, "0", "", 1, "0"},
        {"5;  page.html  ", true, "5", "page.html  ", 1, "5;  page.html  "},
        {"5; URL=page.html", true, "5", "URL=page.html", 1, "5; URL=page.html"},
        {"abc;page.html", true, "0", "page.html", 1, "abc;page.html"},
        {"abc", false, "0", "", 1, "abc"},
        {" 010 ", true, "10", "", 1, " 010 "},
        // The same seconds and address written another way are no change.
        {"5; URL=page.html", true, "05", " URL=page.html ", 1, "5; URL=page.html"},
        {"0", true, "0", "", 1, "0"}, // a refresh after 0 seconds to nowhere is none
        // Other choices: their own text.
        {"5; URL=page.html", true, "10", "URL=page.html", 1, "10;URL=page.html"},
        {"5; URL=page.html", true, "5", "other.html", 1, "5;other.html"},
        {"5; URL=page.html", false, "0", "", 1, ""},
        {"abc", true, "15", "", 1, "15"},
        {"", true, "15", "", 1, "15"},
        // Seconds that are no integer are refused as before.
        {"5; URL=page.html", true, "five", "URL=page.html", 0, ""},
    };
    for (const Case& c : cases) {
        const EditorResult result = RefreshResult(c.original, c.refresh, c.seconds, c.url);
        EXPECT_EQ(result.accepted, c.accepted) << '"' << c.original << "\" " << c.refresh << " \""
                                               << c.seconds << "\" \"" << c.url << '"';
        EXPECT_EQ(result.text, c.result) << '"' << c.original << "\" " << c.refresh << " \""
                                         << c.seconds << "\" \"" << c.url << '"';
        if (!c.accepted) {
            EXPECT_EQ(result.message, "Please enter an integer.");
        }
    }
}

TEST(RobotsEditor, ReadsTheBoxesFromWholeCommaSeparatedItems) {
    struct Case {
        const char* text;
        bool noIndex;
        bool noFollow;
    };
    const Case cases[] = {
        {"", false, false},
        {"NOINDEX,FOLLOW", true, false},
        {"index, NoFollow", false, true},
        {"noindex, nofollow", true, true},
        {"nofollow, noindex", true, true},
        {" \tnoindex ,, nofollow ,", true, true},
        {"noarchive, max-snippet:50, noindex", true, false},
        {"index, follow", false, false},
        {"all", false, false},
        {"none", false, false},
        // Only whole items count: a directive inside another item is no box.
        {"noindexing, x-nofollow", false, false},
        {"noindex nofollow", false, false},
    };
    for (const Case& c : cases) {
        const RobotsState state = ReadRobots(c.text);
        EXPECT_EQ(state.noIndex, c.noIndex) << '"' << c.text << '"';
        EXPECT_EQ(state.noFollow, c.noFollow) << '"' << c.text << '"';
    }
}

TEST(RobotsEditor, OkKeepsAnUnchangedTextAndTheDirectivesWithoutABox) {
    struct Case {
        const char* original;
        struct {
            bool noIndex;
            bool noFollow;
        } boxes; // as the user left them
        const char* result;
    };
    const Case cases[] = {
        // No box changed: the text as it was, byte for byte.
        {"", {false, false}, ""},
        {"noindex, noarchive, max-snippet:50", {true, false}, "noindex, noarchive, max-snippet:50"},
        {"  NOINDEX ,, nofollow ", {true, true}, "  NOINDEX ,, nofollow "},
        {"nofollow,noindex", {true, true}, "nofollow,noindex"},
        {"index, follow", {false, false}, "index, follow"},
        {"noindex, NOINDEX", {true, false}, "noindex, NOINDEX"},
        // The checked boxes in the dialog's order, then the other directives
        // in their own order.
        {"noindex, noarchive, max-snippet:50",
         {true, true},
         "noindex, nofollow, noarchive, max-snippet:50"},
        {"noindex, noarchive, max-snippet:50", {false, false}, "noarchive, max-snippet:50"},
        {"max-snippet:50, noarchive", {false, true}, "nofollow, noarchive, max-snippet:50"},
        {"noarchive, nofollow, max-snippet:50, noindex",
         {false, true},
         "nofollow, noarchive, max-snippet:50"},
        {"", {true, false}, "noindex"},
        {"", {true, true}, "noindex, nofollow"},
        {"nofollow", {true, true}, "noindex, nofollow"},
        // Known directives in any case are the controls' and written in
        // lower case; the others keep their case.
        {"NoIndex, NOARCHIVE, X-Own", {true, true}, "noindex, nofollow, noarchive, X-Own"},
        {"NOFOLLOW, Max-Image-Preview:Large",
         {true, true},
         "noindex, nofollow, max-image-preview:large"},
        // Duplicates: a known directive is written once; others as often as
        // they stand.
        {"noindex, NOINDEX, noarchive, x-own, noarchive, x-own",
         {true, true},
         "noindex, nofollow, noarchive, x-own, x-own"},
        {"nofollow, nofollow", {true, true}, "noindex, nofollow"},
        // Surrounding white space and empty items go; white space inside an
        // item stays.
        {"  noindex ,, max-snippet:50 ,  , noarchive , ",
         {true, true},
         "noindex, nofollow, noarchive, max-snippet:50"},
        {"unavailable_after:  25 Jun 2010 15:00:00 PST ,noindex",
         {false, false},
         "unavailable_after: 25 Jun 2010 15:00:00 PST"},
        // Every box cleared: what is left, or nothing.
        {"noindex, nofollow, noarchive", {false, false}, "noarchive"},
        {"noindex, nofollow", {false, false}, ""},
        {" , noindex ,", {false, false}, ""},
    };
    for (const Case& c : cases) {
        // The user changed the two boxes and left every other control.
        RobotsState state = ReadRobots(c.original);
        state.noIndex = c.boxes.noIndex;
        state.noFollow = c.boxes.noFollow;
        const std::string result = RobotsResult(c.original, state);
        EXPECT_EQ(result, c.result)
            << '"' << c.original << "\" " << c.boxes.noIndex << ' ' << c.boxes.noFollow;
        // The result opens with the controls it was made from.
        EXPECT_EQ(ReadRobots(result), state) << '"' << c.original << '"';
    }
}

TEST(RobotsEditor, TodaysDirectivesReadAndWrittenInTheDialogsOrder) {
    RobotsState s = ReadRobots("NoSnippet, max-snippet : -1, MAX-IMAGE-PREVIEW:Standard, "
                               "max-video-preview:30, noimageindex, notranslate, "
                               "unavailable_after: Wed, 01 Dec 2027 15:00:00 GMT, noarchive");
    EXPECT_TRUE(s.noSnippet && s.noImageIndex && s.noTranslate && s.noArchive);
    EXPECT_FALSE(s.noIndex || s.noFollow);
    EXPECT_EQ(s.maxSnippet, -1);
    EXPECT_EQ(s.maxVideoPreview, 30);
    EXPECT_EQ(s.maxImagePreview, "standard");
    EXPECT_EQ(s.unavailableAfter, "Wed, 01 Dec 2027 15:00:00 GMT");
    s.noIndex = true;
    EXPECT_EQ(ComposeRobots("", s),
              "noindex, noarchive, nosnippet, noimageindex, notranslate, max-snippet:-1, "
              "max-image-preview:standard, max-video-preview:30, "
              "unavailable_after: Wed, 01 Dec 2027 15:00:00 GMT");

    // Values the controls cannot hold are kept as they stand, as any other
    // directive the dialog does not know.
    const char* odd = "max-snippet:many, max-image-preview:huge, max-video-preview:-7, "
                      "unavailable_after:, noindex:yes";
    EXPECT_EQ(ReadRobots(odd), RobotsState{});
    RobotsState none;
    none.noFollow = true;
    EXPECT_EQ(RobotsResult(odd, none), std::string("nofollow, ") + odd);

    // The date goes last: a day name alone would take in the next item.
    RobotsState day = ReadRobots("x-own, unavailable_after: Mon");
    EXPECT_EQ(day.unavailableAfter, "Mon");
    day.noFollow = true;
    const std::string withDay = RobotsResult("x-own, unavailable_after: Mon", day);
    EXPECT_EQ(withDay, "nofollow, x-own, unavailable_after: Mon");
    EXPECT_EQ(ReadRobots(withDay), day);

    // "index" and "follow" go when the controls say the opposite; kept
    // otherwise.
    RobotsState both = ReadRobots("index, follow, max-snippet:20");
    both.noIndex = true;
    EXPECT_EQ(RobotsResult("index, follow, max-snippet:20", both),
              "noindex, max-snippet:20, follow");
    both.noFollow = true;
    both.maxSnippet.reset();
    EXPECT_EQ(RobotsResult("index, follow, max-snippet:20", both), "noindex, nofollow");
}

TEST(ExpiresEditor, ResultTextIsEmptyWithoutAWritableDate) {
    const ScopedTimeZone zone("UTC0");
    EXPECT_EQ(ExpiresResultText(0), "");
    EXPECT_EQ(ExpiresResultText(-1), "");
    EXPECT_EQ(ExpiresResultText(kInt64Min), "");
    EXPECT_EQ(ExpiresResultText(253402300800), "");
    EXPECT_EQ(ExpiresResultText(1), "Thu, 01 Jan 1970 00:00:01 GMT");
    EXPECT_EQ(ExpiresResultText(784111777), "Sun, 06 Nov 1994 08:49:37 GMT");

    // Unreadable values open without a date and OK gives the empty text.
    for (const char* text : {"", "0", "-1", "never", "Mon, 01 Jan 1900 00:00:00 GMT"}) {
        EXPECT_EQ(ExpiresTimeOf(text), 0) << '"' << text << '"';
        EXPECT_EQ(ExpiresResultText(ExpiresTimeOf(text)), "") << '"' << text << '"';
    }
    EXPECT_EQ(ExpiresTimeOf("Sun, 06 Nov 1994 08:49:37 GMT"), 784111777);
}

TEST(ExpiresEditor, ReadsTheLocalDayOrAnEmptyOrUnreadableField) {
    const ScopedTimeZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
    using enum ExpiresFieldKind;
    struct Case {
        const char* text;
        ExpiresFieldKind kind;
        CalendarDate day;
    };
    const Case cases[] = {
        {"", Empty, {1970, 1, 1}},
        {"Mon, 08 Feb 2027 00:00:00 GMT", Day, {2027, 2, 8}},
        {"Sat, 05 Nov 1994 23:30:00 GMT", Day, {1994, 11, 6}}, // already the 6th locally
        {"Sun Nov  6 08:49:37 1994", Day, {1994, 11, 6}},
        {" ", Unreadable, {1970, 1, 1}},
        {"never", Unreadable, {1970, 1, 1}},
        {"0", Unreadable, {1970, 1, 1}},
        {"Mon, 01 Jan 1900 00:00:00 GMT", Unreadable, {1970, 1, 1}},
    };
    for (const Case& c : cases) {
        const ExpiresField field = ReadExpires(c.text);
        EXPECT_EQ(static_cast<int>(field.kind), static_cast<int>(c.kind)) << '"' << c.text << '"';
        if (c.kind == Day) {
            EXPECT_EQ(field.day, c.day) << '"' << c.text << '"';
        }
    }
}

TEST(ExpiresEditor, OkWithoutAChangeKeepsTheTextAndANewDayGivesLocalMidnight) {
    // One hour east of GMT (the rules of Paris).
    const ScopedTimeZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
    using enum ExpiresFieldKind;
    const ExpiresField empty{Empty, {1970, 1, 1}};
    const ExpiresField unreadable{Unreadable, {1970, 1, 1}};
    struct Case {
        const char* original;
        ExpiresField field; // as the user left it
        const char* result;
    };
    const Case cases[] = {
        // The field as the text opened: the text byte for byte.
        {"Mon, 08 Feb 2027 00:00:00 GMT", {Day, {2027, 2, 8}}, "Mon, 08 Feb 2027 00:00:00 GMT"},
        {"Sun, 06 Nov 1994 08:49:37 GMT", {Day, {1994, 11, 6}}, "Sun, 06 Nov 1994 08:49:37 GMT"},
        {"Sat, 05 Nov 1994 23:30:00 GMT", {Day, {1994, 11, 6}}, "Sat, 05 Nov 1994 23:30:00 GMT"},
        {"Sun Nov  6 08:49:37 1994", {Day, {1994, 11, 6}}, "Sun Nov  6 08:49:37 1994"},
        {" 06 nov 1994 09:49:37 +0100", {Day, {1994, 11, 6}}, " 06 nov 1994 09:49:37 +0100"},
        {"", empty, ""},
        {"never", unreadable, "never"},
        {"Mon, 01 Jan 1900 00:00:00 GMT", unreadable, "Mon, 01 Jan 1900 00:00:00 GMT"},
        // Another day: local standard-time midnight starting it, in GMT.
        {"Mon, 08 Feb 2027 00:00:00 GMT", {Day, {2027, 2, 9}}, "Mon, 08 Feb 2027 23:00:00 GMT"},
        {"Sun, 06 Nov 1994 08:49:37 GMT", {Day, {1994, 11, 7}}, "Sun, 06 Nov 1994 23:00:00 GMT"},
        {"Wed, 01 Jun 2005 12:00:00 GMT", {Day, {2005, 6, 15}}, "Tue, 14 Jun 2005 23:00:00 GMT"},
        {"", {Day, {2027, 2, 8}}, "Sun, 07 Feb 2027 23:00:00 GMT"},
        {"never", {Day, {2027, 2, 8}}, "Sun, 07 Feb 2027 23:00:00 GMT"},
        // A day before 1970 has no date text.
        {"Mon, 08 Feb 2027 00:00:00 GMT", {Day, {1969, 12, 31}}, ""},
        // Emptied: no date.
        {"Mon, 08 Feb 2027 00:00:00 GMT", empty, ""},
        {"never", empty, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ExpiresResult(c.original, c.field), c.result)
            << '"' << c.original << "\" kind " << static_cast<int>(c.field.kind) << ' '
            << c.field.day.year << '-' << c.field.day.month << '-' << c.field.day.day;
    }
}

TEST(ExpiresEditor, KeepsOnlyTheDayAsLocalStandardMidnight) {
    {
        // In GMT a stored date opens on its own day and OK keeps that day.
        const ScopedTimeZone zone("UTC0");
        const CalendarDate shown = LocalDateOf(ExpiresTimeOf("Sun, 06 Nov 1994 08:49:37 GMT"));
        EXPECT_EQ(shown.year, 1994);
        EXPECT_EQ(shown.month, 11);
        EXPECT_EQ(shown.day, 6);
        EXPECT_EQ(ExpiresResultText(LocalMidnight(shown.year, shown.month, shown.day)),
                  "Sun, 06 Nov 1994 00:00:00 GMT");
    }
    {
        // One hour east of GMT, summer and winter alike.
        const ScopedTimeZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
        EXPECT_EQ(ExpiresResultText(LocalMidnight(2005, 6, 15)), "Tue, 14 Jun 2005 23:00:00 GMT");
        EXPECT_EQ(ExpiresResultText(LocalMidnight(2005, 1, 15)), "Fri, 14 Jan 2005 23:00:00 GMT");
        // The first day of 1970 starts before the epoch there: no date.
        EXPECT_EQ(ExpiresResultText(LocalMidnight(1970, 1, 1)), "");
        EXPECT_EQ(ExpiresResultText(LocalMidnight(1970, 1, 2)), "Thu, 01 Jan 1970 23:00:00 GMT");
    }
    {
        // Five hours west: a day picked in summer still starts at 05:00 GMT.
        const ScopedTimeZone zone("EST5EDT,M3.2.0,M11.1.0");
        EXPECT_EQ(ExpiresResultText(LocalMidnight(2005, 6, 15)), "Wed, 15 Jun 2005 05:00:00 GMT");
        EXPECT_EQ(ExpiresResultText(LocalMidnight(1970, 1, 1)), "Thu, 01 Jan 1970 05:00:00 GMT");
    }
}

} // namespace
} // namespace orlen
