// The keyword and description suggestion dialogs, offscreen: what they show,
// choosing and editing through their controls, and what OK and Cancel give.
#include "tags/suggestions.h"
#include "tags/ui/suggestion_dialogs.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <string>

namespace orlen {
namespace {

QStringList Items(const QListWidget* list) {
    QStringList items;
    for (int row = 0; row < list->count(); ++row) {
        items.append(list->item(row)->text());
    }
    return items;
}

int SelectedCount(const QListWidget* list) {
    return static_cast<int>(list->selectedItems().size());
}

void ClickRow(QListWidget* list, int row, Qt::KeyboardModifiers modifiers = {}) {
    const QRect rect = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, rect.center());
}

QString Utf8(const char* text) {
    return QString::fromUtf8(text);
}

TEST(KeywordSuggestionsDialogTest, ShowsTheWordsInTheListBoxOrderWithNothingSelected) {
    // Upper and lower case sort together (a plain QString sort would put
    // "Banana" before "apple"); accented words follow the plain ASCII ones (a
    // locale-aware sort would put "éclair" among the e's).
    const QString suggestions = Utf8("zebra éclair Apple  echo apple Banana ");
    KeywordSuggestionsDialog dialog(suggestions);
    EXPECT_EQ(dialog.windowTitle(), "Keyword suggestions");
    const auto labels = dialog.findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels.front()->text(), "Select keywords");
    EXPECT_EQ(dialog.SelectAllButton()->text(), "Select all");
    EXPECT_EQ(dialog.AppendBox()->text(), "Append list");
    EXPECT_TRUE(dialog.OkButton()->isDefault());

    QStringList expected;
    for (const std::string& item : KeywordListItems(suggestions.toStdString())) {
        expected.append(QString::fromStdString(item));
    }
    EXPECT_EQ(expected, (QStringList{"Apple", "apple", "Banana", "echo", "zebra", Utf8("éclair")}));
    EXPECT_EQ(Items(dialog.List()), expected);
    EXPECT_EQ(SelectedCount(dialog.List()), 0);
    EXPECT_FALSE(dialog.AppendBox()->isChecked());
    EXPECT_EQ(dialog.List()->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_FALSE(dialog.AppendList());
    dialog.show(); // the list takes the focus, still without a selection
    EXPECT_EQ(SelectedCount(dialog.List()), 0);
}

TEST(KeywordSuggestionsDialogTest, SelectAllThenOkGivesEveryWordInListOrder) {
    KeywordSuggestionsDialog dialog("dog cat Bird");
    dialog.show();
    QTest::mouseClick(dialog.SelectAllButton(), Qt::LeftButton);
    EXPECT_EQ(SelectedCount(dialog.List()), 3);
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Result(), "Bird, cat, dog");
    EXPECT_FALSE(dialog.AppendList());
}

TEST(KeywordSuggestionsDialogTest, OkGivesTheChosenWordsInListOrderNotClickOrder) {
    KeywordSuggestionsDialog dialog("delta alpha charlie bravo");
    dialog.show();
    ClickRow(dialog.List(), 3);                      // delta
    ClickRow(dialog.List(), 0, Qt::ControlModifier); // alpha
    ClickRow(dialog.List(), 2, Qt::ControlModifier); // charlie
    EXPECT_EQ(SelectedCount(dialog.List()), 3);
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.Result(), "alpha, charlie, delta");

    // Nothing chosen gives an empty result.
    KeywordSuggestionsDialog none("alpha bravo");
    none.show();
    QTest::mouseClick(none.OkButton(), Qt::LeftButton);
    EXPECT_EQ(none.result(), QDialog::Accepted);
    EXPECT_EQ(none.Result(), "");
}

TEST(KeywordSuggestionsDialogTest, AppendListIsReadOnOkAndAddsToTheCurrentKeywords) {
    KeywordSuggestionsDialog dialog("dog cat");
    dialog.show();
    QTest::mouseClick(dialog.AppendBox(), Qt::LeftButton, {}, QPoint(4, 4));
    EXPECT_TRUE(dialog.AppendBox()->isChecked());
    EXPECT_FALSE(dialog.AppendList()); // not before OK
    QTest::mouseClick(dialog.SelectAllButton(), Qt::LeftButton);
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    EXPECT_TRUE(dialog.AppendList());
    EXPECT_EQ(dialog.Result(), "cat, dog");
    // As the view then combines it with the row's value.
    EXPECT_EQ(KeywordsAfterChoice("  html", dialog.Result().toStdString(), dialog.AppendList()),
              "html, cat, dog");
}

TEST(KeywordSuggestionsDialogTest, CancelGivesNoChoice) {
    KeywordSuggestionsDialog dialog("dog cat");
    dialog.show();
    QTest::mouseClick(dialog.SelectAllButton(), Qt::LeftButton);
    dialog.AppendBox()->setChecked(true);
    ClickRow(dialog.List(), 0);
    QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(dialog.AppendList());
    EXPECT_EQ(dialog.Result(), "dog cat"); // the suggestions, unchanged
}

TEST(KeywordSuggestionsDialogTest, AnEmptySuggestionStillOpensWithAnEmptyList) {
    KeywordSuggestionsDialog dialog("");
    dialog.show();
    EXPECT_EQ(dialog.List()->count(), 0);
    QTest::mouseClick(dialog.SelectAllButton(), Qt::LeftButton);
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.Result(), "");
}

TEST(PageDescriptionDialogTest, ShowsTheSuggestionAndReturnsTheEditedText) {
    const QString suggested = Utf8("Ünïcode café. The start of the page.");
    PageDescriptionDialog dialog(suggested);
    EXPECT_EQ(dialog.windowTitle(), "Page description");
    const auto labels = dialog.findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels.front()->text(),
              "Edit suggested description text (taken from the start of the page)");
    EXPECT_EQ(dialog.Editor()->toPlainText(), suggested);
    EXPECT_TRUE(dialog.OkButton()->isDefault());

    dialog.show();
    dialog.Editor()->setFocus();
    dialog.Editor()->moveCursor(QTextCursor::End);
    QTest::keyClicks(dialog.Editor(), " More.");
    EXPECT_EQ(dialog.Text(), suggested); // not before OK
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Text(), suggested + " More.");
}

TEST(PageDescriptionDialogTest, CancelKeepsTheSuggestedText) {
    PageDescriptionDialog dialog("Start of the page.");
    dialog.show();
    dialog.Editor()->setPlainText("something else");
    QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(dialog.Text(), "Start of the page.");

    PageDescriptionDialog empty("");
    empty.show();
    QTest::mouseClick(empty.OkButton(), Qt::LeftButton);
    EXPECT_EQ(empty.result(), QDialog::Accepted);
    EXPECT_EQ(empty.Text(), "");
}

} // namespace
} // namespace orlen
