// Reading page files as lines.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

namespace orlen {

// Turns file bytes into page text: every line ends in CR LF. A line ends at
// LF, CR LF or a bare CR; the last line gains a line end when it has none.
// Every other byte, NUL included, is kept as it is.
std::string LinesToCrLf(std::string_view bytes);

// Reads the whole stream into a string. Returns false when the stream fails.
bool ReadAll(std::istream& in, std::string& out);

} // namespace orlen
