// A small diff of lines: which lines of one text stay, go or come in
// another, and the unified diff of the two, for showing what a template
// does to a page's head before it is written.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace orlen {

// The lines of a text, each without its line end ("\n", "\r\n" or a lone
// "\r" at the end of a line is left out). A text that ends with a line end
// has no empty last line; an empty text has no lines.
std::vector<std::string_view> SplitLines(std::string_view text);

struct LineDiffOp {
    enum Kind { Same, Removed, Added };
    Kind kind;
    std::size_t before; // line of the first text (Same, Removed)
    std::size_t after;  // line of the second text (Same, Added)
};

// The steps from lines a to lines b, in order, with as few lines removed
// and added as the search finds within its bound: Myers' search after the
// lines both share at the start and the end, which stops after a few
// thousand differences and then counts the rest as removed and added, so
// that the time stays linear in the number of lines. Lines compare as
// bytes, line ends included: a line whose only change is its line end
// counts as changed.
std::vector<LineDiffOp> DiffLines(std::string_view a, std::string_view b);

// The unified diff of two texts with three lines of context: "--- " and
// "+++ " lines naming them, then hunks of "@@ -start,count +start,count @@"
// and their lines marked " ", "-" or "+". Empty when the texts are equal.
std::string UnifiedDiff(std::string_view nameBefore, std::string_view nameAfter,
                        std::string_view before, std::string_view after);

} // namespace orlen
