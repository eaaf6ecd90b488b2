// The Options sheet, offscreen: its three pages driven through their
// controls, and what reaches the catalogue and the file-type string on
// Apply, OK and Cancel.
#include "document/file_listing.h"
#include "shell/settings_store.h"
#include "tags/tag_catalogue.h"
#include "tags/ui/options_sheet.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace orlen {
namespace {

// What the sheet may change in one catalogue entry.
struct EntryState {
    TagDefinition definition;
    int displayMode;
    int origin;
    std::string value;
    bool operator==(const EntryState&) const = default;
};

std::vector<EntryState> Entries(const TagCatalogue& catalogue) {
    std::vector<EntryState> entries;
    for (int i = 0; i < catalogue.count(); ++i) {
        const TagRow& row = catalogue.at(i);
        entries.push_back({row.definition, row.displayMode, row.origin, row.value});
    }
    return entries;
}

QStringList Items(const QListWidget* list) {
    QStringList items;
    for (int row = 0; row < list->count(); ++row) {
        items.append(list->item(row)->text());
    }
    return items;
}

// The checked radio of a tag page as a display mode, or -1 for none.
template <typename Page> int CheckedMode(const Page* page) {
    for (int mode = AlwaysDisplay; mode <= NeverDisplay; ++mode) {
        if (page->ModeRadio(mode)->isChecked()) {
            return mode;
        }
    }
    return -1;
}

template <typename Page> bool RadiosEnabled(const Page* page) {
    return page->ModeRadio(0)->isEnabled() && page->ModeRadio(1)->isEnabled() &&
           page->ModeRadio(2)->isEnabled();
}

void Press(QPushButton* button) {
    ASSERT_TRUE(button->isVisible());
    ASSERT_TRUE(button->isEnabled());
    QTest::mouseClick(button, Qt::LeftButton);
}

// Clicks a list row as the user does.
void ClickRow(QListWidget* list, int row) {
    const QRect rect = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
}

class OptionsSheetTest : public ::testing::Test {
protected:
    // Opens the sheet as the view does; the sheet is shown without its
    // modal loop.
    COptionsSheet& Open() {
        sheet = std::make_unique<COptionsSheet>(catalogue, fileTypes);
        applied = std::make_unique<QSignalSpy>(sheet.get(), &COptionsSheet::Applied);
        sheet->show();
        return *sheet;
    }
    // Answers the next "Define Meta Tag" dialogs with these values and OK;
    // records what each dialog showed when it opened.
    void AnswerDefineDialog(const QString& name, bool httpEquiv, bool multiLine) {
        sheet->CustomPage()->runDefineDialog = [=, this](DefineMetaTagDialog& dialog) {
            shown.push_back({dialog.name(), dialog.httpEquiv(), dialog.multiLine()});
            dialog.NameEdit()->clear();
            QTest::keyClicks(dialog.NameEdit(), name);
            dialog.setHttpEquiv(httpEquiv ? 1 : 0);
            if (dialog.MultiLineBox()->isChecked() != multiLine) {
                dialog.MultiLineBox()->click();
            }
            dialog.OkButton()->click();
            return dialog.result();
        };
    }

    struct Shown {
        QString name;
        int httpEquiv;
        int multiLine;
    };

    MemorySettingsStore store;
    std::string fileTypes{kDefaultFileTypes};
    TagCatalogue catalogue{store, fileTypes};
    std::unique_ptr<COptionsSheet> sheet;
    std::unique_ptr<QSignalSpy> applied;
    std::vector<Shown> shown;
};

TEST_F(OptionsSheetTest, OpensOnTheStandardPageWithItsTexts) {
    COptionsSheet& s = Open();
    EXPECT_EQ(s.windowTitle(), "Options");
    ASSERT_EQ(s.Tabs()->count(), 3);
    EXPECT_EQ(s.Tabs()->tabText(0), "Standard meta tags");
    EXPECT_EQ(s.Tabs()->tabText(1), "User defined meta tags");
    EXPECT_EQ(s.Tabs()->tabText(2), "File types");
    EXPECT_EQ(s.Tabs()->currentWidget(), s.StandardPage());
    EXPECT_TRUE(s.OkButton()->isDefault());
    EXPECT_FALSE(s.ApplyButton()->isEnabled());
    EXPECT_TRUE(s.CancelButton()->isEnabled());

    // The first page is filled in catalogue order with the title selected.
    const QStringList names{"title",         "description", "keywords", "Author",        "owner",
                            "copyright",     "PICS-label",  "robots",   "Cache-Control", "Expires",
                            "Window-Target", "generator",   "Refresh"};
    EXPECT_EQ(Items(s.StandardPage()->List()).mid(0, 13), names);
    EXPECT_EQ(s.StandardPage()->List()->count(), StandardTagCount);
    EXPECT_EQ(s.StandardPage()->List()->currentRow(), 0);
    EXPECT_EQ(CheckedMode(s.StandardPage()), AlwaysDisplay);
    EXPECT_EQ(s.StandardPage()->ModeRadio(0)->text(), "Always display");
    EXPECT_EQ(s.StandardPage()->ModeRadio(1)->text(), "Display if content exists");
    EXPECT_EQ(s.StandardPage()->ModeRadio(2)->text(), "Never display");
    const auto labels = s.StandardPage()->findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels.front()->text(), "When displaying only main meta-data fields -");

    // The other pages take their data only when first shown.
    EXPECT_FALSE(s.CustomPage()->Activated());
    EXPECT_EQ(s.CustomPage()->List()->count(), 0);
    EXPECT_FALSE(s.FileTypesPage()->Activated());
    EXPECT_EQ(s.CustomPage()->AddButton()->text(), "Add ...");
    EXPECT_EQ(s.CustomPage()->EditButton()->text(), "Edit");
    EXPECT_EQ(s.CustomPage()->RemoveButton()->text(), "Remove");
    EXPECT_FALSE(s.CustomPage()->EditButton()->isEnabled());
    EXPECT_FALSE(s.CustomPage()->RemoveButton()->isEnabled());
}

TEST_F(OptionsSheetTest, OkWithoutChangesLeavesEverythingAsItWas) {
    store.WriteSettingInt("User", "IBC", 14);
    store.WriteSettingString("User", "UIB_0_N", "rating");
    store.WriteSettingInt("User", "UIB_0_H", 1);
    store.WriteSettingInt("User", "UIB_0_D", NeverDisplay);
    store.WriteSettingInt("User", "FIB_5_D", DisplayIfContent);
    store.WriteSettingString("User", "FileTypes", "*.htm;*.shtml");
    catalogue.loadSettings();
    catalogue.at(StandardTagCount).value = "general";
    catalogue.addPageOnly("found", 0);
    catalogue.at(StandardTagCount + 1).value = "on the page";
    const std::vector<EntryState> before = Entries(catalogue);

    COptionsSheet& s = Open();
    // Every page is visited, through its tab.
    for (int index : {1, 2, 0}) {
        const QRect tab = s.Tabs()->tabBar()->tabRect(index);
        QTest::mouseClick(s.Tabs()->tabBar(), Qt::LeftButton, {}, tab.center());
        EXPECT_EQ(s.Tabs()->currentIndex(), index);
    }
    EXPECT_TRUE(s.CustomPage()->Activated());
    EXPECT_EQ(Items(s.CustomPage()->List()), (QStringList{"rating", "found"}));
    EXPECT_EQ(Items(s.FileTypesPage()->List()), (QStringList{"htm", "shtml"}));
    EXPECT_FALSE(s.ApplyButton()->isEnabled());

    Press(s.OkButton());
    EXPECT_EQ(s.result(), QDialog::Accepted);
    EXPECT_FALSE(s.isVisible());
    EXPECT_EQ(applied->count(), 1);
    EXPECT_EQ(Entries(catalogue), before);
    EXPECT_EQ(fileTypes, "*.htm;*.shtml");
}

TEST_F(OptionsSheetTest, StandardModesReachTheCatalogueOnlyOnApply) {
    COptionsSheet& s = Open();
    CStdTagsPage* page = s.StandardPage();
    ClickRow(page->List(), 4); // owner
    EXPECT_EQ(page->List()->currentRow(), 4);
    EXPECT_EQ(CheckedMode(page), DisplayIfContent);
    page->ModeRadio(NeverDisplay)->click();
    EXPECT_EQ(CheckedMode(page), NeverDisplay);
    EXPECT_TRUE(s.ApplyButton()->isEnabled());
    EXPECT_EQ(catalogue.at(4).displayMode, DisplayIfContent);

    // The working mode follows the selection back and forth.
    ClickRow(page->List(), 0);
    EXPECT_EQ(CheckedMode(page), AlwaysDisplay);
    ClickRow(page->List(), 4);
    EXPECT_EQ(CheckedMode(page), NeverDisplay);

    Press(s.ApplyButton());
    EXPECT_EQ(catalogue.at(4).displayMode, NeverDisplay);
    EXPECT_EQ(applied->count(), 1);
    EXPECT_FALSE(s.ApplyButton()->isEnabled());
    EXPECT_TRUE(s.isVisible()); // Apply keeps the sheet open

    // A change after Apply is dropped by Cancel; what Apply wrote stays.
    ClickRow(page->List(), 3); // Author
    page->ModeRadio(DisplayIfContent)->click();
    EXPECT_TRUE(s.ApplyButton()->isEnabled());
    Press(s.CancelButton());
    EXPECT_EQ(s.result(), QDialog::Rejected);
    EXPECT_EQ(catalogue.at(3).displayMode, AlwaysDisplay);
    EXPECT_EQ(catalogue.at(4).displayMode, NeverDisplay);
    EXPECT_EQ(applied->count(), 1);
}

TEST_F(OptionsSheetTest, OkWritesStandardModesAndAnUnknownModeChecksNoRadio) {
    catalogue.at(7).displayMode = 9; // a damaged stored number
    COptionsSheet& s = Open();
    CStdTagsPage* page = s.StandardPage();
    ClickRow(page->List(), 7);
    EXPECT_EQ(CheckedMode(page), -1);
    EXPECT_TRUE(RadiosEnabled(page));
    ClickRow(page->List(), 11); // generator
    page->ModeRadio(AlwaysDisplay)->click();
    Press(s.OkButton());
    EXPECT_EQ(catalogue.at(11).displayMode, AlwaysDisplay);
    EXPECT_EQ(catalogue.at(7).displayMode, 9);
    EXPECT_EQ(applied->count(), 1);
}

// --- User defined meta tags --------------------------------------------------

TEST_F(OptionsSheetTest, PageOnlyTagShownIfContentExistsStaysPageOnly) {
    catalogue.addPageOnly("found", 1);
    COptionsSheet& s = Open();
    s.ShowPage(1);
    CCustomTagsPage* page = s.CustomPage();
    ASSERT_EQ(Items(page->List()), QStringList{"found"});
    EXPECT_EQ(page->List()->currentRow(), 0);
    EXPECT_EQ(CheckedMode(page), DisplayIfContent);
    EXPECT_TRUE(page->EditButton()->isEnabled());

    page->ModeRadio(DisplayIfContent)->click();
    EXPECT_TRUE(s.ApplyButton()->isEnabled());
    Press(s.OkButton());
    ASSERT_EQ(catalogue.count(), StandardTagCount + 1);
    EXPECT_EQ(catalogue.at(StandardTagCount).origin, PageOnly);
    catalogue.saveSettings();
    EXPECT_EQ(store.GetSettingInt("User", "IBC", 0), 13);
    EXPECT_FALSE(store.Has("User", "UIB_0_N"));
}

TEST_F(OptionsSheetTest, PageOnlyTagShownAlwaysBecomesUserDefinedAndIsSaved) {
    catalogue.addPageOnly("found", 1);
    COptionsSheet& s = Open();
    s.ShowPage(1);
    s.CustomPage()->ModeRadio(AlwaysDisplay)->click();
    EXPECT_EQ(CheckedMode(s.CustomPage()), AlwaysDisplay);
    EXPECT_EQ(catalogue.at(StandardTagCount).origin, PageOnly); // not before OK
    Press(s.OkButton());
    ASSERT_EQ(catalogue.count(), StandardTagCount + 1);
    EXPECT_EQ(catalogue.at(StandardTagCount).origin, UserDefined);
    EXPECT_EQ(catalogue.at(StandardTagCount).displayMode, AlwaysDisplay);
    catalogue.saveSettings();
    EXPECT_EQ(store.GetSettingInt("User", "IBC", 0), 14);
    EXPECT_EQ(store.GetSettingString("User", "UIB_0_N", ""), "found");
    EXPECT_EQ(store.GetSettingInt("User", "UIB_0_H", 0), 1);
    EXPECT_EQ(store.GetSettingInt("User", "UIB_0_D", -1), AlwaysDisplay);
}

TEST_F(OptionsSheetTest, AddAppendsAndSelectsTheNewTag) {
    catalogue.addPageOnly("found", 0);
    COptionsSheet& s = Open();
    s.ShowPage(1);
    CCustomTagsPage* page = s.CustomPage();

    // Cancel in the dialog adds nothing.
    page->runDefineDialog = [](DefineMetaTagDialog& dialog) {
        dialog.CancelButton()->click();
        return dialog.result();
    };
    Press(page->AddButton());
    EXPECT_EQ(page->List()->count(), 1);
    EXPECT_FALSE(s.ApplyButton()->isEnabled());

    AnswerDefineDialog("Rating", true, true);
    Press(page->AddButton());
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].name, ""); // the dialog opens empty
    EXPECT_EQ(shown[0].httpEquiv, 0);
    EXPECT_EQ(shown[0].multiLine, 0);
    EXPECT_EQ(Items(page->List()), (QStringList{"found", "Rating"}));
    EXPECT_EQ(page->List()->currentRow(), 1);
    EXPECT_TRUE(page->List()->item(1)->isSelected());
    EXPECT_EQ(CheckedMode(page), AlwaysDisplay);
    EXPECT_TRUE(page->EditButton()->isEnabled());
    EXPECT_TRUE(page->RemoveButton()->isEnabled());
    EXPECT_TRUE(s.ApplyButton()->isEnabled());
    EXPECT_EQ(catalogue.count(), StandardTagCount + 1);

    // The name is taken as typed, even when empty or a duplicate.
    AnswerDefineDialog("", false, false);
    Press(page->AddButton());
    EXPECT_EQ(Items(page->List()), (QStringList{"found", "Rating", ""}));

    Press(s.ApplyButton());
    ASSERT_EQ(catalogue.count(), StandardTagCount + 3);
    EXPECT_EQ(catalogue.at(StandardTagCount).origin, PageOnly);
    EXPECT_EQ(catalogue.at(StandardTagCount + 1).definition,
              (TagDefinition{"Rating", 1, "", 1, 1, 0}));
    EXPECT_EQ(catalogue.at(StandardTagCount + 1).origin, UserDefined);
    EXPECT_EQ(catalogue.at(StandardTagCount + 1).displayMode, AlwaysDisplay);
    EXPECT_EQ(catalogue.at(StandardTagCount + 2).definition.name, "");
}

TEST_F(OptionsSheetTest, EditKeepsModeAndOrigin) {
    catalogue.addPageOnly("first", 0);
    catalogue.addPageOnly("X-Found", 1);
    catalogue.at(StandardTagCount + 1).value = "kept value";
    COptionsSheet& s = Open();
    s.ShowPage(1);
    CCustomTagsPage* page = s.CustomPage();
    ClickRow(page->List(), 1);

    AnswerDefineDialog("X-Renamed", false, true);
    Press(page->EditButton());
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].name, "X-Found"); // filled from the selected tag
    EXPECT_EQ(shown[0].httpEquiv, 1);
    EXPECT_EQ(shown[0].multiLine, 0);
    EXPECT_EQ(Items(page->List()), (QStringList{"first", "X-Renamed"}));
    EXPECT_EQ(page->List()->currentRow(), 1);
    EXPECT_EQ(CheckedMode(page), DisplayIfContent);

    // Cancel in the dialog changes nothing.
    page->runDefineDialog = [](DefineMetaTagDialog& dialog) {
        dialog.setName("ignored");
        dialog.CancelButton()->click();
        return dialog.result();
    };
    Press(page->EditButton());
    EXPECT_EQ(page->List()->item(1)->text(), "X-Renamed");

    Press(s.OkButton());
    ASSERT_EQ(catalogue.count(), StandardTagCount + 2);
    EXPECT_EQ(catalogue.at(StandardTagCount + 1).definition,
              (TagDefinition{"X-Renamed", 0, "", 1, 1, 0}));
    EXPECT_EQ(catalogue.at(StandardTagCount + 1).origin, PageOnly);
    EXPECT_EQ(catalogue.at(StandardTagCount + 1).displayMode, DisplayIfContent);
    EXPECT_EQ(catalogue.at(StandardTagCount + 1).value, "kept value");
}

TEST_F(OptionsSheetTest, EditingAPropertyOrLinkTagKeepsItsKind) {
    catalogue.addPageOnly("og:audio", kMetaProperty);
    catalogue.addPageOnly("alternate:fr", kLinkItem);
    COptionsSheet& s = Open();
    s.ShowPage(1);
    CCustomTagsPage* page = s.CustomPage();
    // The property box shows the kind and excludes http-equiv; a link's
    // kind, which no box shows, comes back as it was.
    std::vector<int> kinds;
    page->runDefineDialog = [&kinds](DefineMetaTagDialog& dialog) {
        kinds.push_back(dialog.httpEquiv());
        if (dialog.PropertyBox()->isChecked()) {
            dialog.HttpEquivBox()->click();
            EXPECT_FALSE(dialog.PropertyBox()->isChecked());
            dialog.PropertyBox()->click();
            EXPECT_FALSE(dialog.HttpEquivBox()->isChecked());
        } else {
            EXPECT_FALSE(dialog.HttpEquivBox()->isEnabled());
        }
        dialog.MultiLineBox()->click();
        dialog.OkButton()->click();
        return dialog.result();
    };
    for (int row = 0; row < 2; ++row) {
        ClickRow(page->List(), row);
        Press(page->EditButton());
    }
    EXPECT_EQ(kinds, (std::vector<int>{kMetaProperty, kLinkItem}));
    Press(s.OkButton());
    EXPECT_EQ(catalogue.at(StandardTagCount).definition.httpEquiv, kMetaProperty);
    EXPECT_EQ(catalogue.at(StandardTagCount).definition.multiLine, 1);
    EXPECT_EQ(catalogue.at(StandardTagCount + 1).definition.httpEquiv, kLinkItem);
}

TEST_F(OptionsSheetTest, RemovingMovesTheSelectionAndTheLastRemovalDisablesControls) {
    catalogue.addPageOnly("one", 0);
    catalogue.addPageOnly("two", 0);
    catalogue.addPageOnly("three", 0);
    COptionsSheet& s = Open();
    s.ShowPage(1);
    CCustomTagsPage* page = s.CustomPage();

    ClickRow(page->List(), 2);
    Press(page->RemoveButton());
    EXPECT_EQ(Items(page->List()), (QStringList{"one", "two"}));
    EXPECT_EQ(page->List()->currentRow(), 1); // the new last item
    EXPECT_TRUE(page->List()->item(1)->isSelected());

    ClickRow(page->List(), 0);
    Press(page->RemoveButton());
    EXPECT_EQ(Items(page->List()), QStringList{"two"});
    EXPECT_EQ(page->List()->currentRow(), 0);
    EXPECT_TRUE(RadiosEnabled(page));

    Press(page->RemoveButton());
    EXPECT_EQ(page->List()->count(), 0);
    EXPECT_EQ(page->List()->currentRow(), -1);
    EXPECT_FALSE(page->EditButton()->isEnabled());
    EXPECT_FALSE(page->RemoveButton()->isEnabled());
    EXPECT_FALSE(page->ModeRadio(0)->isEnabled());
    EXPECT_FALSE(page->ModeRadio(1)->isEnabled());
    EXPECT_FALSE(page->ModeRadio(2)->isEnabled());
    EXPECT_EQ(CheckedMode(page), -1);
    EXPECT_TRUE(page->AddButton()->isEnabled());

    EXPECT_EQ(catalogue.count(), StandardTagCount + 3); // nothing applied yet
    Press(s.OkButton());
    EXPECT_EQ(catalogue.count(), StandardTagCount);
}

TEST_F(OptionsSheetTest, AnAddedTagSurvivesSwitchingPagesAndIsAppliedOnOk) {
    COptionsSheet& s = Open();
    s.ShowPage(1);
    CCustomTagsPage* page = s.CustomPage();
    EXPECT_EQ(page->List()->count(), 0);
    EXPECT_FALSE(RadiosEnabled(page));
    AnswerDefineDialog("Language", false, false);
    Press(page->AddButton());

    s.ShowPage(2);
    s.ShowPage(1);
    EXPECT_EQ(Items(page->List()), QStringList{"Language"});
    EXPECT_EQ(page->List()->currentRow(), 0);
    EXPECT_TRUE(s.ApplyButton()->isEnabled());

    Press(s.OkButton());
    ASSERT_EQ(catalogue.count(), StandardTagCount + 1);
    EXPECT_EQ(catalogue.at(StandardTagCount).definition.name, "Language");
    EXPECT_EQ(catalogue.at(StandardTagCount).origin, UserDefined);
    catalogue.saveSettings();
    EXPECT_EQ(store.GetSettingString("User", "UIB_0_N", ""), "Language");
}

TEST_F(OptionsSheetTest, CancelDiscardsTagChanges) {
    catalogue.addPageOnly("found", 0);
    const std::vector<EntryState> before = Entries(catalogue);
    COptionsSheet& s = Open();
    s.ShowPage(1);
    AnswerDefineDialog("extra", false, false);
    Press(s.CustomPage()->AddButton());
    s.CustomPage()->ModeRadio(NeverDisplay)->click();
    Press(s.CancelButton());
    EXPECT_EQ(Entries(catalogue), before);
    EXPECT_EQ(applied->count(), 0);
}

// --- The user-defined tag dialog ---------------------------------------------

TEST(DefineMetaTagDialogTest, TextsSettersAndControls) {
    DefineMetaTagDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), "Define Meta Tag");
    EXPECT_EQ(dialog.HttpEquivBox()->text(), "Is an http-equiv tag");
    EXPECT_EQ(dialog.MultiLineBox()->text(), "Multi-line edit box");
    const auto labels = dialog.findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels.front()->text(), "Name");
    EXPECT_EQ(dialog.name(), "");
    EXPECT_EQ(dialog.httpEquiv(), 0);
    EXPECT_EQ(dialog.multiLine(), 0);
    EXPECT_TRUE(dialog.OkButton()->isDefault());

    dialog.setName(QString::fromUtf8("Übersicht"));
    dialog.setHttpEquiv(1);
    dialog.setMultiLine(1);
    EXPECT_EQ(dialog.NameEdit()->text(), QString::fromUtf8("Übersicht"));
    EXPECT_TRUE(dialog.HttpEquivBox()->isChecked());
    EXPECT_TRUE(dialog.MultiLineBox()->isChecked());
    dialog.show();
    QTest::mouseClick(dialog.HttpEquivBox(), Qt::LeftButton, {}, QPoint(4, 4));
    EXPECT_EQ(dialog.httpEquiv(), 0);
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.name(), QString::fromUtf8("Übersicht"));
    EXPECT_EQ(dialog.multiLine(), 1);
}

// --- File types --------------------------------------------------------------

TEST_F(OptionsSheetTest, FileTypesAddToTheDefaultList) {
    COptionsSheet& s = Open();
    s.ShowPage(2);
    CFileTypesPage* page = s.FileTypesPage();
    const auto labels = page->findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels.front()->text(), "Extension");
    EXPECT_EQ(Items(page->List()), (QStringList{"asp", "aspx", "htm", "html", "mtpl", "php"}));
    EXPECT_FALSE(page->AddButton()->isEnabled());
    EXPECT_FALSE(page->ReplaceButton()->isEnabled());
    EXPECT_FALSE(page->RemoveButton()->isEnabled());

    // Extensions already listed are refused, the last one too; case counts.
    QTest::keyClicks(page->ExtensionEdit(), "html");
    EXPECT_FALSE(page->AddButton()->isEnabled());
    page->ExtensionEdit()->setText("mtpl");
    EXPECT_FALSE(page->AddButton()->isEnabled());
    page->ExtensionEdit()->setText("   ");
    EXPECT_FALSE(page->AddButton()->isEnabled());
    page->ExtensionEdit()->setText("HTML");
    EXPECT_TRUE(page->AddButton()->isEnabled());
    EXPECT_FALSE(page->ReplaceButton()->isEnabled()); // nothing selected

    page->ExtensionEdit()->clear();
    QTest::keyClicks(page->ExtensionEdit(), " txt ");
    EXPECT_TRUE(page->AddButton()->isEnabled());
    Press(page->AddButton());
    EXPECT_EQ(page->WorkingTypes(), std::string(kDefaultFileTypes) + ";*.txt;");
    EXPECT_EQ(Items(page->List()),
              (QStringList{"asp", "aspx", "htm", "html", "mtpl", "php", "txt"}));
    EXPECT_FALSE(page->AddButton()->isEnabled()); // now listed
    EXPECT_TRUE(s.ApplyButton()->isEnabled());
    EXPECT_EQ(fileTypes, kDefaultFileTypes); // not before OK

    page->ExtensionEdit()->setText("HTML");
    Press(page->AddButton());
    EXPECT_EQ(page->WorkingTypes(), std::string(kDefaultFileTypes) + ";*.txt;*.HTML;");

    Press(s.OkButton());
    EXPECT_EQ(fileTypes, std::string(kDefaultFileTypes) + ";*.txt;*.HTML;");
    EXPECT_EQ(applied->count(), 1);
}

TEST_F(OptionsSheetTest, FileTypesRemoveRebuildsTheSortedStringAndReplace) {
    COptionsSheet& s = Open();
    s.ShowPage(2);
    CFileTypesPage* page = s.FileTypesPage();
    ClickRow(page->List(), 5); // php
    EXPECT_TRUE(page->RemoveButton()->isEnabled());
    EXPECT_FALSE(page->ReplaceButton()->isEnabled()); // the edit box is empty
    Press(page->RemoveButton());
    EXPECT_EQ(page->WorkingTypes(), "*.asp;*.aspx;*.htm;*.html;*.mtpl;");
    EXPECT_EQ(Items(page->List()), (QStringList{"asp", "aspx", "htm", "html", "mtpl"}));
    EXPECT_FALSE(page->RemoveButton()->isEnabled()); // no selection left

    // Replace: the selected extension goes, the typed one comes.
    ClickRow(page->List(), 0); // asp
    QTest::keyClicks(page->ExtensionEdit(), "shtml");
    EXPECT_TRUE(page->ReplaceButton()->isEnabled());
    Press(page->ReplaceButton());
    EXPECT_EQ(page->WorkingTypes(), "*.aspx;*.htm;*.html;*.mtpl;*.shtml;");
    EXPECT_EQ(Items(page->List()), (QStringList{"aspx", "htm", "html", "mtpl", "shtml"}));

    Press(s.ApplyButton());
    EXPECT_EQ(fileTypes, "*.aspx;*.htm;*.html;*.mtpl;*.shtml;");
    Press(s.CancelButton()); // what Apply wrote stays
    EXPECT_EQ(fileTypes, "*.aspx;*.htm;*.html;*.mtpl;*.shtml;");
}

TEST_F(OptionsSheetTest, FileTypesCopyIsTakenWhenTheSheetIsMadeAndCancelDropsChanges) {
    COptionsSheet& s = Open();
    fileTypes = "*.changed"; // after the sheet was made: not seen by the page
    s.ShowPage(2);
    EXPECT_EQ(s.FileTypesPage()->List()->count(), 6);
    s.FileTypesPage()->ExtensionEdit()->setText("txt");
    Press(s.FileTypesPage()->AddButton());
    Press(s.CancelButton());
    EXPECT_EQ(fileTypes, "*.changed");
    EXPECT_EQ(applied->count(), 0);
}

TEST_F(OptionsSheetTest, PagesNeverShownDoNotApply) {
    catalogue.addPageOnly("found", 0);
    COptionsSheet& s = Open();
    fileTypes = "*.htm"; // the view's string, changed meanwhile
    catalogue.at(StandardTagCount).value = "typed meanwhile";
    Press(s.OkButton());
    // Only the standard page was shown: the tag list and the file types
    // were not rewritten from stale copies.
    EXPECT_EQ(fileTypes, "*.htm");
    ASSERT_EQ(catalogue.count(), StandardTagCount + 1);
    EXPECT_EQ(catalogue.at(StandardTagCount).value, "typed meanwhile");
}

TEST_F(OptionsSheetTest, ApplyIsEnabledOnlyAfterAChangeOnAnyPage) {
    COptionsSheet& s = Open();
    EXPECT_FALSE(s.ApplyButton()->isEnabled());
    // Selecting and switching pages is no change.
    ClickRow(s.StandardPage()->List(), 2);
    s.ShowPage(1);
    s.ShowPage(2);
    ClickRow(s.FileTypesPage()->List(), 1);
    s.FileTypesPage()->ExtensionEdit()->setText("xhtml");
    EXPECT_FALSE(s.ApplyButton()->isEnabled());

    Press(s.FileTypesPage()->AddButton());
    EXPECT_TRUE(s.ApplyButton()->isEnabled());
    Press(s.ApplyButton());
    EXPECT_FALSE(s.ApplyButton()->isEnabled());
    EXPECT_EQ(applied->count(), 1);
    EXPECT_EQ(fileTypes, std::string(kDefaultFileTypes) + ";*.xhtml;");

    s.ShowPage(1);
    AnswerDefineDialog("Language", false, false);
    Press(s.CustomPage()->AddButton());
    EXPECT_TRUE(s.ApplyButton()->isEnabled());
    Press(s.ApplyButton());
    EXPECT_EQ(applied->count(), 2);
    EXPECT_EQ(catalogue.count(), StandardTagCount + 1);

    // OK applies again and closes.
    Press(s.OkButton());
    EXPECT_EQ(applied->count(), 3);
    EXPECT_EQ(catalogue.count(), StandardTagCount + 1);
    EXPECT_EQ(fileTypes, std::string(kDefaultFileTypes) + ";*.xhtml;");
}

} // namespace
} // namespace orlen
