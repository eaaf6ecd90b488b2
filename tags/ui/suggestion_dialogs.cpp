#include "tags/ui/suggestion_dialogs.h"

#include "tags/suggestions.h"
#include "tags/ui/dialog_texts.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <string>
#include <vector>

namespace orlen {

using dialog_texts::ToQString;

// --- Keyword suggestions -----------------------------------------------------

KeywordSuggestionsDialog::KeywordSuggestionsDialog(const QString& suggestions, QWidget* parent)
    : QDialog(parent), result_(suggestions) {
    setWindowTitle(ToQString(dialog_texts::kKeywordsCaption));
    auto* label = new QLabel(ToQString(dialog_texts::kSelectKeywords), this);
    list_ = new QListWidget(this);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // The list keeps the order of KeywordListItems; Qt's own sorting would
    // follow the locale instead.
    list_->setSortingEnabled(false);
    label->setBuddy(list_);
    for (const std::string& item : KeywordListItems(suggestions.toStdString())) {
        list_->addItem(QString::fromStdString(item));
    }
    list_->setCurrentRow(-1);
    list_->clearSelection();

    selectAll_ = new QPushButton(ToQString(dialog_texts::kSelectAll), this);
    append_ = new QCheckBox(ToQString(dialog_texts::kAppendList), this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    cancel_ = buttons->button(QDialogButtonBox::Cancel);
    ok_->setDefault(true);

    auto* choice = new QHBoxLayout;
    choice->addWidget(selectAll_);
    choice->addSpacing(12);
    choice->addWidget(append_);
    choice->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(list_, 1);
    layout->addLayout(choice);
    layout->addSpacing(4);
    layout->addWidget(buttons);
    resize(320, 360);

    setTabOrder(list_, selectAll_);
    setTabOrder(selectAll_, append_);
    setTabOrder(append_, ok_);
    setTabOrder(ok_, cancel_);
    list_->setFocus();

    connect(selectAll_, &QPushButton::clicked, list_, &QListWidget::selectAll);
    connect(buttons, &QDialogButtonBox::accepted, this, &KeywordSuggestionsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void KeywordSuggestionsDialog::accept() {
    std::vector<std::string> selected;
    for (int row = 0; row < list_->count(); ++row) {
        if (list_->item(row)->isSelected()) {
            selected.push_back(list_->item(row)->text().toStdString());
        }
    }
    result_ = QString::fromStdString(KeywordDialogResult(selected));
    appendList_ = append_->isChecked();
    QDialog::accept();
}

// --- Page description --------------------------------------------------------

PageDescriptionDialog::PageDescriptionDialog(const QString& text, QWidget* parent)
    : QDialog(parent), text_(text) {
    setWindowTitle(ToQString(dialog_texts::kDescriptionCaption));
    auto* label = new QLabel(ToQString(dialog_texts::kEditDescription), this);
    editor_ = new QPlainTextEdit(text, this);
    editor_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    editor_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    editor_->setTabChangesFocus(true);
    label->setBuddy(editor_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    cancel_ = buttons->button(QDialogButtonBox::Cancel);
    ok_->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(editor_, 1);
    layout->addWidget(buttons);
    resize(440, 240);

    setTabOrder(editor_, ok_);
    setTabOrder(ok_, cancel_);
    editor_->setFocus();

    connect(buttons, &QDialogButtonBox::accepted, this, &PageDescriptionDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void PageDescriptionDialog::accept() {
    text_ = editor_->toPlainText();
    QDialog::accept();
}

} // namespace orlen
