// The dialogs behind the "Suggest" buttons of the description and keywords
// rows: choosing from the suggested keywords, and editing the suggested
// description. The suggestions themselves come from suggestions.h.
#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace orlen {

// "Keyword suggestions": the suggested words in a sorted list to choose
// from, "Select all", and "Append list" to add the choice to the current
// keywords instead of replacing them.
class KeywordSuggestionsDialog : public QDialog {
    Q_OBJECT
public:
    // suggestions: words separated by single spaces.
    explicit KeywordSuggestionsDialog(const QString& suggestions, QWidget* parent = nullptr);

    QListWidget* List() const { return list_; }
    QPushButton* SelectAllButton() const { return selectAll_; }
    QCheckBox* AppendBox() const { return append_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

    // Before OK the suggestions as given; after OK the selected words in
    // list order, separated by single spaces.
    QString Result() const { return result_; }
    // Whether "Append list" was checked when OK was pressed.
    bool AppendList() const { return appendList_; }

    void accept() override;

private:
    QString result_;
    bool appendList_ = false;
    QListWidget* list_ = nullptr;
    QPushButton* selectAll_ = nullptr;
    QCheckBox* append_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

// "Page description": the suggested description text, to edit before it
// becomes the description.
class PageDescriptionDialog : public QDialog {
    Q_OBJECT
public:
    explicit PageDescriptionDialog(const QString& text, QWidget* parent = nullptr);

    QPlainTextEdit* Editor() const { return editor_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

    // The text as given, or after OK the edited text.
    QString Text() const { return text_; }

    void accept() override;

private:
    QString text_;
    QPlainTextEdit* editor_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

} // namespace orlen
