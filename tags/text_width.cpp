#include "tags/text_width.h"

#include <algorithm>
#include <cstdint>

namespace orlen {

namespace {

struct CharAdvance {
    std::uint32_t codePoint;
    int advance; // in font units
};

#include "tags/text_width_table.inc"

// Reads one code point from UTF-8 at i and moves i past it; a byte that
// starts no well-formed sequence reads as U+FFFD and is skipped alone.
std::uint32_t NextCodePoint(std::string_view s, std::size_t& i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b = byte(i);
    int length = 0;
    std::uint32_t cp = 0;
    if (b < 0x80) {
        ++i;
        return b;
    }
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
        cp = b & 0x1Fu;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        cp = b & 0x0Fu;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        cp = b & 0x07u;
    } else {
        ++i;
        return 0xFFFD;
    }
    if (i + static_cast<std::size_t>(length) > s.size()) {
        ++i;
        return 0xFFFD;
    }
    for (int k = 1; k < length; ++k) {
        const unsigned char c = byte(i + static_cast<std::size_t>(k));
        if ((c & 0xC0u) != 0x80u) {
            ++i;
            return 0xFFFD;
        }
        cp = (cp << 6) | (c & 0x3Fu);
    }
    const bool overlong = (length == 3 && cp < 0x800) || (length == 4 && cp < 0x10000);
    if (overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return 0xFFFD;
    }
    i += static_cast<std::size_t>(length);
    return cp;
}

bool IsEastAsianWide(std::uint32_t cp) {
    return (cp >= 0x1100 && cp <= 0x115F) || (cp >= 0x2E80 && cp <= 0xA4CF) ||
           (cp >= 0xAC00 && cp <= 0xD7A3) || (cp >= 0xF900 && cp <= 0xFAFF) ||
           (cp >= 0xFE30 && cp <= 0xFE4F) || (cp >= 0xFF00 && cp <= 0xFF60) ||
           (cp >= 0xFFE0 && cp <= 0xFFE6) || (cp >= 0x1F300 && cp <= 0x1FAFF) ||
           (cp >= 0x20000 && cp <= 0x3FFFD);
}

int AdvanceOf(std::uint32_t cp) {
    const auto* end = std::end(kCharAdvances);
    const auto* found = std::lower_bound(
        std::begin(kCharAdvances), end, cp,
        [](const CharAdvance& a, std::uint32_t wanted) { return a.codePoint < wanted; });
    if (found != end && found->codePoint == cp) {
        return found->advance;
    }
    if (IsEastAsianWide(cp)) {
        return kWidthUnitsPerEm;
    }
    return AdvanceOf('x');
}

} // namespace

int TextWidthPixels(std::string_view utf8, int pixelSize) {
    std::int64_t units = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        units += AdvanceOf(NextCodePoint(utf8, i));
    }
    // Rounded to the nearest pixel, from the exact sum.
    return static_cast<int>((units * pixelSize + kWidthUnitsPerEm / 2) / kWidthUnitsPerEm);
}

std::size_t FittingPrefix(std::string_view utf8, int pixelSize, int maxPixels) {
    if (maxPixels < 0 || pixelSize <= 0) {
        return 0;
    }
    // The same rounding as TextWidthPixels: a prefix fits while its exact
    // width rounds to at most maxPixels.
    const std::int64_t limit =
        static_cast<std::int64_t>(maxPixels) * kWidthUnitsPerEm + kWidthUnitsPerEm / 2 - 1;
    std::int64_t units = 0;
    std::size_t fits = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        units += AdvanceOf(NextCodePoint(utf8, i));
        if (units * pixelSize > limit) {
            break;
        }
        fits = i;
    }
    return fits;
}

std::size_t CharacterCount(std::string_view utf8) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        NextCodePoint(utf8, i);
        ++count;
    }
    return count;
}

} // namespace orlen
