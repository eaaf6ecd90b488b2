#include "page/line_reader.h"

#include <algorithm>
#include <istream>

namespace orlen {

std::string LinesToCrLf(std::string_view bytes) {
    // Every line-end character grows into at most two bytes, so one count
    // gives a buffer that the copy below never outgrows.
    const std::size_t ends = static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n') +
                                                      std::count(bytes.begin(), bytes.end(), '\r'));
    std::string out;
    out.resize(bytes.size() + ends + 2);
    char* o = out.data();
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    for (; p < end; ++p) {
        const char c = *p;
        if (c == '\n' || c == '\r') {
            *o++ = '\r';
            *o++ = '\n';
            if (c == '\r' && p + 1 < end && p[1] == '\n') {
                ++p;
            }
        } else {
            *o++ = c;
        }
    }
    // The last line gains a line end when it has none.
    if (!bytes.empty() && bytes.back() != '\n' && bytes.back() != '\r') {
        *o++ = '\r';
        *o++ = '\n';
    }
    out.resize(static_cast<std::size_t>(o - out.data()));
    return out;
}

bool ReadAll(std::istream& in, std::string& out) {
    out.clear();
    if (!in) {
        return false;
    }
    char buffer[1 << 16];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        out.append(buffer, static_cast<std::size_t>(in.gcount()));
    }
    return !in.bad();
}

} // namespace orlen
