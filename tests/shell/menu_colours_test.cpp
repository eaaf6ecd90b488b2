#include "shell/menu_colours.h"

#include "shell/settings_store.h"

#include <gtest/gtest.h>

namespace orlen {
namespace {

// The classic button face (236, 233, 216) and highlight (49, 106, 197).
constexpr Colour kFace = MakeColour(236, 233, 216);
constexpr Colour kHighlight = MakeColour(49, 106, 197);

TEST(MenuColourTest, PacksChannelsAsBgr) {
    EXPECT_EQ(MakeColour(180, 196, 228), 0xE4C4B4u);
    EXPECT_EQ(RedOf(0xE4C4B4u), 180);
    EXPECT_EQ(GreenOf(0xE4C4B4u), 196);
    EXPECT_EQ(BlueOf(0xE4C4B4u), 228);
}

TEST(MenuColourTest, HlsOfTheButtonFace) {
    // max 236 (red), min 216: L = 226; S = 20 / (510 - 452) * 255;
    // hue = (233 - 216) / 20 * 60 = 51 degrees = 36.125 on the 0..255 scale.
    const Hls hls = ColourToHls(kFace);
    EXPECT_NEAR(hls.lightness, 226.0, 1e-9);
    EXPECT_NEAR(hls.saturation, 20.0 / 58.0 * 255.0, 1e-9);
    EXPECT_NEAR(hls.hue, 36.125, 1e-9);
    EXPECT_EQ(HlsToColour(hls), kFace);
}

TEST(MenuColourTest, HlsTiesAndGreys) {
    // Cyan: green and blue tie; blue is taken: 4 + (0 - 1) = 3 -> 180 degrees.
    EXPECT_NEAR(ColourToHls(MakeColour(0, 255, 255)).hue, 127.5, 1e-9);
    // Magenta: red and blue tie; blue is taken: 4 + 1 = 5 -> 300 degrees.
    EXPECT_NEAR(ColourToHls(MakeColour(255, 0, 255)).hue, 212.5, 1e-9);
    // Yellow: red and green tie; green is taken: 2 + (0 - 1) = 1 -> 60.
    EXPECT_NEAR(ColourToHls(MakeColour(255, 255, 0)).hue, 42.5, 1e-9);
    const Hls grey = ColourToHls(MakeColour(128, 128, 128));
    EXPECT_EQ(grey.hue, 0);
    EXPECT_EQ(grey.saturation, 0);
    EXPECT_NEAR(grey.lightness, 128.0, 1e-9);
}

TEST(MenuColourTest, ShiftOfTheButtonFaceByTwenty) {
    // L' = 226 + 29 * 0.2 = 231.8, S kept: q = 0.94039, p = 0.87765;
    // red = q, green = p + (q - p) * 0.85, blue = p.
    EXPECT_EQ(ShiftColour(kFace, 20), MakeColour(240, 237, 224));
    // L' = 226 + 29 * 0.75 = 247.75.
    EXPECT_EQ(ShiftColour(kFace, 75), MakeColour(250, 250, 245));
}

TEST(MenuColourTest, ShiftOfGreys) {
    const Colour grey = MakeColour(192, 192, 192);
    EXPECT_EQ(ShiftColour(grey, 20), MakeColour(205, 205, 205));  // 204.6
    EXPECT_EQ(ShiftColour(grey, -18), MakeColour(157, 157, 157)); // 157.44
    EXPECT_EQ(ShiftColour(grey, 100), MakeColour(255, 255, 255));
    EXPECT_EQ(ShiftColour(grey, -100), MakeColour(0, 0, 0));
    EXPECT_EQ(ShiftColour(grey, 0), grey);
}

TEST(MenuColourTest, ShiftOfTheHighlightWithSaturation) {
    EXPECT_EQ(ShiftColour(kHighlight, 70, -57), MakeColour(205, 213, 226));
    EXPECT_EQ(ShiftColour(kHighlight, 50, -50), MakeColour(169, 184, 209));
    EXPECT_EQ(ShiftColour(kFace, -18), MakeColour(209, 202, 161));
}

TEST(MenuColourTest, ScaleColour) {
    EXPECT_EQ(ScaleColour(MakeColour(200, 100, 50), 78), MakeColour(156, 78, 39));
    EXPECT_EQ(ScaleColour(MakeColour(255, 255, 255), 93), MakeColour(237, 237, 237));
    EXPECT_EQ(ScaleColour(MakeColour(10, 20, 30), 100), MakeColour(10, 20, 30));
    EXPECT_EQ(ScaleColour(MakeColour(10, 20, 30), 0), 0u);
}

TEST(MenuColourTest, GradientBandsOfAThirtyPixelColumn) {
    // From (180, 196, 228) to white: n = 75 (red), 30 pixels wide. Band i
    // covers [i * 30 / 75, (i + 1) * 30 / 75): bands 0 and 1 are empty, band
    // 2 is the first pixel; every pixel is one band.
    const auto bands = GradientBands(0, 30, 0xE4C4B4u, 0xFFFFFFu);
    ASSERT_EQ(bands.size(), 30u);
    for (std::size_t x = 0; x < bands.size(); ++x) {
        EXPECT_EQ(bands[x].left, static_cast<int>(x));
        EXPECT_EQ(bands[x].right, static_cast<int>(x) + 1);
    }
    // i = 2: 180 + 2, 196 + 118 / 75, 228 + 54 / 75.
    EXPECT_EQ(bands[0].colour, MakeColour(182, 197, 228));
    // Pixel 1 is band 4: band 3 ([90 / 75, 120 / 75)) is empty.
    EXPECT_EQ(bands[1].colour, MakeColour(184, 199, 229));
    // i = 74: 180 + 74, 196 + 4366 / 75, 228 + 1998 / 75.
    EXPECT_EQ(bands[29].colour, MakeColour(254, 254, 254));
}

TEST(MenuColourTest, GradientBandsWiderThanTheColourSteps) {
    // n = 2 over 5 pixels: [0, 2) and [2, 5).
    const auto bands = GradientBands(10, 5, MakeColour(0, 0, 0), MakeColour(2, 1, 0));
    ASSERT_EQ(bands.size(), 2u);
    EXPECT_EQ(bands[0].left, 10);
    EXPECT_EQ(bands[0].right, 12);
    EXPECT_EQ(bands[0].colour, MakeColour(0, 0, 0));
    EXPECT_EQ(bands[1].left, 12);
    EXPECT_EQ(bands[1].right, 15);
    EXPECT_EQ(bands[1].colour, MakeColour(1, 0, 0));
}

TEST(MenuColourTest, GradientOfEqualColoursIsOneFill) {
    const auto bands = GradientBands(3, 40, 0x123456u, 0x123456u);
    ASSERT_EQ(bands.size(), 1u);
    EXPECT_EQ(bands[0].left, 3);
    EXPECT_EQ(bands[0].right, 43);
    EXPECT_EQ(bands[0].colour, 0x123456u);
    EXPECT_TRUE(GradientBands(0, 0, 0, 0xFFFFFFu).empty());
}

TEST(MenuColourTest, ShadowDarkensOutwardsLess) {
    EXPECT_EQ(ShadowPercent(0, 10), 78);
    EXPECT_EQ(ShadowPercent(1, 10), 83);
    EXPECT_EQ(ShadowPercent(2, 10), 88);
    EXPECT_EQ(ShadowPercent(3, 10), 93);
    // Soft ends: lighter at the band's start.
    EXPECT_GT(ShadowPercent(0, 0), ShadowPercent(0, 1));
    EXPECT_GT(ShadowPercent(0, 3), 78);
    EXPECT_LT(ShadowPercent(0, 0), 100);
}

TEST(MenuItemDataTest, PacksHeightAcceleratorAndText) {
    const std::uint32_t data = PackItemData(23, 300, 120);
    EXPECT_EQ(PackedHeight(data), 23);
    EXPECT_EQ(PackedAccelerator(data), 300 % 256);
    EXPECT_EQ(PackedTextWidth(data), 120);
    EXPECT_EQ(data, 23u | (44u << 8) | (120u << 16));
}

TEST(MenuItemDataTest, MeasuresPopupAndMenuBarItems) {
    const ItemSize popup = MeasureMenuItem(PackItemData(23, 40, 100));
    EXPECT_EQ(popup.width, 182);
    EXPECT_EQ(popup.height, 23);
    const ItemSize separator = MeasureMenuItem(PackItemData(10, 40, 100));
    EXPECT_EQ(separator.height, 10);
    const ItemSize bar = MeasureMenuItem(PackItemData(0, 0, 31));
    EXPECT_EQ(bar.width, 35);
    EXPECT_EQ(bar.height, 0);
}

TEST(MenuItemDataTest, HeightsFromTheFontHeight) {
    EXPECT_EQ(MenuItemHeight(13), 20); // max(15, 16) + 4
    EXPECT_EQ(MenuItemHeight(10), 20);
    EXPECT_EQ(MenuItemHeight(17), 23);
    EXPECT_EQ(MenuSeparatorHeight(13), 8);
    EXPECT_EQ(MenuSeparatorHeight(17), 10);
}

TEST(MenuAccessKeyTest, FindsTheMarkedLetterInEitherCase) {
    const std::vector<std::string> items = {"&New\tCtrl+N", "&Open...\tCtrl+O", "&Save\tCtrl+S",
                                            "Save &As..."};
    EXPECT_EQ(FindAccessKey(items, U'A'), 3);
    EXPECT_EQ(FindAccessKey(items, U'a'), 3);
    EXPECT_EQ(FindAccessKey(items, U'o'), 1);
    EXPECT_EQ(FindAccessKey(items, U'x'), -1);
}

TEST(MenuAccessKeyTest, DoubledAmpersandIsNoAccessKey) {
    EXPECT_EQ(FindAccessKey({"Cut && Paste"}, U' '), -1);
    EXPECT_EQ(FindAccessKey({"R&&D"}, U'D'), -1);
    EXPECT_EQ(FindAccessKey({"R&&D", "&Delete"}, U'd'), 1);
    // An "&" right after another never marks a key, even a third one.
    EXPECT_EQ(FindAccessKey({"&&&Go"}, U'g'), -1);
    EXPECT_EQ(FindAccessKey({"A&&B &Go"}, U'g'), 0);
}

TEST(MenuAccessKeyTest, FirstMatchWinsAndTabEndsTheText) {
    EXPECT_EQ(FindAccessKey({"&Print", "&Paste"}, U'p'), 0);
    // The accelerator after the tab is not searched.
    EXPECT_EQ(FindAccessKey({"Undo\t&Z"}, U'z'), -1);
    // Only plain popups answer.
    EXPECT_EQ(FindAccessKey({"&Print"}, U'p', false), -1);
    EXPECT_EQ(FindAccessKey({}, U'p'), -1);
}

TEST(MenuAccessKeyTest, NonAsciiKeys) {
    EXPECT_EQ(FindAccessKey({"&\xC3\xBC"
                             "ber"},
                            U'\u00FC'),
              0);
}

TEST(MenuSettingsTest, DefaultsWhenNothingIsStored) {
    MemorySettingsStore store;
    const MenuSettings s = ReadMenuSettings(store);
    EXPECT_EQ(s.showGradient, 1);
    EXPECT_EQ(s.showGradientSel, 1);
    EXPECT_EQ(s.gradientStart, 0xE4C4B4);
    EXPECT_EQ(s.gradientEnd, 0xFFFFFF);
    EXPECT_EQ(s.gradientWidth, 30);
    EXPECT_EQ(store.Size(), 0u); // reading creates nothing
}

TEST(MenuSettingsTest, ReadsTheTwoSections) {
    MemorySettingsStore store;
    store.WriteSettingInt("MenuXP", "ShowGradient", 0);
    store.WriteSettingInt("menuex", "showgradientsel", 0);
    store.WriteSettingInt("MenuXP", "GradientStart", -1);
    store.WriteSettingInt("MenuXP", "GradientEnd", 0x102030);
    store.WriteSettingInt("MenuXP", "GradientWidth", 24);
    // The selection setting is not taken from the other section.
    store.WriteSettingInt("MenuXP", "ShowGradientSel", 5);
    const MenuSettings s = ReadMenuSettings(store);
    EXPECT_EQ(s.showGradient, 0);
    EXPECT_EQ(s.showGradientSel, 0);
    EXPECT_EQ(s.gradientStart, -1);
    EXPECT_EQ(s.gradientEnd, 0x102030);
    EXPECT_EQ(s.gradientWidth, 24);
}

TEST(MenuSettingsTest, PaletteFromDefaults) {
    const MenuPalette p = MakeMenuPalette(MenuSettings{}, kFace, kHighlight, 0x404040u, 32);
    EXPECT_TRUE(p.gradients);
    EXPECT_TRUE(p.gradientSelection);
    EXPECT_EQ(p.gradientStart, 0xE4C4B4u);
    EXPECT_EQ(p.gradientEnd, 0xFFFFFFu);
    EXPECT_EQ(p.gradientWidth, 30);
    EXPECT_EQ(p.column, MakeColour(240, 237, 224));
    EXPECT_EQ(p.background, MakeColour(250, 250, 245));
    EXPECT_EQ(p.selection, MakeColour(205, 213, 226));
    EXPECT_EQ(p.disabledText, MakeColour(209, 202, 161));
}

TEST(MenuSettingsTest, MinusOneMeansTheDerivedColours) {
    MenuSettings s;
    s.gradientStart = -1;
    s.gradientEnd = -1;
    const MenuPalette p = MakeMenuPalette(s, kFace, kHighlight, 0, 24);
    EXPECT_EQ(p.gradientStart, ShiftColour(kFace, 20));
    EXPECT_EQ(p.gradientEnd, ShiftColour(kFace, 75));
}

TEST(MenuSettingsTest, NoGradientsWhenSwitchedOffOrOnEightBitDisplays) {
    MenuSettings off;
    off.showGradient = 0;
    EXPECT_FALSE(MakeMenuPalette(off, kFace, kHighlight, 0, 32).gradients);
    EXPECT_FALSE(MakeMenuPalette(off, kFace, kHighlight, 0, 32).gradientSelection);
    EXPECT_FALSE(MakeMenuPalette(MenuSettings{}, kFace, kHighlight, 0, 8).gradients);
    EXPECT_TRUE(MakeMenuPalette(MenuSettings{}, kFace, kHighlight, 0, 16).gradients);
    MenuSettings noSel;
    noSel.showGradientSel = 0;
    const MenuPalette p = MakeMenuPalette(noSel, kFace, kHighlight, 0, 32);
    EXPECT_TRUE(p.gradients);
    EXPECT_FALSE(p.gradientSelection);
}

} // namespace
} // namespace orlen
