#include "editors/ui/value_dialogs.h"

#include "editors/ui/editor_texts.h"
#include "editors/ui/expires_dialog.h"
#include "editors/value_grammars.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>
#include <string>

namespace orlen {

using editor_texts::ToQString;

namespace {

std::string ToStd(const QString& text) {
    return text.toStdString();
}

QString FromStd(const std::string& text) {
    return QString::fromStdString(text);
}

// A dialog's result as a QString: a text equal to the one the dialog opened
// on is given back as that very string.
QString ResultText(const QString& original, const std::string& text) {
    return text == ToStd(original) ? original : FromStd(text);
}

// The default way a refusal reaches the user.
EditorMessageHook MessageBoxHook(QWidget* dialog) {
    return [dialog](const QString& message) {
        QMessageBox::warning(dialog, ToQString(editor_texts::kMessageCaption), message);
    };
}

// Seconds fields are narrow: a few digits.
QLineEdit* SecondsField(QDialog* dialog) {
    auto* edit = new QLineEdit(dialog);
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")));
    return edit;
}

// After a refusal the field in question is ready for a new number.
void RefocusSeconds(QLineEdit* seconds) {
    seconds->setFocus(Qt::OtherFocusReason);
    seconds->selectAll();
}

} // namespace

ValueDialog::ValueDialog(std::string_view caption, QWidget* parent) : QDialog(parent) {
    setWindowTitle(ToQString(caption));
}

QHBoxLayout* ValueDialog::ButtonRow() {
    ok_ = new QPushButton(ToQString(editor_texts::kOk), this);
    cancel_ = new QPushButton(ToQString(editor_texts::kCancel), this);
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(ok_);
    row->addWidget(cancel_);
    return row;
}

// ---- Cache-Control ----

CacheControlDialog::CacheControlDialog(const QString& value, QWidget* parent)
    : ValueDialog(editor_texts::kCacheControlCaption, parent), showMessage(MessageBoxHook(this)),
      original_(value) {
    dontLimit_ = new QRadioButton(ToQString(editor_texts::kDontLimit), this);
    preventCaching_ = new QRadioButton(ToQString(editor_texts::kPreventCaching), this);
    maximumAge_ = new QRadioButton(ToQString(editor_texts::kMaximumAge), this);
    auto* group = new QButtonGroup(this);
    group->addButton(dontLimit_, static_cast<int>(CacheControlChoice::DontLimit));
    group->addButton(preventCaching_, static_cast<int>(CacheControlChoice::PreventCaching));
    group->addButton(maximumAge_, static_cast<int>(CacheControlChoice::MaximumAge));
    seconds_ = SecondsField(this);
    auto* secondsLabel = new QLabel(ToQString(editor_texts::kSeconds), this);

    auto* ageRow = new QHBoxLayout;
    ageRow->addWidget(maximumAge_);
    ageRow->addWidget(seconds_);
    ageRow->addWidget(secondsLabel);
    ageRow->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(dontLimit_);
    layout->addWidget(preventCaching_);
    layout->addLayout(ageRow);
    layout->addSpacing(8);
    layout->addLayout(ButtonRow());
    layout->setSizeConstraint(QLayout::SetFixedSize);

    const CacheControlState state = ReadCacheControl(ToStd(value));
    group->button(static_cast<int>(state.choice))->setChecked(true);
    seconds_->setText(QString::number(state.seconds));
    ApplyEnabling();
    connect(group, &QButtonGroup::idClicked, this, [this](int) { ApplyEnabling(); });
    connect(seconds_, &QLineEdit::textChanged, this, [this] { ApplyEnabling(); });
}

void CacheControlDialog::ApplyEnabling() {
    const CacheControlChoice choice = maximumAge_->isChecked() ? CacheControlChoice::MaximumAge
                                      : preventCaching_->isChecked()
                                          ? CacheControlChoice::PreventCaching
                                          : CacheControlChoice::DontLimit;
    const CacheControlEnabling enabling = CacheControlEnablingFor(choice, ToStd(seconds_->text()));
    seconds_->setEnabled(enabling.secondsField);
    ok_->setEnabled(enabling.okButton);
}

void CacheControlDialog::accept() {
    // Enter reaches here even while OK is disabled (a maximum age of 0).
    if (!ok_->isEnabled()) {
        return;
    }
    CacheControlChoice choice = CacheControlChoice::DontLimit;
    if (maximumAge_->isChecked()) {
        choice = CacheControlChoice::MaximumAge;
    } else {
        if (preventCaching_->isChecked()) {
            choice = CacheControlChoice::PreventCaching;
        }
        // Without a maximum age the seconds field no longer matters.
        seconds_->setText(QStringLiteral("0"));
    }
    const EditorResult result =
        CacheControlResult(ToStd(original_), choice, ToStd(seconds_->text()));
    if (!result.accepted) {
        showMessage(ToQString(result.message));
        RefocusSeconds(seconds_);
        return;
    }
    result_ = ResultText(original_, result.text);
    QDialog::accept();
}

// ---- Refresh ----

RefreshDialog::RefreshDialog(const QString& value, QWidget* parent)
    : ValueDialog(editor_texts::kRefreshCaption, parent), showMessage(MessageBoxHook(this)),
      original_(value) {
    noRefresh_ = new QRadioButton(ToQString(editor_texts::kNoRefresh), this);
    refreshAfter_ = new QRadioButton(ToQString(editor_texts::kRefreshAfter), this);
    auto* group = new QButtonGroup(this);
    group->addButton(noRefresh_);
    group->addButton(refreshAfter_);
    seconds_ = SecondsField(this);
    auto* urlLabel = new QLabel(ToQString(editor_texts::kRefreshUrl), this);
    url_ = new QLineEdit(this);
    url_->setMinimumWidth(320);
    urlLabel->setBuddy(url_);

    auto* afterRow = new QHBoxLayout;
    afterRow->addWidget(refreshAfter_);
    afterRow->addWidget(seconds_);
    afterRow->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(noRefresh_);
    layout->addLayout(afterRow);
    layout->addSpacing(4);
    layout->addWidget(urlLabel);
    layout->addWidget(url_);
    layout->addSpacing(8);
    layout->addLayout(ButtonRow());
    layout->setSizeConstraint(QLayout::SetFixedSize);

    const RefreshState state = ReadRefresh(ToStd(value));
    seconds_->setText(QString::number(state.seconds));
    url_->setText(FromStd(state.url));
    (state.refresh ? refreshAfter_ : noRefresh_)->setChecked(true);
    ApplyEnabling();
    connect(group, &QButtonGroup::buttonClicked, this, [this] { ApplyEnabling(); });
}

void RefreshDialog::ApplyEnabling() {
    const bool refresh = refreshAfter_->isChecked();
    seconds_->setEnabled(refresh);
    url_->setEnabled(refresh);
}

void RefreshDialog::accept() {
    const bool refresh = refreshAfter_->isChecked();
    const EditorResult result =
        RefreshResult(ToStd(original_), refresh, ToStd(seconds_->text()), ToStd(url_->text()));
    if (!result.accepted) {
        showMessage(ToQString(result.message));
        RefocusSeconds(seconds_);
        return;
    }
    if (!refresh) {
        // Without a refresh the fields hold nothing.
        seconds_->setText(QStringLiteral("0"));
        url_->clear();
    }
    result_ = ResultText(original_, result.text);
    QDialog::accept();
}

// ---- Robots ----

RobotsDialog::RobotsDialog(const QString& value, QWidget* parent)
    : ValueDialog(editor_texts::kRobotsCaption, parent), original_(value), result_(value),
      opened_(ReadRobots(ToStd(value))) {
    namespace t = editor_texts;
    noIndex_ = new QCheckBox(ToQString(t::kNoIndex), this);
    noFollow_ = new QCheckBox(ToQString(t::kNoFollow), this);
    const std::string_view flagTexts[] = {t::kNoArchive, t::kNoSnippet, t::kNoImageIndex,
                                          t::kNoTranslate};
    const bool flagStates[] = {opened_.noArchive, opened_.noSnippet, opened_.noImageIndex,
                               opened_.noTranslate};
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(noIndex_);
    layout->addWidget(noFollow_);
    for (std::size_t i = 0; i < flags_.size(); ++i) {
        flags_[i] = new QCheckBox(ToQString(flagTexts[i]), this);
        flags_[i]->setChecked(flagStates[i]);
        layout->addWidget(flags_[i]);
    }
    // Limits: a box says whether the directive is written, a field its
    // number (-1 for no limit).
    auto* limits = new QGridLayout;
    const auto limitRow = [&](int row, std::string_view text, QCheckBox*& box, QSpinBox*& field,
                              const std::optional<std::int64_t>& opened) {
        box = new QCheckBox(ToQString(text), this);
        field = new QSpinBox(this);
        field->setRange(-1, kMaxFieldInteger);
        field->setToolTip(ToQString(t::kNoLimit));
        field->setValue(opened ? static_cast<int>(std::min<std::int64_t>(*opened, kMaxFieldInteger))
                               : -1);
        box->setChecked(opened.has_value());
        field->setEnabled(opened.has_value());
        connect(box, &QCheckBox::toggled, field, &QWidget::setEnabled);
        limits->addWidget(box, row, 0);
        limits->addWidget(field, row, 1);
    };
    limitRow(0, t::kMaxSnippet, maxSnippet_, maxSnippetValue_, opened_.maxSnippet);
    limitRow(1, t::kMaxVideoPreview, maxVideo_, maxVideoValue_, opened_.maxVideoPreview);
    imagePreview_ = new QComboBox(this);
    imagePreview_->addItem(ToQString(t::kNotSaid), QString());
    for (std::string_view size : kImagePreviewSizes) {
        imagePreview_->addItem(ToQString(size), ToQString(size));
    }
    imagePreview_->setCurrentIndex(
        std::max(0, imagePreview_->findData(ToQString(opened_.maxImagePreview))));
    limits->addWidget(new QLabel(ToQString(t::kMaxImagePreview), this), 2, 0);
    limits->addWidget(imagePreview_, 2, 1);
    unavailableAfter_ = new QLineEdit(FromStd(opened_.unavailableAfter), this);
    unavailableAfter_->setPlaceholderText(ToQString(t::kDatePlaceholder));
    limits->addWidget(new QLabel(ToQString(t::kUnavailableAfter), this), 3, 0);
    limits->addWidget(unavailableAfter_, 3, 1);
    layout->addLayout(limits);
    layout->addSpacing(8);
    layout->addLayout(ButtonRow());
    layout->setSizeConstraint(QLayout::SetFixedSize);

    noIndex_->setChecked(opened_.noIndex);
    noFollow_->setChecked(opened_.noFollow);
}

RobotsState RobotsDialog::State() const {
    RobotsState s;
    s.noIndex = noIndex_->isChecked();
    s.noFollow = noFollow_->isChecked();
    s.noArchive = flags_[0]->isChecked();
    s.noSnippet = flags_[1]->isChecked();
    s.noImageIndex = flags_[2]->isChecked();
    s.noTranslate = flags_[3]->isChecked();
    // A limit the user did not touch keeps the number the text held, even
    // one beyond what the field can show.
    const auto limit =
        [](QCheckBox* box, QSpinBox* field,
           const std::optional<std::int64_t>& opened) -> std::optional<std::int64_t> {
        if (!box->isChecked()) {
            return std::nullopt;
        }
        if (opened && std::min<std::int64_t>(*opened, kMaxFieldInteger) == field->value()) {
            return opened;
        }
        return field->value();
    };
    s.maxSnippet = limit(maxSnippet_, maxSnippetValue_, opened_.maxSnippet);
    s.maxVideoPreview = limit(maxVideo_, maxVideoValue_, opened_.maxVideoPreview);
    s.maxImagePreview = ToStd(imagePreview_->currentData().toString());
    // A date typed with a comma but no day name would read back as two
    // items; the text is taken as typed, trimmed.
    s.unavailableAfter = ToStd(unavailableAfter_->text().trimmed());
    return s;
}

void RobotsDialog::accept() {
    result_ = ResultText(original_, RobotsResult(ToStd(original_), State()));
    QDialog::accept();
}

} // namespace orlen
