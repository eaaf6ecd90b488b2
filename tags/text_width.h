// How wide a text is set in a search-result line: Arial's advance widths
// (through the metric-compatible Liberation Sans Regular), no kerning.
#pragma once

#include <cstddef>
#include <string_view>

namespace orlen {

// The width in pixels of UTF-8 text set at pixelSize, rounded to the
// nearest pixel. A character the font lacks counts one em when it is East
// Asian wide, else the width of "x"; bytes that are no UTF-8 count as U+FFFD.
int TextWidthPixels(std::string_view utf8, int pixelSize);

// The length in bytes of the longest start of UTF-8 text, ending between
// two characters, whose width at pixelSize is at most maxPixels.
std::size_t FittingPrefix(std::string_view utf8, int pixelSize, int maxPixels);

// The number of characters (code points) of UTF-8 text.
std::size_t CharacterCount(std::string_view utf8);

} // namespace orlen
