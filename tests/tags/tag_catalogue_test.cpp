// The tag catalogue: standard entries, settings, lookups and display rules.
#include "document/file_listing.h"
#include "tags/tag_catalogue.h"

#include <gtest/gtest.h>

namespace orlen {
namespace {

class CatalogueTest : public ::testing::Test {
protected:
    MemorySettingsStore store;
    std::string fileTypes;
};

TEST_F(CatalogueTest, FirstStartHasTheStandardTagsAndDefaults) {
    TagCatalogue catalogue(store, fileTypes);
    catalogue.loadSettings();
    EXPECT_EQ(store.Size(), 0u); // reading creates nothing
    ASSERT_EQ(catalogue.count(), StandardTagCount);
    EXPECT_EQ(fileTypes, kDefaultFileTypes);

    const char* names[] = {"title",         "description", "keywords", "Author",        "owner",
                           "copyright",     "PICS-label",  "robots",   "Cache-Control", "Expires",
                           "Window-Target", "generator",   "Refresh"};
    const int modes[] = {0, 0, 0, 0, 1, 0, 1, 0, 1, 1, 1, 1, 1};
    for (int i = 0; i < 13; ++i) {
        EXPECT_EQ(catalogue.at(i).definition.name, names[i]);
        EXPECT_EQ(catalogue.at(i).displayMode, modes[i]) << names[i];
        EXPECT_EQ(catalogue.at(i).origin, Standard);
    }
    const TagDefinition cache = catalogue.at(8).definition;
    EXPECT_EQ(cache, (TagDefinition{"Cache-Control", 1, "Edit", 0, 0, 0}));
    // The robots row is typed into as well as edited in its dialog.
    EXPECT_EQ(catalogue.at(7).definition, (TagDefinition{"robots", 0, "Edit", 1, 0, 0}));
    EXPECT_EQ(catalogue.at(10).definition.frameTargetChoice, 1);
    EXPECT_EQ(catalogue.at(1).definition.buttonCaption, "Suggest");
    EXPECT_EQ(catalogue.at(6).definition.multiLine, 1);
    EXPECT_EQ(TagCatalogue::editorOf(9), TagEditor::ExpiresEditor);
    EXPECT_EQ(TagCatalogue::editorOf(2), TagEditor::KeywordSuggestion);
    EXPECT_EQ(TagCatalogue::editorOf(3), TagEditor::None);
    EXPECT_EQ(TagCatalogue::editorOf(20), TagEditor::None);
    EXPECT_EQ(TagCatalogue::statusText(8), "Instructions for controlling caching");
    EXPECT_EQ(TagCatalogue::statusText(StandardTagCount), "For Help, press F1");

    // The rows of today's web follow, each kind matched apart, shown only
    // when a page has them.
    const int ogTitle = catalogue.findByName("og:title", kMetaProperty);
    EXPECT_EQ(ogTitle, 13);
    EXPECT_EQ(catalogue.findByName("og:title"), -1); // a name tag of that name is another
    EXPECT_EQ(TagCatalogue::groupOf(ogTitle), "Social");
    const int card = catalogue.findByName("TWITTER:CARD");
    EXPECT_EQ(catalogue.at(card).definition.httpEquiv, kMetaName);
    EXPECT_EQ(TagCatalogue::groupOf(card), "Social");
    const int canonical = catalogue.findByName("canonical", kLinkItem);
    const int lang = catalogue.findByName("lang", kHtmlLang);
    EXPECT_EQ(TagCatalogue::groupOf(canonical), "Links");
    EXPECT_EQ(TagCatalogue::groupOf(lang), "Links");
    EXPECT_EQ(catalogue.findByName("lang"), -1);
    for (int i = 13; i < StandardTagCount; ++i) {
        EXPECT_EQ(catalogue.at(i).displayMode, DisplayIfContent) << i;
    }
    EXPECT_EQ(TagCatalogue::groupOf(3), "");
}

TEST_F(CatalogueTest, UserDefinedTagsComeFromTheSettings) {
    store.WriteSettingInt("USER", "ibc", 16);
    store.WriteSettingString("User", "UIB_0_N", "rating");
    store.WriteSettingInt("User", "UIB_0_H", 1);
    store.WriteSettingInt("User", "UIB_0_L", 1);
    store.WriteSettingInt("User", "UIB_0_D", 2);
    store.WriteSettingString("User", "UIB_1_N", "Language");
    store.WriteSettingInt("User", "FIB_4_D", 0);
    store.WriteSettingString("User", "FileTypes", "*.htm");
    TagCatalogue catalogue(store, fileTypes);
    catalogue.loadSettings();
    // "IBC" 16 stored three user-defined tags on top of thirteen standard
    // ones; the standard rows added since do not change that.
    const int first = StandardTagCount;
    ASSERT_EQ(catalogue.count(), first + 3);
    EXPECT_EQ(catalogue.at(first).definition, (TagDefinition{"rating", 1, "", 1, 1, 0}));
    EXPECT_EQ(catalogue.at(first).displayMode, NeverDisplay);
    EXPECT_EQ(catalogue.at(first).origin, UserDefined);
    EXPECT_EQ(catalogue.at(first + 1).definition.name, "Language");
    EXPECT_EQ(catalogue.at(first + 1).displayMode, DisplayIfContent);
    EXPECT_EQ(catalogue.at(first + 2).definition.name, "ErrorUIB_2_"); // missing name
    EXPECT_EQ(catalogue.at(4).displayMode, AlwaysDisplay);
    EXPECT_EQ(fileTypes, "*.htm");
}

TEST_F(CatalogueTest, DamagedCountsAreBounded) {
    store.WriteSettingInt("User", "IBC", 2000000000);
    TagCatalogue big(store, fileTypes);
    big.loadSettings();
    EXPECT_EQ(big.count(), StandardTagCount + TagCatalogue::kMaxUserDefinedTags);

    store.WriteSettingInt("User", "IBC", -5);
    TagCatalogue negative(store, fileTypes);
    negative.loadSettings();
    EXPECT_EQ(negative.count(), StandardTagCount);
}

TEST_F(CatalogueTest, SavingWritesUserDefinedTagsAndSkipsPageOnlyOnes) {
    TagCatalogue catalogue(store, fileTypes);
    catalogue.loadSettings();
    auto user = [](const char* name, int multiLine) {
        auto row = std::make_unique<TagRow>();
        row->definition.name = name;
        row->definition.multiLine = multiLine;
        row->origin = UserDefined;
        row->displayMode = AlwaysDisplay;
        return row;
    };
    catalogue.add(user("one", 1));
    catalogue.addPageOnly("page-tag", 1);
    catalogue.add(user("two", 0));
    catalogue.at(0).displayMode = NeverDisplay;
    fileTypes = "*.html;";
    catalogue.saveSettings();

    EXPECT_EQ(store.GetSettingInt("User", "IBC", 0), 15);
    EXPECT_EQ(store.GetSettingString("User", "UIB_0_N", ""), "one");
    EXPECT_EQ(store.GetSettingInt("User", "UIB_0_L", 9), 1);
    EXPECT_EQ(store.GetSettingString("User", "UIB_1_N", ""), "two");
    EXPECT_FALSE(store.Has("User", "UIB_2_N"));
    EXPECT_EQ(store.GetSettingInt("User", "FIB_0_D", 9), NeverDisplay);
    EXPECT_EQ(store.GetSettingString("User", "FileTypes", ""), "*.html;");

    // What was saved loads back the same.
    std::string otherTypes;
    TagCatalogue again(store, otherTypes);
    again.loadSettings();
    ASSERT_EQ(again.count(), StandardTagCount + 2);
    EXPECT_EQ(again.at(StandardTagCount).definition, catalogue.at(StandardTagCount).definition);
    EXPECT_EQ(again.at(StandardTagCount + 1).definition,
              catalogue.at(StandardTagCount + 2).definition);
    EXPECT_EQ(again.at(0).displayMode, NeverDisplay);
    EXPECT_EQ(otherTypes, "*.html;");
}

TEST_F(CatalogueTest, LookupSkipsTheTitleAndIgnoresCase) {
    TagCatalogue catalogue(store, fileTypes);
    EXPECT_EQ(catalogue.findByName("TITLE"), -1);
    EXPECT_EQ(catalogue.findByName("title"), -1);
    EXPECT_EQ(catalogue.findByName("author"), 3);
    EXPECT_EQ(catalogue.findByName("keywords"), 2);
    EXPECT_EQ(catalogue.findByName("keywords"), 2);
    EXPECT_EQ(catalogue.findByName("REFRESH"), 12);
    EXPECT_EQ(catalogue.findByName("none"), -1);

    const int added = catalogue.addPageOnly("X-Custom", 1);
    EXPECT_EQ(added, StandardTagCount);
    EXPECT_EQ(catalogue.findByName("x-custom"), StandardTagCount);
    catalogue.addPageOnly("another", 0);
    catalogue.removePageOnly();
    EXPECT_EQ(catalogue.count(), StandardTagCount);

    catalogue.addPageOnly("a", 0);
    catalogue.addPageOnly("b", 0);
    catalogue.addPageOnly("c", 0);
    EXPECT_EQ(catalogue.findByName("C"), StandardTagCount + 2);
    catalogue.removeAt(StandardTagCount + 1);
    ASSERT_EQ(catalogue.count(), StandardTagCount + 2);
    EXPECT_EQ(catalogue.at(StandardTagCount + 1).definition.name, "c");
    // Lookups follow the entries that moved up, and forget the removed one.
    EXPECT_EQ(catalogue.findByName("c"), StandardTagCount + 1);
    EXPECT_EQ(catalogue.findByName("b"), -1);
    EXPECT_EQ(catalogue.findByName("a"), StandardTagCount);

    // The first of two entries with the same name wins, also after a removal.
    catalogue.addPageOnly("A", 1);
    EXPECT_EQ(catalogue.findByName("a"), StandardTagCount);
    catalogue.removeAt(StandardTagCount);
    EXPECT_EQ(catalogue.findByName("a"), StandardTagCount + 1);
    catalogue.removeAt(99); // out of range: nothing
    EXPECT_EQ(catalogue.count(), StandardTagCount + 2);
}

TEST_F(CatalogueTest, DisplayRuleAndOfferedActions) {
    TagRow row;
    EXPECT_EQ(row.definition.name, "Unknown");
    EXPECT_EQ(row.displayMode, DisplayIfContent);
    EXPECT_FALSE(TagCatalogue::isShown(row, false));
    EXPECT_TRUE(TagCatalogue::isShown(row, true));
    row.value = "x";
    EXPECT_TRUE(TagCatalogue::isShown(row, false));
    row.displayMode = NeverDisplay;
    EXPECT_FALSE(TagCatalogue::isShown(row, false));
    EXPECT_TRUE(TagCatalogue::isShown(row, true));
    row.displayMode = 7;
    row.value.clear();
    EXPECT_TRUE(TagCatalogue::isShown(row, false));

    // The value comes from the controls when the row has them.
    struct Box : RowValueSource {
        std::string RowText() const override { return "typed"; }
    } box;
    row.displayMode = DisplayIfContent;
    row.controls = &box;
    EXPECT_TRUE(TagCatalogue::isShown(row, false));
    TagRow copy(row);
    EXPECT_EQ(copy.value, "typed");
    EXPECT_EQ(copy.controls, nullptr);

    TagCatalogue catalogue(store, fileTypes);
    auto actionsOf = [](const TagRow& r) {
        std::vector<int> numbers;
        for (const OfferedAction& a : TagCatalogue::offeredActions(r)) {
            numbers.push_back(a.action);
        }
        return numbers;
    };
    const std::vector<int> all = {2, 1, 3, 4, 7, 6, 5};
    const std::vector<int> plain = {2, 1, 3, 4, 5};
    for (int i = 0; i < StandardTagCount; ++i) {
        const std::string& name = catalogue.at(i).definition.name;
        const bool both = i == 0 || i == 1 || i == 2 || i == 6 || name == "og:description" ||
                          name == "twitter:description";
        EXPECT_EQ(actionsOf(catalogue.at(i)), both ? all : plain) << i;
    }
    TagRow titleCased;
    titleCased.definition.name = "Title";
    EXPECT_EQ(actionsOf(titleCased), plain);
    EXPECT_EQ(TagCatalogue::offeredActions(catalogue.at(0))[2].text,
              "Set this value if tag doesn't exist");
}

} // namespace
} // namespace orlen
