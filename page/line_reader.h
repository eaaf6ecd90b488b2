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

// The same conversion in place: the text grows from its end backwards, in
// the string's spare capacity when it has enough, so that a large page is
// not held twice. Line ends are found with memchr, far faster than a loop
// over bytes.
void LinesToCrLfInPlace(std::string& text);

// Text with each of its line ends (LF, CR LF or a bare CR) written as
// lineEnd, and no line end added; for text one file brings into another.
std::string WithLineEnds(std::string_view text, std::string_view lineEnd);

// Room a buffer for a file of that many bytes should reserve, so that the
// line ends of a typical page can grow in place.
inline std::size_t CapacityForLines(std::size_t bytes) {
    return bytes + bytes / 16 + 64;
}

// Reserves room for n bytes in an empty buffer, as a page buffer should be:
// a large one is backed by huge pages where the system offers them, so that
// filling it takes a few hundred page faults instead of one per 4 KiB (on a
// virtual machine those faults, not the copying, are most of what reading
// and rebuilding a large page costs).
void ReservePageBuffer(std::string& buffer, std::size_t n);

// Reads the whole stream into a string. Returns false when the stream fails.
bool ReadAll(std::istream& in, std::string& out);

} // namespace orlen
