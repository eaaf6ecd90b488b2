// The Expires editor: a dialog with a date field that drops down a month
// calendar. The date field and the calendar know nothing of tags or HTTP
// dates beyond turning a time value into a local day and back, and could
// serve any dialog.
#pragma once

#include "editors/calendar.h"
#include "editors/ui/value_dialog.h"
#include "editors/value_grammars.h"

#include <QDialog>
#include <QPointer>
#include <QPushButton>
#include <QString>

#include <array>
#include <cstdint>

namespace orlen {

class CalendarPopup;

// The date field: an owner-drawn push button showing a day as
// "6 November, 1994" (or nothing), with a drop-down arrow at its right end.
// Pressing it (mouse or space) disables it and opens a CalendarPopup under
// it; the popup's choice comes back as the field's new day.
class DatePickerButton : public QPushButton {
    Q_OBJECT
public:
    // The width of the drop-down arrow part.
    static constexpr int kArrowWidth = 20;
    // The size of the calendar it opens.
    static constexpr int kCalendarSize = 250;

    // Starts on today's local date; the text shows nothing until set.
    explicit DatePickerButton(QWidget* parent = nullptr);

    // Shows the local day of time value t.
    void SetTime(std::int64_t t);
    // Local standard-time midnight starting the stored day (-1 when it
    // cannot be converted).
    std::int64_t Time() const;
    // Stores a day and shows it: month index 0..11, day index 0..30.
    void SetDate(int year, int monthIndex, int dayIndex);
    // Shows the stored day as text (an empty text shows no date; the stored
    // day stays).
    void ShowDate();

    int Year() const { return year_; }
    int MonthIndex() const { return month_; }
    int DayIndex() const { return day_; }

    // The open calendar, or nullptr.
    CalendarPopup* Calendar() const { return calendar_; }

    // "%d %s, %d": day of month, English month name, year.
    static QString DateText(int year, int monthIndex, int dayIndex);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

public slots:
    // From the calendar: a day was chosen (monthDay = month 1..12 x 100 + day
    // index 0..30, so 15 June is 614).
    void OnDateChosen(int year, int monthDay);
    // From the calendar: it closed without a choice.
    void OnCalendarCancelled();

signals:
    // The calendar closed, with a new day or without.
    void CalendarClosed();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void OpenCalendar();

    int year_ = 1970;
    int month_ = 0;
    int day_ = 0;
    QPointer<CalendarPopup> calendar_;
};

// One of the calendar's four small buttons ("<<", "<", ">", ">>"), carrying
// its command number. It never keeps the keyboard focus: the calendar does.
class CalendarNavButton : public QPushButton {
    Q_OBJECT
public:
    CalendarNavButton(const QString& caption, int command, QWidget* parent);
    int Command() const { return command_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int command_;
};

// The drop-down month calendar: a frameless popup window with the month's
// title, weekday letters and days on a 9 x 7 grid, and buttons for the
// previous and next month and year. It ends by emitting DateChosen or
// Cancelled, then deletes itself.
class CalendarPopup : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRows = 9;
    static constexpr int kColumns = 7;
    static constexpr int kMargin = 4;
    // The buttons' command numbers.
    enum Command { PreviousYear = 100, PreviousMonth = 101, NextYear = 102, NextMonth = 103 };

    // topLeft in screen coordinates; parent owns the window should it
    // outlive its use. year, month (1..12) and day (1..31) given as -1 come
    // from today's local date.
    CalendarPopup(QPoint topLeft, QWidget* parent, int year, int month, int day);

    int Year() const { return year_; }
    int MonthIndex() const { return month_; }
    int DayIndex() const { return day_; }

    CalendarNavButton* NavButton(int command) const;
    // The cell of a day (index 0..30) of the shown month, in the popup's
    // coordinates; empty for a day the month does not have.
    QRect DayRect(int dayIndex) const;
    // The cell at row 0..8, column 0..6.
    QRect CellRect(int row, int column) const;
    // The "%s %d" title of the shown month ("November 1994").
    QString Title() const;

    // Runs one of the buttons' commands.
    void RunCommand(int command);

signals:
    // monthDay = month 1..12 x 100 + day index 0..30 (15 June is 614).
    void DateChosen(int year, int monthDay);
    void Cancelled();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void Choose();
    void Cancel();
    // Moves the selection within or across months; day may lie outside
    // the shown month when the month is changed by the caller.
    void SelectDay(int dayIndex);
    void ShowMonth(int year, int monthIndex, int dayIndex);
    void StepMonth(int months);
    int DayAt(QPoint position) const;
    void PlaceButtons();

    int year_;
    int month_;
    int day_;
    bool ended_ = false;
    std::array<CalendarNavButton*, 4> buttons_{};
};

// "Expires": the date field, "Clear", OK and Cancel. OK without a change
// gives the tag's text back as it was; after Clear it gives "", after a day
// is chosen the RFC 1123 date (in GMT) of local standard-time midnight
// starting that day (ExpiresResult).
class ExpiresDialog : public ValueDialog {
    Q_OBJECT
public:
    // value: the tag's current text; a text that cannot be read, or that
    // names an instant before 1970, opens as an empty field.
    explicit ExpiresDialog(const QString& value, QWidget* parent = nullptr);

    DatePickerButton* DateField() const { return field_; }
    QPushButton* ClearButton() const { return clear_; }

    // What the date field stands for now.
    ExpiresField Field() const;
    // The instant the result names; 0 when it names no date.
    std::int64_t Time() const { return ExpiresTimeOf(result_.toStdString()); }
    // The tag's new text; before OK, the text the dialog opened on.
    QString Result() const { return result_; }

    void accept() override;

private:
    QString original_;
    QString result_;
    ExpiresField opened_;
    bool cleared_ = false;
    DatePickerButton* field_ = nullptr;
    QPushButton* clear_ = nullptr;
};

} // namespace orlen
