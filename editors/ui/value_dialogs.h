// The editor dialogs behind the "Edit" buttons of the Cache-Control, Refresh
// and robots rows, and the registration of all four value editors (these and
// Expires) with the editing view. The grammars of the values live in
// value_grammars.h; the dialogs only show them and call it.
#pragma once

#include "editors/ui/value_dialog.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <optional>

class QCheckBox;
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

// "Robots": keep robots from indexing the page and from following its links.
// Directives without a box are kept; OK without a change gives the text back
// as it was (RobotsResult).
class RobotsDialog : public ValueDialog {
    Q_OBJECT
public:
    // value: the tag's current text.
    explicit RobotsDialog(const QString& value, QWidget* parent = nullptr);

    QCheckBox* NoIndexBox() const { return noIndex_; }
    QCheckBox* NoFollowBox() const { return noFollow_; }

    // The tag's new text; before OK, the text the dialog opened on.
    QString Result() const { return result_; }

    void accept() override;

private:
    QString original_;
    QString result_;
    QCheckBox* noIndex_ = nullptr;
    QCheckBox* noFollow_ = nullptr;
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
