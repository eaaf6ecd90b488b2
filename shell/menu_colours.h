// Colour arithmetic and measuring rules of the flat menus and toolbars.
//
// Colours are 24-bit values 0x00BBGGRR. Everything here is plain arithmetic
// so that it can be checked without a window.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orlen {

class SettingsStore;

using Colour = std::uint32_t;

constexpr Colour MakeColour(int r, int g, int b) {
    return static_cast<Colour>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int RedOf(Colour c) {
    return static_cast<int>(c & 0xFF);
}
constexpr int GreenOf(Colour c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int BlueOf(Colour c) {
    return static_cast<int>((c >> 16) & 0xFF);
}

// Hue, lightness and saturation, each on a 0..255 scale (the hue's 0..360
// degrees mapped onto 0..255).
struct Hls {
    double hue = 0;
    double lightness = 0;
    double saturation = 0;
};

// The standard HLS model. When two channels tie for the maximum, blue counts
// first, then green, then red.
Hls ColourToHls(Colour colour);
// Back to a colour, each channel rounded to the nearest integer.
Colour HlsToColour(const Hls& hls);

// Moves the lightness (and the saturation) by a percentage: towards 255 when
// positive (v + (255 - v) * p / 100), towards 0 when negative
// (v * (100 + p) / 100). The arithmetic is done on the unrounded HLS values.
Colour ShiftColour(Colour colour, int lightnessPercent, int saturationPercent = 0);
// Each of red, green and blue multiplied by the percentage and divided by
// 100 (rounded down).
Colour ScaleColour(Colour colour, int percent);

// One vertical band of a horizontal gradient: [left, right) in colour.
struct GradientBand {
    int left = 0;
    int right = 0;
    Colour colour = 0;
};

// The bands of a gradient from `from` at the left to `to` at the right over
// [left, left + width). With n the largest difference of a channel, band i
// spans left + i * width / n to left + (i + 1) * width / n in
// from + i * (to - from) / n; empty bands are left out and what remains at
// the right gets the colour for i = n. Equal colours give one band.
std::vector<GradientBand> GradientBands(int left, int width, Colour from, Colour to);

// The 32-bit value each drawn menu item carries: bits 0..7 its height (0
// for a menu-bar item), bits 8..15 the widest accelerator text of its menu
// (modulo 256), bits 16..31 the widest item text (a menu-bar item: its own).
std::uint32_t PackItemData(int height, int widestAccelerator, int widestText);
int PackedHeight(std::uint32_t data);
int PackedAccelerator(std::uint32_t data);
int PackedTextWidth(std::uint32_t data);

struct ItemSize {
    int width = 0;
    int height = 0;
};
// The size a menu item asks for: popup items and separators (non-zero
// height) are widest text + widest accelerator + 42 wide; menu-bar items
// their text width + 4.
ItemSize MeasureMenuItem(std::uint32_t data);

// Heights from the text height of the menu font.
int MenuItemHeight(int fontHeight);      // max(h + 2, 16) + 4
int MenuSeparatorHeight(int fontHeight); // h / 2 + 2

// The access key of a plain popup menu: the index of the first item whose
// text (before any tab) holds "&" followed by the key, compared without
// regard to case; an "&" right after another "&" is a literal ampersand.
// -1 when nothing matches or when the menu is not a plain popup.
int FindAccessKey(const std::vector<std::string>& itemTexts, char32_t key, bool plainPopup = true);

// The look of the menus, read once from the settings.
struct MenuSettings {
    int showGradient = 1;
    int showGradientSel = 1;
    int gradientStart = static_cast<int>(MakeColour(180, 196, 228));
    int gradientEnd = static_cast<int>(MakeColour(255, 255, 255));
    int gradientWidth = 30;
};

namespace menu_settings {
inline constexpr std::string_view kSection = "MenuXP";
inline constexpr std::string_view kSelectionSection = "MenuEx";
inline constexpr std::string_view kShowGradient = "ShowGradient";
inline constexpr std::string_view kShowGradientSel = "ShowGradientSel";
inline constexpr std::string_view kGradientStart = "GradientStart";
inline constexpr std::string_view kGradientEnd = "GradientEnd";
inline constexpr std::string_view kGradientWidth = "GradientWidth";
} // namespace menu_settings

MenuSettings ReadMenuSettings(SettingsStore& store);

// The colours a menu is drawn with, worked out from the settings and the
// system colours: face F, highlight H and the dark 3-D shadow D.
struct MenuPalette {
    bool gradients = false;         // icon column drawn as a gradient
    bool gradientSelection = false; // selected item drawn as a gradient
    int gradientWidth = 30;
    Colour gradientStart = 0;     // -1 in the settings: S(F, 20)
    Colour gradientEnd = 0;       // -1 in the settings: S(F, 75)
    Colour face = 0;              // F
    Colour highlight = 0;         // H
    Colour darkShadow = 0;        // D
    Colour column = 0;            // S(F, 20): plain icon column, toolbar
    Colour background = 0;        // S(F, 75): plain menu background
    Colour selection = 0;         // S(H, 70, -57)
    Colour selectionDisabled = 0; // S(F, 73)
    Colour checkedSelected = 0;   // S(H, 50, -50)
    Colour checkedOnly = 0;       // S(H, 80, -66): toolbar, checked only
    Colour pictureShadow = 0;     // S(H, 50, -66)
    Colour silhouette = 0;        // S(F, -27)
    Colour disabledText = 0;      // S(F, -18), also separators
    Colour toolSeparator = 0;     // S(F, -15)
    Colour hotIndeterminate = 0;  // S(F, -20)
    Colour dropDownPressed = 0;   // S(H, 70, -66)
};

// Gradients need a display deeper than 8 bits per pixel.
MenuPalette MakeMenuPalette(const MenuSettings& settings, Colour face, Colour highlight,
                            Colour darkShadow, int displayDepth);

// The shadow's darkening, in percent, of the pixel `distance` pixels out
// from the menu's edge (0..3) and `along` pixels from the band's start:
// 78, 83, 88, 93 outwards; the first pixels of a band fade out.
int ShadowPercent(int distance, int along);

} // namespace orlen
