#include "shell/menu_colours.h"

#include "shell/settings_store.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace orlen {

namespace {

double HueToChannel(double p, double q, double t) {
    if (t < 0) {
        t += 1;
    }
    if (t > 1) {
        t -= 1;
    }
    if (t < 1.0 / 6) {
        return p + (q - p) * 6 * t;
    }
    if (t < 0.5) {
        return q;
    }
    if (t < 2.0 / 3) {
        return p + (q - p) * (2.0 / 3 - t) * 6;
    }
    return p;
}

int ToByte(double v) {
    return std::clamp(static_cast<int>(std::lround(v * 255.0)), 0, 255);
}

double Shift(double value, int percent) {
    if (percent >= 0) {
        return value + (255.0 - value) * percent / 100.0;
    }
    return value * (100.0 + percent) / 100.0;
}

} // namespace

Hls ColourToHls(Colour colour) {
    const double r = RedOf(colour) / 255.0;
    const double g = GreenOf(colour) / 255.0;
    const double b = BlueOf(colour) / 255.0;
    const double max = std::max({r, g, b});
    const double min = std::min({r, g, b});
    Hls hls;
    const double l = (max + min) / 2;
    hls.lightness = l * 255.0;
    if (max == min) {
        return hls;
    }
    const double d = max - min;
    const double s = l < 0.5 ? d / (max + min) : d / (2.0 - max - min);
    double h = 0;
    // A tie for the maximum is settled blue first, then green, then red.
    if (b == max) {
        h = 4.0 + (r - g) / d;
    } else if (g == max) {
        h = 2.0 + (b - r) / d;
    } else {
        h = (g - b) / d;
    }
    h *= 60.0;
    if (h < 0) {
        h += 360.0;
    }
    hls.hue = h * 255.0 / 360.0;
    hls.saturation = s * 255.0;
    return hls;
}

Colour HlsToColour(const Hls& hls) {
    const double l = std::clamp(hls.lightness / 255.0, 0.0, 1.0);
    const double s = std::clamp(hls.saturation / 255.0, 0.0, 1.0);
    if (s == 0) {
        const int v = ToByte(l);
        return MakeColour(v, v, v);
    }
    const double h = hls.hue / 255.0; // fraction of the full circle
    const double q = l < 0.5 ? l * (1 + s) : l + s - l * s;
    const double p = 2 * l - q;
    return MakeColour(ToByte(HueToChannel(p, q, h + 1.0 / 3)), ToByte(HueToChannel(p, q, h)),
                      ToByte(HueToChannel(p, q, h - 1.0 / 3)));
}

Colour ShiftColour(Colour colour, int lightnessPercent, int saturationPercent) {
    Hls hls = ColourToHls(colour);
    hls.lightness = Shift(hls.lightness, lightnessPercent);
    hls.saturation = Shift(hls.saturation, saturationPercent);
    return HlsToColour(hls);
}

Colour ScaleColour(Colour colour, int percent) {
    return MakeColour(RedOf(colour) * percent / 100, GreenOf(colour) * percent / 100,
                      BlueOf(colour) * percent / 100);
}

std::vector<GradientBand> GradientBands(int left, int width, Colour from, Colour to) {
    std::vector<GradientBand> bands;
    if (width <= 0) {
        return bands;
    }
    const int dr = RedOf(to) - RedOf(from);
    const int dg = GreenOf(to) - GreenOf(from);
    const int db = BlueOf(to) - BlueOf(from);
    const int n = std::max({std::abs(dr), std::abs(dg), std::abs(db)});
    if (n == 0) {
        bands.push_back({left, left + width, from});
        return bands;
    }
    auto colourAt = [&](int i) {
        return MakeColour(RedOf(from) + i * dr / n, GreenOf(from) + i * dg / n,
                          BlueOf(from) + i * db / n);
    };
    for (int i = 0; i < n; ++i) {
        const int x0 = left + i * width / n;
        const int x1 = left + (i + 1) * width / n;
        if (x1 > x0) {
            bands.push_back({x0, x1, colourAt(i)});
        }
    }
    const int end = bands.empty() ? left : bands.back().right;
    if (end < left + width) {
        bands.push_back({end, left + width, colourAt(n)});
    }
    return bands;
}

std::uint32_t PackItemData(int height, int widestAccelerator, int widestText) {
    return (static_cast<std::uint32_t>(height) & 0xFFu) |
           ((static_cast<std::uint32_t>(widestAccelerator) & 0xFFu) << 8) |
           ((static_cast<std::uint32_t>(widestText) & 0xFFFFu) << 16);
}

int PackedHeight(std::uint32_t data) {
    return static_cast<int>(data & 0xFFu);
}
int PackedAccelerator(std::uint32_t data) {
    return static_cast<int>((data >> 8) & 0xFFu);
}
int PackedTextWidth(std::uint32_t data) {
    return static_cast<int>(data >> 16);
}

ItemSize MeasureMenuItem(std::uint32_t data) {
    const int height = PackedHeight(data);
    if (height != 0) {
        return {PackedTextWidth(data) + PackedAccelerator(data) + 42, height};
    }
    return {PackedTextWidth(data) + 4, 0};
}

int MenuItemHeight(int fontHeight) {
    return std::max(fontHeight + 2, 16) + 4;
}
int MenuSeparatorHeight(int fontHeight) {
    return fontHeight / 2 + 2;
}

namespace {

char32_t Upper(char32_t c) {
    if (c >= U'a' && c <= U'z') {
        return c - U'a' + U'A';
    }
    return c;
}

// UTF-8 to code points; a stray byte stands for itself.
std::u32string Decode(std::string_view text) {
    std::u32string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        if (c >= 0x80 && c < 0xC0) {
            extra = 0;
        }
        if (extra != 0 && i + static_cast<std::size_t>(extra) >= text.size()) {
            extra = 0;
        }
        char32_t cp = extra == 0   ? c
                      : extra == 1 ? (c & 0x1Fu)
                      : extra == 2 ? (c & 0x0Fu)
                                   : (c & 0x07u);
        for (int k = 1; k <= extra; ++k) {
            cp = (cp << 6) |
                 (static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]) & 0x3Fu);
        }
        out.push_back(cp);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

} // namespace

int FindAccessKey(const std::vector<std::string>& itemTexts, char32_t key, bool plainPopup) {
    if (!plainPopup) {
        return -1;
    }
    const char32_t wanted = Upper(key);
    for (std::size_t item = 0; item < itemTexts.size(); ++item) {
        std::string_view text = itemTexts[item];
        if (const std::size_t tab = text.find('\t'); tab != std::string_view::npos) {
            text = text.substr(0, tab);
        }
        const std::u32string chars = Decode(text);
        // From the end: an "&" followed by the key, unless that "&" is the
        // second of a doubled "&&".
        for (std::size_t i = chars.size(); i-- > 1;) {
            if (Upper(chars[i]) != wanted || chars[i - 1] != U'&') {
                continue;
            }
            if (i >= 2 && chars[i - 2] == U'&') {
                continue;
            }
            return static_cast<int>(item);
        }
    }
    return -1;
}

MenuSettings ReadMenuSettings(SettingsStore& store) {
    using namespace menu_settings;
    MenuSettings defaults;
    MenuSettings s;
    s.showGradient = store.GetSettingInt(kSection, kShowGradient, defaults.showGradient);
    s.showGradientSel =
        store.GetSettingInt(kSelectionSection, kShowGradientSel, defaults.showGradientSel);
    s.gradientStart = store.GetSettingInt(kSection, kGradientStart, defaults.gradientStart);
    s.gradientEnd = store.GetSettingInt(kSection, kGradientEnd, defaults.gradientEnd);
    s.gradientWidth = store.GetSettingInt(kSection, kGradientWidth, defaults.gradientWidth);
    return s;
}

MenuPalette MakeMenuPalette(const MenuSettings& settings, Colour face, Colour highlight,
                            Colour darkShadow, int displayDepth) {
    const Colour f = face & 0xFFFFFFu;
    const Colour h = highlight & 0xFFFFFFu;
    MenuPalette p;
    p.gradients = settings.showGradient != 0 && displayDepth > 8;
    p.gradientSelection = p.gradients && settings.showGradientSel != 0;
    p.gradientWidth = std::max(settings.gradientWidth, 0);
    p.gradientStart = settings.gradientStart == -1
                          ? ShiftColour(f, 20)
                          : static_cast<Colour>(settings.gradientStart) & 0xFFFFFFu;
    p.gradientEnd = settings.gradientEnd == -1
                        ? ShiftColour(f, 75)
                        : static_cast<Colour>(settings.gradientEnd) & 0xFFFFFFu;
    p.face = f;
    p.highlight = h;
    p.darkShadow = darkShadow & 0xFFFFFFu;
    p.column = ShiftColour(f, 20);
    p.background = ShiftColour(f, 75);
    p.selection = ShiftColour(h, 70, -57);
    p.selectionDisabled = ShiftColour(f, 73);
    p.checkedSelected = ShiftColour(h, 50, -50);
    p.checkedOnly = ShiftColour(h, 80, -66);
    p.pictureShadow = ShiftColour(h, 50, -66);
    p.silhouette = ShiftColour(f, -27);
    p.disabledText = ShiftColour(f, -18);
    p.toolSeparator = ShiftColour(f, -15);
    p.hotIndeterminate = ShiftColour(f, -20);
    p.dropDownPressed = ShiftColour(h, 70, -66);
    return p;
}

int ShadowPercent(int distance, int along) {
    static constexpr int kBase[4] = {78, 83, 88, 93};
    const int base = kBase[std::clamp(distance, 0, 3)];
    if (along >= 4) {
        return base;
    }
    // The band's first pixels fade in from nearly no shadow.
    return base + (100 - base) * (4 - std::max(along, 0)) / 5;
}

} // namespace orlen
