#include "page/line_reader.h"

#include <istream>

namespace orlen {

std::string LinesToCrLf(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 32 + 2);
    std::size_t i = 0;
    const std::size_t n = bytes.size();
    while (i < n) {
        // Copy the run up to the next line-end character in one go.
        std::size_t end = bytes.find_first_of("\r\n", i);
        if (end == std::string_view::npos) {
            out.append(bytes.substr(i));
            out += "\r\n";
            break;
        }
        out.append(bytes.substr(i, end - i));
        out += "\r\n";
        i = end + 1;
        if (bytes[end] == '\r' && i < n && bytes[i] == '\n') {
            ++i;
        }
    }
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
