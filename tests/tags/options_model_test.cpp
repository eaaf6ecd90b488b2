// The Options sheet's pages without their controls.
#include "document/file_listing.h"
#include "tags/options_model.h"

#include <gtest/gtest.h>

namespace orlen {
namespace {

class OptionsTest : public ::testing::Test {
protected:
    MemorySettingsStore store;
    std::string fileTypes{kDefaultFileTypes};
    TagCatalogue catalogue{store, fileTypes};
};

TEST_F(OptionsTest, StandardModesChangeOnlyOnApply) {
    StandardTagsModel page(catalogue);
    EXPECT_EQ(page.Names().size(), static_cast<std::size_t>(StandardTagCount));
    EXPECT_EQ(page.Radios().checked, AlwaysDisplay);
    page.Select(4);
    EXPECT_EQ(page.Radios().checked, DisplayIfContent);
    page.SetMode(NeverDisplay);
    EXPECT_TRUE(page.modified);
    EXPECT_EQ(catalogue.at(4).displayMode, DisplayIfContent);
    page.Apply(catalogue);
    EXPECT_EQ(catalogue.at(4).displayMode, NeverDisplay);

    catalogue.at(5).displayMode = 9; // an unknown stored number: no radio
    StandardTagsModel again(catalogue);
    again.Select(5);
    EXPECT_FALSE(again.Radios().checked.has_value());
}

TEST_F(OptionsTest, PageOnlyTagsBecomeUserDefinedOnlyWhenShownAlwaysOrNever) {
    catalogue.addPageOnly("found", 0);
    catalogue.addPageOnly("other", 1);
    CustomTagsModel page(catalogue);
    ASSERT_EQ(page.count(), 2);
    EXPECT_EQ(page.selection, 0);
    page.SetMode(DisplayIfContent);
    EXPECT_EQ(page.at(0).origin, PageOnly);
    page.SetMode(AlwaysDisplay);
    EXPECT_EQ(page.at(0).origin, UserDefined);
    page.Select(1);
    page.SetMode(NeverDisplay);
    EXPECT_EQ(page.at(1).origin, UserDefined);
    page.Apply(catalogue);
    catalogue.saveSettings();
    EXPECT_EQ(store.GetSettingInt("User", "IBC", 0), 15);
    EXPECT_EQ(store.GetSettingInt("User", "UIB_1_H", 0), 1);
}

TEST_F(OptionsTest, AddEditAndRemoveUserDefinedTags) {
    CustomTagsModel page(catalogue);
    EXPECT_EQ(page.selection, -1);
    EXPECT_FALSE(page.Radios().enabled);
    EXPECT_FALSE(page.CanEdit());

    page.Add("first", 1, 0);
    page.Add("second", 0, 1);
    EXPECT_EQ(page.selection, 1);
    EXPECT_EQ(page.at(1).displayMode, AlwaysDisplay);
    EXPECT_EQ(page.at(1).origin, UserDefined);
    page.SetMode(NeverDisplay);
    page.Edit("Second", 1, 0);
    EXPECT_EQ(page.at(1).definition, (TagDefinition{"Second", 1, "", 1, 0, 0}));
    EXPECT_EQ(page.at(1).displayMode, NeverDisplay);

    page.Add("", 0, 0); // no check on the name
    page.Remove();      // removing the last selects the new last
    EXPECT_EQ(page.selection, 1);
    page.Select(0);
    page.Remove();
    EXPECT_EQ(page.selection, 0);
    EXPECT_EQ(page.Names(), std::vector<std::string>{"Second"});
    page.Remove();
    EXPECT_EQ(page.selection, -1);
    EXPECT_FALSE(page.CanRemove());
    EXPECT_FALSE(page.Radios().enabled);

    // Nothing reached the catalogue; Apply takes the working list.
    EXPECT_EQ(catalogue.count(), StandardTagCount);
    page.Add("kept", 0, 1);
    page.Apply(catalogue);
    ASSERT_EQ(catalogue.count(), StandardTagCount + 1);
    EXPECT_EQ(catalogue.at(StandardTagCount).definition.name, "kept");
}

TEST_F(OptionsTest, ApplyingWithoutChangesKeepsEverything) {
    catalogue.addPageOnly("p", 0);
    catalogue.at(StandardTagCount).value = "v";
    CustomTagsModel custom(catalogue);
    StandardTagsModel standard(catalogue);
    FileTypesModel types(fileTypes);
    custom.Apply(catalogue);
    standard.Apply(catalogue);
    types.Apply(fileTypes);
    ASSERT_EQ(catalogue.count(), StandardTagCount + 1);
    EXPECT_EQ(catalogue.at(StandardTagCount).origin, PageOnly);
    EXPECT_EQ(catalogue.at(StandardTagCount).value, "v");
    EXPECT_EQ(fileTypes, kDefaultFileTypes);
}

TEST_F(OptionsTest, FileTypesListAddReplaceAndRemove) {
    FileTypesModel types(fileTypes);
    EXPECT_EQ(types.Extensions(),
              (std::vector<std::string>{"asp", "aspx", "htm", "html", "mtpl", "php"}));
    EXPECT_FALSE(types.Buttons("html", false).add);
    EXPECT_FALSE(types.Buttons(" mtpl ", true).add); // the last entry counts too
    EXPECT_FALSE(types.Buttons("  ", true).add);
    EXPECT_TRUE(types.Buttons("HTML", false).add);
    EXPECT_FALSE(types.Buttons("HTML", false).replace);
    EXPECT_TRUE(types.Buttons("HTML", true).replace);
    EXPECT_TRUE(types.Buttons("", true).remove);

    types.Add(" txt ");
    EXPECT_EQ(types.Types(), std::string(kDefaultFileTypes) + ";*.txt;");
    types.Add("txt"); // refused now
    EXPECT_EQ(types.Types(), std::string(kDefaultFileTypes) + ";*.txt;");
    // A leading "." or "*." names the same extension.
    for (const char* same : {".txt", "*.txt", " .txt", "txt"}) {
        EXPECT_FALSE(types.Buttons(same, false).add) << same;
    }
    EXPECT_FALSE(types.Buttons(".", false).add);
    EXPECT_FALSE(types.Buttons("*.", false).add);
    types.Add(".shtml");
    EXPECT_EQ(types.Types(), std::string(kDefaultFileTypes) + ";*.txt;*.shtml;");
    EXPECT_TRUE(types.Contains("shtml"));

    FileTypesModel removing{std::string(kDefaultFileTypes)};
    removing.Remove(5); // php
    EXPECT_EQ(removing.Types(), "*.asp;*.aspx;*.htm;*.html;*.mtpl;");
    removing.Replace(0, "shtml"); // asp becomes shtml
    EXPECT_EQ(removing.Types(), "*.aspx;*.htm;*.html;*.mtpl;*.shtml;");
    EXPECT_TRUE(removing.modified);

    FileTypesModel empty{""};
    EXPECT_TRUE(empty.Extensions().empty());
    empty.Add("htm");
    EXPECT_EQ(empty.Types(), "*.htm;");
    empty.Remove(0);
    EXPECT_EQ(empty.Types(), "");
}

} // namespace
} // namespace orlen
