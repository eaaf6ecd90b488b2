// Reading and writing whole files without ever leaving a half-written one.
#pragma once

#include <string>
#include <string_view>

namespace orlen {

// Writes bytes to path through a temporary file in the same directory that
// is flushed to disk and then renamed over the target. The target keeps its
// permission bits (a new file gets the usual ones for the user's umask); a
// symbolic link is followed, so the file it points to is replaced and the
// link stays. On failure the target is untouched, the temporary file is
// removed, error describes what went wrong and false is returned.
bool WriteFileSafely(const std::string& path, std::string_view bytes, std::string& error);

// Reads a whole file. On failure returns false with a description in error.
bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error);

} // namespace orlen
