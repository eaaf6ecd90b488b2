// The in-memory settings store: defaults, names without case, typed values.
#include "shell/settings_store.h"

#include <gtest/gtest.h>

namespace orlen {
namespace {

TEST(SettingsStore, DefaultsNamesWithoutCaseAndTypes) {
    MemorySettingsStore store;
    EXPECT_EQ(store.GetSettingInt("User", "IBC", 13), 13);
    EXPECT_EQ(store.GetSettingString("User", "FileTypes", "*.htm"), "*.htm");
    EXPECT_EQ(store.Size(), 0u); // reading creates nothing

    store.WriteSettingInt("User", "IBC", 15);
    store.WriteSettingString("MenuXP", "Name", "x");
    EXPECT_EQ(store.GetSettingInt("USER", "ibc", 0), 15);
    EXPECT_EQ(store.GetSettingString("menuxp", "NAME", ""), "x");
    // The other type reads as the default.
    EXPECT_EQ(store.GetSettingString("User", "IBC", "d"), "d");
    EXPECT_EQ(store.GetSettingInt("MenuXP", "Name", 7), 7);
    // Sections keep their entries apart.
    EXPECT_EQ(store.GetSettingInt("Other", "IBC", -1), -1);
    store.WriteSettingString("user", "ibc", "now a string");
    EXPECT_EQ(store.GetSettingString("User", "IBC", ""), "now a string");
    EXPECT_EQ(store.Size(), 2u);
}

} // namespace
} // namespace orlen
