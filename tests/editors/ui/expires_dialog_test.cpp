// The Expires editor offscreen: the date field, its drop-down calendar
// (layout, keyboard, mouse, buttons, closing), and the date text the dialog
// gives back for the day chosen.
#include "../../scoped_time_zone.h"
#include "editors/http_date.h"
#include "editors/ui/expires_dialog.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <ctime>
#include <memory>
#include <string>
#include <tuple>

namespace orlen {
namespace {

using test::ScopedTimeZone;

// One hour east of GMT, with summer time.
constexpr const char* kCentralEurope = "CET-1CEST,M3.5.0,M10.5.0/3";
constexpr const char* kGmt = "GMT0";

void DeleteClosedWindows() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// ---- Month arithmetic ----

TEST(CalendarMonthTest, DaysPerMonthCountLeapYears) {
    EXPECT_EQ(DaysInMonth(2005, 0), 31);
    EXPECT_EQ(DaysInMonth(2005, 1), 28);
    EXPECT_EQ(DaysInMonth(2004, 1), 29);
    EXPECT_EQ(DaysInMonth(1900, 1), 28);
    EXPECT_EQ(DaysInMonth(2000, 1), 29);
    EXPECT_EQ(DaysInMonth(2005, 3), 30);
    EXPECT_EQ(DaysInMonth(2005, 11), 31);
}

TEST(CalendarMonthTest, FirstWeekdaysFollowTheCalendarReform) {
    EXPECT_EQ(FirstWeekdayOfMonth(1994, 10), 2); // 1 November 1994, a Tuesday
    EXPECT_EQ(FirstWeekdayOfMonth(1970, 0), 4);  // Thursday
    EXPECT_EQ(FirstWeekdayOfMonth(2000, 0), 6);  // Saturday
    EXPECT_EQ(FirstWeekdayOfMonth(2005, 4), 0);  // 1 May 2005, a Sunday
    EXPECT_EQ(FirstWeekdayOfMonth(2004, 1), 0);  // 1 February 2004, a Sunday
    EXPECT_EQ(FirstWeekdayOfMonth(1969, 11), 1); // Monday
    // Julian before the reform, Gregorian after: both 1sts were Mondays.
    EXPECT_EQ(FirstWeekdayOfMonth(1582, 9), 1);
    EXPECT_EQ(FirstWeekdayOfMonth(1582, 10), 1);
}

// ---- The calendar on its own ----

// A calendar opened on a day, with its notifications recorded.
struct Calendar {
    Calendar(int year, int month, int day)
        : popup(new CalendarPopup(QPoint(100, 100), nullptr, year, month, day)),
          chosen(popup.data(), &CalendarPopup::DateChosen),
          cancelled(popup.data(), &CalendarPopup::Cancelled) {
        popup->show();
    }
    ~Calendar() { delete popup.data(); }
    void Key(Qt::Key key) { QTest::keyClick(popup.data(), key); }
    // The selection as year, month 1..12, day 1..31.
    std::tuple<int, int, int> Selected() const {
        return {popup->Year(), popup->MonthIndex() + 1, popup->DayIndex() + 1};
    }
    QPointer<CalendarPopup> popup;
    QSignalSpy chosen;
    QSignalSpy cancelled;
};

using Day = std::tuple<int, int, int>;

TEST(CalendarPopupTest, OpensAsASmallMonthCalendarWithItsButtons) {
    Calendar c(1994, 11, 6);
    CalendarPopup& p = *c.popup;
    EXPECT_TRUE(p.windowFlags().testFlag(Qt::Popup));
    EXPECT_EQ(p.size(), QSize(250, 250));
    EXPECT_EQ(p.pos(), QPoint(100, 100));
    EXPECT_EQ(c.Selected(), Day(1994, 11, 6));
    EXPECT_EQ(p.Title(), "November 1994");
    EXPECT_TRUE(p.hasFocus());

    // 9 rows of (250 - 8) / 9 = 26 pixels, 7 columns of (250 - 8) / 7 = 34.
    EXPECT_EQ(p.CellRect(0, 0), QRect(6, 8, 34, 26));
    EXPECT_EQ(p.CellRect(8, 6), QRect(250 - 6 - 34, 8 + 8 * 26, 34, 26));
    EXPECT_EQ(p.NavButton(CalendarPopup::PreviousMonth)->text(), "<");
    EXPECT_EQ(p.NavButton(CalendarPopup::PreviousYear)->text(), "<<");
    EXPECT_EQ(p.NavButton(CalendarPopup::NextMonth)->text(), ">");
    EXPECT_EQ(p.NavButton(CalendarPopup::NextYear)->text(), ">>");
    EXPECT_EQ(p.NavButton(CalendarPopup::PreviousMonth)->geometry(), p.CellRect(0, 0));
    EXPECT_EQ(p.NavButton(CalendarPopup::PreviousYear)->geometry(), p.CellRect(1, 0));
    EXPECT_EQ(p.NavButton(CalendarPopup::NextMonth)->geometry(), p.CellRect(0, 6));
    EXPECT_EQ(p.NavButton(CalendarPopup::NextYear)->geometry(), p.CellRect(1, 6));
    // Painting draws without complaint.
    EXPECT_FALSE(p.grab().isNull());
}

TEST(CalendarPopupTest, TheFirstDayStandsInTheColumnOfItsWeekday) {
    Calendar c(1994, 11, 6);
    // 1 November 1994 was a Tuesday; the 6th, a Sunday, starts the next row.
    EXPECT_EQ(c.popup->DayRect(0), c.popup->CellRect(3, 2));
    EXPECT_EQ(c.popup->DayRect(5), c.popup->CellRect(4, 0));
    EXPECT_EQ(c.popup->DayRect(29), c.popup->CellRect(7, 3));
    EXPECT_TRUE(c.popup->DayRect(30).isNull()); // November has 30 days

    // May 2005 starts on a Sunday, in column 0.
    Calendar sunday(2005, 5, 1);
    EXPECT_EQ(sunday.popup->DayRect(0), sunday.popup->CellRect(3, 0));
    // January 2005 starts on a Saturday and needs rows 3 to 8.
    Calendar saturday(2005, 1, 1);
    EXPECT_EQ(saturday.popup->DayRect(0), saturday.popup->CellRect(3, 6));
    EXPECT_EQ(saturday.popup->DayRect(30), saturday.popup->CellRect(8, 1));
}

TEST(CalendarPopupTest, OpensOnTodayForMissingParts) {
    const ScopedTimeZone zone(kGmt);
    const std::int64_t now = std::time(nullptr);
    CalendarPopup popup(QPoint(0, 0), nullptr, -1, -1, -1);
    const CalendarDate today = LocalDateOf(now);
    EXPECT_EQ(popup.Year(), today.year);
    EXPECT_EQ(popup.MonthIndex() + 1, today.month);
    EXPECT_EQ(popup.DayIndex() + 1, today.day);
}

TEST(CalendarPopupTest, ArrowsMoveByDayAndWeekAcrossMonths) {
    Calendar c(2005, 1, 1);
    c.Key(Qt::Key_Left);
    EXPECT_EQ(c.Selected(), Day(2004, 12, 31));
    c.Key(Qt::Key_Right);
    EXPECT_EQ(c.Selected(), Day(2005, 1, 1));
    c.Key(Qt::Key_Right);
    EXPECT_EQ(c.Selected(), Day(2005, 1, 2));
    c.Key(Qt::Key_Down);
    EXPECT_EQ(c.Selected(), Day(2005, 1, 9));
    c.Key(Qt::Key_Up);
    EXPECT_EQ(c.Selected(), Day(2005, 1, 2));
    // Before the 1st: the same weekday in the previous month.
    c.Key(Qt::Key_Up);
    EXPECT_EQ(c.Selected(), Day(2004, 12, 26));

    Calendar february(2005, 2, 28);
    february.Key(Qt::Key_Down);
    EXPECT_EQ(february.Selected(), Day(2005, 3, 7));
    february.Key(Qt::Key_Up);
    EXPECT_EQ(february.Selected(), Day(2005, 2, 28));
    // Keys the calendar does not use change nothing and close nothing.
    february.Key(Qt::Key_A);
    february.Key(Qt::Key_Tab);
    EXPECT_EQ(february.Selected(), Day(2005, 2, 28));
    EXPECT_TRUE(february.popup->isVisible());
    EXPECT_EQ(february.chosen.count() + february.cancelled.count(), 0);
}

TEST(CalendarPopupTest, PageKeysStepMonthsAndAMissingDayBecomesTheFirst) {
    Calendar c(2005, 1, 31);
    c.Key(Qt::Key_PageDown);
    EXPECT_EQ(c.Selected(), Day(2005, 2, 1));
    EXPECT_EQ(c.popup->Title(), "February 2005");

    Calendar march(2005, 3, 31);
    march.Key(Qt::Key_PageDown);
    EXPECT_EQ(march.Selected(), Day(2005, 4, 1));

    Calendar mid(2005, 1, 15);
    mid.Key(Qt::Key_PageUp);
    EXPECT_EQ(mid.Selected(), Day(2004, 12, 15));
    mid.Key(Qt::Key_PageDown);
    mid.Key(Qt::Key_PageDown);
    EXPECT_EQ(mid.Selected(), Day(2005, 2, 15));
}

TEST(CalendarPopupTest, TheButtonsStepMonthsAndYearsAndKeepTheFocus) {
    Calendar c(2004, 2, 29);
    CalendarPopup& p = *c.popup;
    p.NavButton(CalendarPopup::NextYear)->click();
    EXPECT_EQ(c.Selected(), Day(2005, 2, 1));
    p.NavButton(CalendarPopup::PreviousYear)->click();
    EXPECT_EQ(c.Selected(), Day(2004, 2, 1));
    p.NavButton(CalendarPopup::PreviousMonth)->click();
    EXPECT_EQ(c.Selected(), Day(2004, 1, 1));
    p.NavButton(CalendarPopup::PreviousMonth)->click();
    EXPECT_EQ(c.Selected(), Day(2003, 12, 1));
    p.NavButton(CalendarPopup::NextMonth)->click();
    EXPECT_EQ(c.Selected(), Day(2004, 1, 1));
    // With the mouse, as the user does: the calendar keeps the focus and
    // stays open.
    QTest::mouseClick(p.NavButton(CalendarPopup::NextMonth), Qt::LeftButton);
    EXPECT_EQ(c.Selected(), Day(2004, 2, 1));
    EXPECT_TRUE(p.hasFocus());
    EXPECT_TRUE(p.isVisible());
    EXPECT_EQ(c.chosen.count() + c.cancelled.count(), 0);
}

TEST(CalendarPopupTest, EnterChoosesTheSelectedDayAndTheCalendarGoes) {
    Calendar c(2005, 6, 14);
    c.Key(Qt::Key_Right);
    c.Key(Qt::Key_Return);
    ASSERT_EQ(c.chosen.count(), 1);
    EXPECT_EQ(c.chosen.at(0).at(0).toInt(), 2005);
    EXPECT_EQ(c.chosen.at(0).at(1).toInt(), 614); // 15 June
    EXPECT_EQ(c.cancelled.count(), 0);
    EXPECT_FALSE(c.popup->isVisible());
    DeleteClosedWindows();
    EXPECT_TRUE(c.popup.isNull());
}

TEST(CalendarPopupTest, EscapeCancels) {
    Calendar c(2005, 6, 14);
    c.Key(Qt::Key_Down);
    c.Key(Qt::Key_Escape);
    EXPECT_EQ(c.cancelled.count(), 1);
    EXPECT_EQ(c.chosen.count(), 0);
    DeleteClosedWindows();
    EXPECT_TRUE(c.popup.isNull());
}

TEST(CalendarPopupTest, PressSelectsAndReleaseOverADayChoosesThePressedDay) {
    Calendar c(1994, 11, 6);
    CalendarPopup* p = c.popup.data();
    // A release outside the days does nothing.
    QTest::mousePress(p, Qt::LeftButton, {}, p->DayRect(9).center());
    EXPECT_EQ(c.Selected(), Day(1994, 11, 10));
    QTest::mouseRelease(p, Qt::LeftButton, {}, p->CellRect(1, 3).center());
    EXPECT_EQ(c.chosen.count(), 0);
    EXPECT_TRUE(p->isVisible());
    // Pressing one day and releasing over another chooses the first.
    QTest::mousePress(p, Qt::LeftButton, {}, p->DayRect(19).center());
    EXPECT_EQ(c.Selected(), Day(1994, 11, 20));
    QTest::mouseRelease(p, Qt::LeftButton, {}, p->DayRect(21).center());
    ASSERT_EQ(c.chosen.count(), 1);
    EXPECT_EQ(c.chosen.at(0).at(1).toInt(), 1119);
}

// ---- The date field ----

// The date field in a window of its own, as in a dialog.
struct Field {
    Field() : field(new DatePickerButton(&window)) {
        field->setGeometry(10, 10, 180, 24);
        window.resize(300, 100);
        window.show();
        QApplication::setActiveWindow(&window);
        field->setFocus();
    }
    QWidget window;
    DatePickerButton* field;
};

TEST(DatePickerButtonTest, ShowsADayAsDayMonthNameAndYear) {
    EXPECT_EQ(DatePickerButton::DateText(1994, 10, 5), "6 November, 1994");
    EXPECT_EQ(DatePickerButton::DateText(2005, 0, 30), "31 January, 2005");
    const ScopedTimeZone zone(kGmt);
    DatePickerButton field;
    field.SetTime(784111777); // Sun, 06 Nov 1994 08:49:37 GMT
    EXPECT_EQ(field.text(), "6 November, 1994");
    EXPECT_EQ(field.Year(), 1994);
    EXPECT_EQ(field.MonthIndex(), 10);
    EXPECT_EQ(field.DayIndex(), 5);
    // Midnight starting the day.
    EXPECT_EQ(field.Time(), 784111777 - (8 * 3600 + 49 * 60 + 37));
    // An empty text hides the day but keeps it.
    field.setText("");
    EXPECT_EQ(field.Year(), 1994);
    field.ShowDate();
    EXPECT_EQ(field.text(), "6 November, 1994");
}

TEST(DatePickerButtonTest, IsDisabledWhileItsCalendarIsOpenAndTakesTheChosenDay) {
    Field f;
    f.field->SetDate(2005, 5, 14);
    QSignalSpy closed(f.field, &DatePickerButton::CalendarClosed);
    QTest::mouseClick(f.field, Qt::LeftButton);
    CalendarPopup* calendar = f.field->Calendar();
    ASSERT_NE(calendar, nullptr);
    EXPECT_FALSE(f.field->isEnabled());
    EXPECT_TRUE(calendar->isVisible());
    // It hangs from the field's bottom-left corner, on the field's day.
    EXPECT_EQ(calendar->pos(), f.field->mapToGlobal(QPoint(0, f.field->height())));
    EXPECT_EQ(calendar->Year(), 2005);
    EXPECT_EQ(calendar->MonthIndex(), 5);
    EXPECT_EQ(calendar->DayIndex(), 14);

    QTest::keyClick(calendar, Qt::Key_PageDown);
    QTest::keyClick(calendar, Qt::Key_Enter);
    EXPECT_TRUE(f.field->isEnabled());
    EXPECT_EQ(f.field->Calendar(), nullptr);
    EXPECT_EQ(f.field->text(), "15 July, 2005");
    EXPECT_EQ(closed.count(), 1);
    DeleteClosedWindows();
}

TEST(DatePickerButtonTest, TheSpaceBarOpensTheCalendarAndEscapeChangesNothing) {
    Field f;
    f.field->SetDate(2005, 5, 14);
    f.field->setText("");
    QTest::keyClick(f.field, Qt::Key_Space);
    CalendarPopup* calendar = f.field->Calendar();
    ASSERT_NE(calendar, nullptr);
    EXPECT_FALSE(f.field->isEnabled());
    // The calendar opens on the kept day even when the text is empty.
    EXPECT_EQ(calendar->DayIndex(), 14);
    QTest::keyClick(calendar, Qt::Key_Right);
    QTest::keyClick(calendar, Qt::Key_Escape);
    EXPECT_TRUE(f.field->isEnabled());
    EXPECT_EQ(f.field->Calendar(), nullptr);
    EXPECT_EQ(f.field->text(), "");
    EXPECT_EQ(f.field->DayIndex(), 14);
    DeleteClosedWindows();
}

TEST(DatePickerButtonTest, TheCalendarClosesWhenTheFocusLeavesIt) {
    Field f;
    auto* other = new QPushButton("other", &f.window);
    other->setGeometry(200, 10, 80, 24);
    other->show();
    f.field->SetDate(2005, 5, 14);
    f.field->click();
    QPointer<CalendarPopup> calendar = f.field->Calendar();
    ASSERT_FALSE(calendar.isNull());
    QTest::keyClick(calendar.data(), Qt::Key_Right);
    other->setFocus(Qt::MouseFocusReason);
    EXPECT_TRUE(f.field->isEnabled());
    EXPECT_EQ(f.field->Calendar(), nullptr);
    EXPECT_EQ(f.field->text(), "15 June, 2005");
    DeleteClosedWindows();
    EXPECT_TRUE(calendar.isNull());
}

TEST(DatePickerButtonTest, AClickBesideTheCalendarClosesIt) {
    Field f;
    f.field->SetDate(2005, 5, 14);
    f.field->click();
    QPointer<CalendarPopup> calendar = f.field->Calendar();
    ASSERT_FALSE(calendar.isNull());
    // The press reaches the popup, which sees it is outside and closes.
    QTest::mouseClick(calendar.data(), Qt::LeftButton, {}, QPoint(-20, -20));
    EXPECT_TRUE(f.field->isEnabled());
    EXPECT_EQ(f.field->Calendar(), nullptr);
    EXPECT_EQ(f.field->text(), "15 June, 2005");
    DeleteClosedWindows();
    EXPECT_TRUE(calendar.isNull());
}

// ---- The Expires dialog ----

struct Expires {
    explicit Expires(const QString& value) : dialog(value) {
        dialog.show();
        QApplication::setActiveWindow(&dialog);
    }
    QString Ok() {
        dialog.OkButton()->click();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_FALSE(dialog.isVisible());
        return dialog.Result();
    }
    CalendarPopup* OpenCalendar() {
        dialog.DateField()->click();
        return dialog.DateField()->Calendar();
    }
    ExpiresDialog dialog;
};

TEST(ExpiresDialogTest, ShowsItsTexts) {
    Expires e("");
    EXPECT_EQ(e.dialog.windowTitle(), "Expires");
    const auto labels = e.dialog.findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels.front()->text(), "Expires date -");
    EXPECT_EQ(e.dialog.ClearButton()->text(), "Clear");
    EXPECT_EQ(e.dialog.OkButton()->text(), "OK");
    EXPECT_EQ(e.dialog.CancelButton()->text(), "Cancel");
    EXPECT_TRUE(e.dialog.OkButton()->isDefault());
    EXPECT_TRUE(e.dialog.DateField()->focusPolicy() & Qt::TabFocus);
}

TEST(ExpiresDialogTest, ADateOpensAsItsDay) {
    const ScopedTimeZone zone(kGmt);
    Expires e("Sun, 06 Nov 1994 08:49:37 GMT");
    EXPECT_EQ(e.dialog.DateField()->text(), "6 November, 1994");
    EXPECT_EQ(e.dialog.Field().kind, ExpiresFieldKind::Day);
    EXPECT_EQ(e.Ok(), "Sun, 06 Nov 1994 08:49:37 GMT");
}

TEST(ExpiresDialogTest, TheDayShownIsTheLocalOne) {
    const ScopedTimeZone zone(kCentralEurope);
    // 23:30 GMT on the 5th is already the 6th in Central Europe.
    Expires e("Sat, 05 Nov 1994 23:30:00 GMT");
    EXPECT_EQ(e.dialog.DateField()->text(), "6 November, 1994");
    EXPECT_EQ(e.Ok(), "Sat, 05 Nov 1994 23:30:00 GMT");
}

TEST(ExpiresDialogTest, AnEmptyValueOpensEmptyAndTheCalendarOnToday) {
    const ScopedTimeZone zone(kGmt);
    Expires e("");
    EXPECT_EQ(e.dialog.DateField()->text(), "");
    const CalendarDate today = LocalDateOf(std::time(nullptr));
    CalendarPopup* calendar = e.OpenCalendar();
    ASSERT_NE(calendar, nullptr);
    EXPECT_EQ(calendar->Year(), today.year);
    EXPECT_EQ(calendar->MonthIndex() + 1, today.month);
    EXPECT_EQ(calendar->DayIndex() + 1, today.day);
    QTest::keyClick(calendar, Qt::Key_Escape);
    EXPECT_EQ(e.dialog.DateField()->text(), "");
    EXPECT_EQ(e.Ok(), "");
    DeleteClosedWindows();
}

TEST(ExpiresDialogTest, UnreadableAndPre1970ValuesOpenEmptyAndClearRemovesThem) {
    const ScopedTimeZone zone(kCentralEurope);
    for (const char* value : {"0", "never", "-1", "Mon, 06 Nov 1994 08:49:37 GMT",
                              "Mon, 01 Jan 1900 00:00:00 GMT", "Thu, 01 Jan 1970 00:30:00 +0100"}) {
        Expires e(value);
        EXPECT_EQ(e.dialog.DateField()->text(), "") << value;
        EXPECT_EQ(e.dialog.Time(), 0) << value;
        // OK alone keeps what the tag says; Clear then OK removes it.
        EXPECT_EQ(e.Ok(), value) << value;
        Expires cleared(value);
        cleared.dialog.ClearButton()->click();
        EXPECT_EQ(cleared.Ok(), "") << value;
    }
}

TEST(ExpiresDialogTest, ClearEmptiesTheField) {
    const ScopedTimeZone zone(kGmt);
    Expires e("Sun, 06 Nov 1994 08:49:37 GMT");
    e.dialog.ClearButton()->click();
    EXPECT_EQ(e.dialog.DateField()->text(), "");
    EXPECT_EQ(e.Ok(), "");

    // Clear then Cancel: the dialog ends without a result for the row; the
    // calendar still opens on the cleared day.
    Expires cancelled("Sun, 06 Nov 1994 08:49:37 GMT");
    cancelled.dialog.ClearButton()->click();
    CalendarPopup* calendar = cancelled.OpenCalendar();
    ASSERT_NE(calendar, nullptr);
    EXPECT_EQ(calendar->Title(), "November 1994");
    EXPECT_EQ(calendar->DayIndex(), 5);
    QTest::keyClick(calendar, Qt::Key_Escape);
    cancelled.dialog.CancelButton()->click();
    EXPECT_EQ(cancelled.dialog.result(), QDialog::Rejected);
    DeleteClosedWindows();
}

TEST(ExpiresDialogTest, AChosenDayGivesLocalStandardMidnightInSummerAndWinter) {
    const ScopedTimeZone zone(kCentralEurope);
    Expires summer("Wed, 01 Jun 2005 12:00:00 GMT");
    CalendarPopup* calendar = summer.OpenCalendar();
    ASSERT_NE(calendar, nullptr);
    EXPECT_FALSE(summer.dialog.DateField()->isEnabled());
    // Clicking the 15th chooses it.
    QTest::mouseClick(calendar, Qt::LeftButton, {}, calendar->DayRect(14).center());
    EXPECT_TRUE(summer.dialog.DateField()->isEnabled());
    EXPECT_EQ(summer.dialog.DateField()->text(), "15 June, 2005");
    EXPECT_EQ(summer.Ok(), "Tue, 14 Jun 2005 23:00:00 GMT");

    Expires winter("Sat, 01 Jan 2005 12:00:00 GMT");
    calendar = winter.OpenCalendar();
    ASSERT_NE(calendar, nullptr);
    for (int i = 0; i < 14; ++i) {
        QTest::keyClick(calendar, Qt::Key_Right);
    }
    QTest::keyClick(calendar, Qt::Key_Return);
    EXPECT_EQ(winter.dialog.DateField()->text(), "15 January, 2005");
    EXPECT_EQ(winter.Ok(), "Fri, 14 Jan 2005 23:00:00 GMT");
    DeleteClosedWindows();
}

// What the user does in the dialog before pressing OK.
enum class ExpiresAction {
    Nothing,
    CancelCalendar,  // opens the calendar, moves, and closes it with Escape
    ChooseSameDay,   // opens the calendar and takes the day it opens on
    ChooseNextDay,   // opens the calendar and takes the day after
    Clear,           // presses Clear
    ClearAndSameDay, // presses Clear, then takes the day the calendar opens on
};

void Do(Expires& e, ExpiresAction action) {
    using enum ExpiresAction;
    if (action == Nothing) {
        return;
    }
    if (action == Clear || action == ClearAndSameDay) {
        e.dialog.ClearButton()->click();
        if (action == Clear) {
            return;
        }
    }
    CalendarPopup* calendar = e.OpenCalendar();
    ASSERT_NE(calendar, nullptr);
    if (action == CancelCalendar) {
        QTest::keyClick(calendar, Qt::Key_Down);
        QTest::keyClick(calendar, Qt::Key_Escape);
        return;
    }
    if (action == ChooseNextDay) {
        QTest::keyClick(calendar, Qt::Key_Right);
    }
    QTest::keyClick(calendar, Qt::Key_Return);
}

TEST(ExpiresDialogTest, OkWithoutAChangeKeepsTheTextAndANewDayGivesLocalMidnight) {
    // One hour east of GMT (the rules of Paris), where local midnight is
    // 23:00 GMT the day before.
    const ScopedTimeZone zone(kCentralEurope);
    using enum ExpiresAction;
    struct Case {
        const char* value;
        ExpiresAction action;
        const char* result;
    };
    const Case cases[] = {
        // Unchanged: the text exactly as it stands.
        {"Mon, 08 Feb 2027 00:00:00 GMT", Nothing, "Mon, 08 Feb 2027 00:00:00 GMT"},
        {"Sun, 06 Nov 1994 08:49:37 GMT", Nothing, "Sun, 06 Nov 1994 08:49:37 GMT"},
        {"Wed, 01 Jun 2005 12:00:00 GMT", Nothing, "Wed, 01 Jun 2005 12:00:00 GMT"},
        {"Sun Nov  6 08:49:37 1994", Nothing, "Sun Nov  6 08:49:37 1994"},
        {"  06 nov 1994 09:49:37 +0100 ", Nothing, "  06 nov 1994 09:49:37 +0100 "},
        {"Mon, 08 Feb 2027 00:00:00 GMT", CancelCalendar, "Mon, 08 Feb 2027 00:00:00 GMT"},
        {"", Nothing, ""},
        {"", Clear, ""},
        // Taking the day shown again, or clearing and taking it back, is no
        // change either.
        {"Mon, 08 Feb 2027 00:00:00 GMT", ChooseSameDay, "Mon, 08 Feb 2027 00:00:00 GMT"},
        {"Sun Nov  6 08:49:37 1994", ClearAndSameDay, "Sun Nov  6 08:49:37 1994"},
        // A new day: local standard-time midnight starting it, in GMT.
        {"Mon, 08 Feb 2027 00:00:00 GMT", ChooseNextDay, "Mon, 08 Feb 2027 23:00:00 GMT"},
        {"Sun Nov  6 08:49:37 1994", ChooseNextDay, "Sun, 06 Nov 1994 23:00:00 GMT"},
        {"Wed, 01 Jun 2005 12:00:00 GMT", ChooseNextDay, "Wed, 01 Jun 2005 23:00:00 GMT"},
        {"never", ChooseSameDay, nullptr}, // the day the calendar opens on: today
        // Cleared: no date.
        {"Mon, 08 Feb 2027 00:00:00 GMT", Clear, ""},
        {"never", Clear, ""},
        {"never", Nothing, "never"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.value + "\" action " +
                     std::to_string(static_cast<int>(c.action)));
        Expires e(c.value);
        Do(e, c.action);
        const DatePickerButton& field = *e.dialog.DateField();
        const std::string chosen = FormatHttpDate(
            LocalMidnight(field.Year(), field.MonthIndex() + 1, field.DayIndex() + 1));
        EXPECT_EQ(e.Ok().toStdString(), c.result != nullptr ? c.result : chosen);
        DeleteClosedWindows();
    }
}

TEST(ExpiresDialogTest, ADayBefore1970GivesTheEmptyText) {
    const ScopedTimeZone zone(kGmt);
    Expires e("Thu, 01 Jan 1970 12:00:00 GMT");
    EXPECT_EQ(e.dialog.DateField()->text(), "1 January, 1970");
    CalendarPopup* calendar = e.OpenCalendar();
    ASSERT_NE(calendar, nullptr);
    calendar->NavButton(CalendarPopup::PreviousYear)->click();
    QTest::keyClick(calendar, Qt::Key_Return);
    EXPECT_EQ(e.dialog.DateField()->text(), "1 January, 1969");
    EXPECT_EQ(e.Ok(), "");
    DeleteClosedWindows();
}

TEST(ExpiresDialogTest, CancellingTheCalendarKeepsTheDay) {
    const ScopedTimeZone zone(kGmt);
    Expires e("Sun, 06 Nov 1994 08:49:37 GMT");
    CalendarPopup* calendar = e.OpenCalendar();
    ASSERT_NE(calendar, nullptr);
    QTest::keyClick(calendar, Qt::Key_PageDown);
    QTest::keyClick(calendar, Qt::Key_Escape);
    EXPECT_TRUE(e.dialog.DateField()->isEnabled());
    EXPECT_EQ(e.dialog.DateField()->text(), "6 November, 1994");
    EXPECT_EQ(e.Ok(), "Sun, 06 Nov 1994 08:49:37 GMT");
    DeleteClosedWindows();
}

} // namespace
} // namespace orlen
