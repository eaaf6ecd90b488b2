#include "editors/ui/expires_dialog.h"

#include "editors/http_date.h"
#include "editors/ui/editor_texts.h"
#include "editors/value_grammars.h"

#include <QApplication>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>
#include <QVBoxLayout>
#include <qdrawutil.h>

#include <ctime>

namespace orlen {

using editor_texts::ToQString;

namespace {

// The month title's font.
QFont TitleFont() {
    QFont font(QStringLiteral("Times New Roman"));
    font.setStyleHint(QFont::Serif);
    font.setPointSize(12);
    return font;
}

// Every other text of the calendar: weekday letters, days, button captions.
QFont SmallFont() {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    return font;
}

CalendarDate Today() {
    return LocalDateOf(static_cast<std::int64_t>(std::time(nullptr)));
}

} // namespace

// ---- DatePickerButton ----

DatePickerButton::DatePickerButton(QWidget* parent) : QPushButton(parent) {
    const CalendarDate today = Today();
    year_ = today.year;
    month_ = today.month - 1;
    day_ = today.day - 1;
    // Enter in the dialog means OK; the space bar opens the calendar.
    setAutoDefault(false);
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QPushButton::clicked, this, &DatePickerButton::OpenCalendar);
}

void DatePickerButton::SetTime(std::int64_t t) {
    const CalendarDate date = LocalDateOf(t);
    SetDate(date.year, date.month - 1, date.day - 1);
}

std::int64_t DatePickerButton::Time() const {
    return LocalMidnight(year_, month_ + 1, day_ + 1);
}

void DatePickerButton::SetDate(int year, int monthIndex, int dayIndex) {
    year_ = year;
    month_ = monthIndex;
    day_ = dayIndex;
    ShowDate();
}

void DatePickerButton::ShowDate() {
    setText(DateText(year_, month_, day_));
}

QString DatePickerButton::DateText(int year, int monthIndex, int dayIndex) {
    return QStringLiteral("%1 %2, %3")
        .arg(dayIndex + 1)
        .arg(ToQString(editor_texts::kMonthNames[monthIndex]))
        .arg(year);
}

QSize DatePickerButton::sizeHint() const {
    const QFontMetrics metrics(font());
    const int textWidth = metrics.horizontalAdvance(QStringLiteral("30 September, 2000"));
    return {textWidth + 24 + kArrowWidth, qMax(metrics.height() + 10, 24)};
}

QSize DatePickerButton::minimumSizeHint() const {
    return sizeHint();
}

void DatePickerButton::OpenCalendar() {
    if (calendar_ != nullptr) {
        return;
    }
    // The calendar hangs from the field's bottom-left corner.
    const QPoint below = mapToGlobal(QPoint(0, height()));
    setEnabled(false);
    auto* calendar = new CalendarPopup(below, window(), year_, month_ + 1, day_ + 1);
    connect(calendar, &CalendarPopup::DateChosen, this, &DatePickerButton::OnDateChosen);
    connect(calendar, &CalendarPopup::Cancelled, this, &DatePickerButton::OnCalendarCancelled);
    calendar_ = calendar;
    calendar->show();
}

void DatePickerButton::OnDateChosen(int year, int monthDay) {
    calendar_ = nullptr;
    SetDate(year, monthDay / 100 - 1, monthDay % 100);
    setEnabled(true);
    setFocus(Qt::OtherFocusReason);
    emit CalendarClosed();
}

void DatePickerButton::OnCalendarCancelled() {
    calendar_ = nullptr;
    setEnabled(true);
    emit CalendarClosed();
}

void DatePickerButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect all = rect();
    const QRect arrowPart(all.right() - kArrowWidth + 1, all.top(), kArrowWidth, all.height());
    const QRect textPart(all.left(), all.top(), all.width() - kArrowWidth, all.height());

    // The drop-down arrow, drawn as a small push button of its own.
    QStyleOptionButton button;
    button.initFrom(this);
    button.rect = arrowPart;
    button.state |= isDown() ? QStyle::State_Sunken : QStyle::State_Raised;
    style()->drawControl(QStyle::CE_PushButtonBevel, &button, &painter, this);
    QStyleOption arrow;
    arrow.initFrom(this);
    arrow.rect = arrowPart.adjusted(5, 5, -5, -5);
    if (isDown()) {
        arrow.rect.translate(1, 1);
    }
    style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, &painter, this);

    // The text area: the date centred on the window background.
    painter.fillRect(textPart, palette().color(QPalette::Base));
    painter.setPen(isEnabled() ? palette().color(QPalette::ButtonText)
                               : palette().color(QPalette::Disabled, QPalette::Text));
    painter.drawText(textPart, Qt::AlignCenter | Qt::TextSingleLine, text());
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        // Just inside the two-pixel edge.
        focus.rect = textPart.adjusted(3, 3, -3, -3);
        focus.backgroundColor = palette().color(QPalette::Base);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
    // Raised on the outside, sunken on the inside.
    qDrawShadePanel(&painter, textPart, palette(), false, 1);
    qDrawShadePanel(&painter, textPart.adjusted(1, 1, -1, -1), palette(), true, 1);
}

// ---- CalendarNavButton ----

CalendarNavButton::CalendarNavButton(const QString& caption, int command, QWidget* parent)
    : QPushButton(caption, parent), command_(command) {
    setFocusPolicy(Qt::NoFocus);
    setAutoDefault(false);
    setFont(SmallFont());
}

void CalendarNavButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QStyleOptionButton button;
    button.initFrom(this);
    button.rect = rect();
    button.state |= isDown() ? QStyle::State_Sunken : QStyle::State_Raised;
    style()->drawControl(QStyle::CE_PushButtonBevel, &button, &painter, this);
    QRect textRect = rect();
    if (isDown()) {
        textRect.translate(1, 1);
    }
    painter.setPen(isEnabled() ? palette().color(QPalette::ButtonText)
                               : palette().color(QPalette::Disabled, QPalette::ButtonText));
    painter.drawText(textRect, Qt::AlignCenter | Qt::TextSingleLine, text());
}

// ---- CalendarPopup ----

CalendarPopup::CalendarPopup(QPoint topLeft, QWidget* parent, int year, int month, int day)
    : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint) {
    const CalendarDate today = Today();
    year_ = year == -1 ? today.year : year;
    month_ = (month == -1 ? today.month : month) - 1;
    day_ = (day == -1 ? today.day : day) - 1;
    if (month_ < 0 || month_ > 11) {
        month_ = today.month - 1;
    }
    if (day_ < 0 || day_ >= DaysInMonth(year_, month_)) {
        day_ = 0;
    }
    setFocusPolicy(Qt::StrongFocus);
    setFont(SmallFont());
    QPalette colours = palette();
    colours.setColor(QPalette::Window, colours.color(QPalette::ToolTipBase));
    setPalette(colours);
    setAutoFillBackground(true);

    struct NavButtonInfo {
        std::string_view caption;
        int command;
    };
    static constexpr NavButtonInfo kButtons[] = {
        {editor_texts::kPreviousYear, PreviousYear},
        {editor_texts::kPreviousMonth, PreviousMonth},
        {editor_texts::kNextYear, NextYear},
        {editor_texts::kNextMonth, NextMonth},
    };
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        auto* button =
            new CalendarNavButton(ToQString(kButtons[i].caption), kButtons[i].command, this);
        connect(button, &QPushButton::clicked, this, [this, button] {
            RunCommand(button->Command());
            setFocus(Qt::OtherFocusReason);
        });
        buttons_[i] = button;
    }
    setGeometry(
        QRect(topLeft, QSize(DatePickerButton::kCalendarSize, DatePickerButton::kCalendarSize)));
    PlaceButtons();
    // Shown, the popup takes the keyboard focus.
    setFocus(Qt::PopupFocusReason);
}

CalendarNavButton* CalendarPopup::NavButton(int command) const {
    for (CalendarNavButton* button : buttons_) {
        if (button->Command() == command) {
            return button;
        }
    }
    return nullptr;
}

QRect CalendarPopup::CellRect(int row, int column) const {
    const int cellHeight = (height() - 2 * kMargin) / kRows;
    const int cellWidth = (width() - 2 * kMargin) / kColumns;
    const int left = (width() - kColumns * cellWidth) / 2;
    const int top = (height() - kRows * cellHeight) / 2;
    const int x = column == kColumns - 1 ? width() - left - cellWidth : left + column * cellWidth;
    return {x, top + row * cellHeight, cellWidth, cellHeight};
}

QRect CalendarPopup::DayRect(int dayIndex) const {
    if (dayIndex < 0 || dayIndex >= DaysInMonth(year_, month_)) {
        return {};
    }
    const int position = FirstWeekdayOfMonth(year_, month_) + dayIndex;
    return CellRect(3 + position / kColumns, position % kColumns);
}

QString CalendarPopup::Title() const {
    return QStringLiteral("%1 %2").arg(ToQString(editor_texts::kMonthNames[month_])).arg(year_);
}

void CalendarPopup::PlaceButtons() {
    NavButton(PreviousMonth)->setGeometry(CellRect(0, 0));
    NavButton(PreviousYear)->setGeometry(CellRect(1, 0));
    NavButton(NextMonth)->setGeometry(CellRect(0, kColumns - 1));
    NavButton(NextYear)->setGeometry(CellRect(1, kColumns - 1));
}

void CalendarPopup::resizeEvent(QResizeEvent*) {
    PlaceButtons();
}

void CalendarPopup::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette& colours = palette();
    const QColor background = colours.color(QPalette::ToolTipBase);
    const QColor foreground = colours.color(QPalette::ToolTipText);
    painter.fillRect(rect(), background);

    // The month's title between the buttons, over rows 0 and 1.
    const QRect first = CellRect(0, 0);
    const QRect last = CellRect(1, kColumns - 1);
    const QRect titleRect(QPoint(first.right() + 1 + 5, first.top()),
                          QPoint(last.left() - 1 - 5, last.bottom()));
    painter.setPen(foreground);
    painter.setFont(TitleFont());
    painter.drawText(titleRect, Qt::AlignCenter | Qt::TextSingleLine, Title());

    // Weekday letters, Sunday first, underlined across the seven columns.
    painter.setFont(SmallFont());
    for (int column = 0; column < kColumns; ++column) {
        painter.drawText(CellRect(2, column), Qt::AlignCenter | Qt::TextSingleLine,
                         ToQString(editor_texts::kWeekdayLetters[column]));
    }
    const int lineY = CellRect(2, 0).bottom();
    painter.drawLine(CellRect(2, 0).left(), lineY, CellRect(2, kColumns - 1).right(), lineY);

    // The days, the selected one highlighted.
    const int days = DaysInMonth(year_, month_);
    for (int day = 0; day < days; ++day) {
        const QRect cell = DayRect(day);
        const bool selected = day == day_;
        painter.fillRect(cell, selected ? colours.color(QPalette::Highlight) : background);
        painter.setPen(selected ? colours.color(QPalette::HighlightedText) : foreground);
        painter.drawText(cell, Qt::AlignCenter | Qt::TextSingleLine,
                         QString::asprintf("%2d", day + 1));
    }

    // The thin border of the window.
    painter.setPen(colours.color(QPalette::Shadow));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

int CalendarPopup::DayAt(QPoint position) const {
    const int days = DaysInMonth(year_, month_);
    for (int day = 0; day < days; ++day) {
        if (DayRect(day).contains(position)) {
            return day;
        }
    }
    return -1;
}

void CalendarPopup::mousePressEvent(QMouseEvent* event) {
    if (!rect().contains(event->position().toPoint())) {
        // A press outside the popup closes it.
        QWidget::mousePressEvent(event);
        return;
    }
    if (event->button() == Qt::LeftButton) {
        const int day = DayAt(event->position().toPoint());
        if (day >= 0) {
            SelectDay(day);
        }
    }
}

void CalendarPopup::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && DayAt(event->position().toPoint()) >= 0) {
        Choose();
    }
}

void CalendarPopup::keyPressEvent(QKeyEvent* event) {
    int year = year_;
    int month = month_;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Choose();
        return;
    case Qt::Key_Escape:
        Cancel();
        return;
    case Qt::Key_Left:
        if (day_ > 0) {
            SelectDay(day_ - 1);
        } else {
            AddMonths(year, month, -1);
            ShowMonth(year, month, DaysInMonth(year, month) - 1);
        }
        return;
    case Qt::Key_Right:
        if (day_ + 1 < DaysInMonth(year_, month_)) {
            SelectDay(day_ + 1);
        } else {
            AddMonths(year, month, 1);
            ShowMonth(year, month, 0);
        }
        return;
    case Qt::Key_Up:
        if (day_ >= 7) {
            SelectDay(day_ - 7);
        } else {
            // The same weekday in the previous month.
            AddMonths(year, month, -1);
            ShowMonth(year, month, day_ - 7 + DaysInMonth(year, month));
        }
        return;
    case Qt::Key_Down:
        if (day_ + 7 < DaysInMonth(year_, month_)) {
            SelectDay(day_ + 7);
        } else {
            const int into = day_ + 7 - DaysInMonth(year_, month_);
            AddMonths(year, month, 1);
            ShowMonth(year, month, into);
        }
        return;
    case Qt::Key_PageUp:
        RunCommand(PreviousMonth);
        return;
    case Qt::Key_PageDown:
        RunCommand(NextMonth);
        return;
    default:
        event->ignore();
    }
}

void CalendarPopup::RunCommand(int command) {
    int year = year_;
    int month = month_;
    switch (command) {
    case PreviousYear:
        --year;
        break;
    case NextYear:
        ++year;
        break;
    case PreviousMonth:
        AddMonths(year, month, -1);
        break;
    case NextMonth:
        AddMonths(year, month, 1);
        break;
    default:
        return;
    }
    ShowMonth(year, month, day_);
}

void CalendarPopup::SelectDay(int dayIndex) {
    if (dayIndex == day_) {
        return;
    }
    update(DayRect(day_));
    day_ = dayIndex;
    update(DayRect(day_));
}

void CalendarPopup::ShowMonth(int year, int monthIndex, int dayIndex) {
    year_ = year;
    month_ = monthIndex;
    // A day the new month does not have (the 31st, 29 February) becomes
    // the 1st.
    day_ = dayIndex >= 0 && dayIndex < DaysInMonth(year, monthIndex) ? dayIndex : 0;
    update();
}

void CalendarPopup::Choose() {
    if (ended_) {
        return;
    }
    ended_ = true;
    hide();
    emit DateChosen(year_, (month_ + 1) * 100 + day_);
    deleteLater();
}

void CalendarPopup::Cancel() {
    if (ended_) {
        return;
    }
    ended_ = true;
    hide();
    emit Cancelled();
    deleteLater();
}

void CalendarPopup::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    // The focus going to any window but the popup itself ends it.
    const QWidget* now = QApplication::focusWidget();
    if (now == this || (now != nullptr && isAncestorOf(now))) {
        return;
    }
    Cancel();
}

void CalendarPopup::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // Closed from outside (a click beside the popup).
    Cancel();
}

// ---- ExpiresDialog ----

ExpiresDialog::ExpiresDialog(const QString& value, QWidget* parent)
    : ValueDialog(editor_texts::kExpiresCaption, parent), original_(value), result_(value),
      opened_(ReadExpires(value.toStdString())) {
    auto* label = new QLabel(ToQString(editor_texts::kExpiresDate), this);
    field_ = new DatePickerButton(this);
    label->setBuddy(field_);
    clear_ = new QPushButton(ToQString(editor_texts::kClear), this);
    clear_->setAutoDefault(false);

    auto* fieldRow = new QHBoxLayout;
    fieldRow->addWidget(field_, 1);
    fieldRow->addWidget(clear_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addLayout(fieldRow);
    layout->addSpacing(8);
    layout->addLayout(ButtonRow());
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(clear_, &QPushButton::clicked, field_, [this] {
        cleared_ = true;
        field_->setText(QString());
    });

    // The field first shows its own day (today), then the tag's date.
    field_->ShowDate();
    if (opened_.kind == ExpiresFieldKind::Day) {
        field_->SetDate(opened_.day.year, opened_.day.month - 1, opened_.day.day - 1);
    } else {
        field_->setText(QString());
    }
    field_->setFocus(Qt::OtherFocusReason);
}

ExpiresField ExpiresDialog::Field() const {
    // The field shows text only for a day: the tag's or a chosen one.
    if (!field_->text().isEmpty()) {
        return {ExpiresFieldKind::Day,
                {field_->Year(), field_->MonthIndex() + 1, field_->DayIndex() + 1}};
    }
    // Empty, it still stands for an unreadable text until cleared.
    return cleared_ ? ExpiresField{} : opened_;
}

void ExpiresDialog::accept() {
    const std::string result = ExpiresResult(original_.toStdString(), Field());
    // An unchanged text is given back as the very string the dialog got.
    result_ = result == original_.toStdString() ? original_ : QString::fromStdString(result);
    QDialog::accept();
}

} // namespace orlen
