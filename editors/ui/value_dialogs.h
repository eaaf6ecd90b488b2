// The editor dialogs behind the "Edit" buttons of the Cache-Control, Refresh
// and robots rows, and the registration of all four value editors (these and
// Expires) with the editing view. The grammars of the values live in
// value_grammars.h; the dialogs only show them and call it.
#pragma once

#include "editors/ui/value_dialog.h"
#include "editors/value_grammars.h"

#include <QDialog>
#include <QString>

#include <array>
#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QSpinBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace orlen {

// Shows a refusal (the integer message) while a dialog stays open. By default
// a warning box captioned "Orlen" over the dialog; tests replace it.
using EditorMessageHook = std::function<void(const QString& message)>;

// "Cache-Control": don't limit, prevent cached copies, or a maximum age in
// seconds. OK without a change gives the text back as it was
// (CacheControlResult).
class CacheControlDialog : public ValueDialog {
    Q_OBJECT
public:
    // value: the tag's current text.
    explicit CacheControlDialog(const QString& value, QWidget* parent = nullptr);

    QRadioButton* DontLimitRadio() const { return dontLimit_; }
    QRadioButton* PreventCachingRadio() const { return preventCaching_; }
    QRadioButton* MaximumAgeRadio() const { return maximumAge_; }
    QLineEdit* SecondsEdit() const { return seconds_; }

    // The tag's new text; meaningful after OK.
    QString Result() const { return result_; }

    void accept() override;

    EditorMessageHook showMessage;

private:
    void ApplyEnabling();

    QString original_;
    QString result_;
    QRadioButton* dontLimit_ = nullptr;
    QRadioButton* preventCaching_ = nullptr;
    QRadioButton* maximumAge_ = nullptr;
    QLineEdit* seconds_ = nullptr;
};

// "Refresh": no refresh, or a refresh after some seconds, optionally to
// another address. OK without a change gives the text back as it was
// (RefreshResult).
class RefreshDialog : public ValueDialog {
    Q_OBJECT
public:
    // value: the tag's current text.
    explicit RefreshDialog(const QString& value, QWidget* parent = nullptr);

    QRadioButton* NoRefreshRadio() const { return noRefresh_; }
    QRadioButton* RefreshAfterRadio() const { return refreshAfter_; }
    QLineEdit* SecondsEdit() const { return seconds_; }
    QLineEdit* UrlEdit() const { return url_; }

    // The tag's new text; meaningful after OK.
    QString Result() const { return result_; }

    void accept() override;

    EditorMessageHook showMessage;

private:
    void ApplyEnabling();

    QString original_;
    QString result_;
    QRadioButton* noRefresh_ = nullptr;
    QRadioButton* refreshAfter_ = nullptr;
    QLineEdit* seconds_ = nullptr;
    QLineEdit* url_ = nullptr;
};

// "Robots": keep robots from indexing the page and from following its links,
// and the other directives search engines honour today (snippets, image and
// video previews, archive, translation, a date to drop the page after).
// Directives without a control are kept; OK without a change gives the text
// back as it was (RobotsResult).
class RobotsDialog : public ValueDialog {
    Q_OBJECT
public:
    // value: the tag's current text.
    explicit RobotsDialog(const QString& value, QWidget* parent = nullptr);

    QCheckBox* NoIndexBox() const { return noIndex_; }
    QCheckBox* NoFollowBox() const { return noFollow_; }
    QCheckBox* FlagBox(int i) const { return flags_[static_cast<std::size_t>(i)]; }
    QCheckBox* MaxSnippetBox() const { return maxSnippet_; }
    QSpinBox* MaxSnippetField() const { return maxSnippetValue_; }
    QComboBox* ImagePreviewList() const { return imagePreview_; }
    QCheckBox* MaxVideoBox() const { return maxVideo_; }
    QSpinBox* MaxVideoField() const { return maxVideoValue_; }
    QLineEdit* UnavailableAfterField() const { return unavailableAfter_; }

    // The tag's new text; before OK, the text the dialog opened on.
    QString Result() const { return result_; }

    void accept() override;

private:
    QString original_;
    QString result_;
    QCheckBox* noIndex_ = nullptr;
    QCheckBox* noFollow_ = nullptr;
    // noarchive, nosnippet, noimageindex, notranslate.
    std::array<QCheckBox*, 4> flags_{};
    QCheckBox* maxSnippet_ = nullptr;
    QSpinBox* maxSnippetValue_ = nullptr;
    QComboBox* imagePreview_ = nullptr;
    QCheckBox* maxVideo_ = nullptr;
    QSpinBox* maxVideoValue_ = nullptr;
    QLineEdit* unavailableAfter_ = nullptr;
    // What the controls say, over what the text held when the dialog opened.
    RobotsState State() const;
    RobotsState opened_;
};

// Runs a value editor dialog modally over parent: the tag's new text on OK,
// nothing on Cancel.
template <typename Dialog>
std::optional<QString> RunValueDialog(const QString& value, QWidget* parent) {
    Dialog dialog(value, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.Result();
}

} // namespace orlen
