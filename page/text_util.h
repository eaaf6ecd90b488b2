// Small text helpers shared by the core. Pages are 8-bit text: only ASCII
// letters change case, and bytes above 127 are never white space.
#pragma once

#include <string>
#include <string_view>

namespace orlen {

// Space, tab, line feed, carriage return, vertical tab and form feed.
inline bool IsWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

inline char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string AsciiLower(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        c = AsciiLower(c);
    }
    return out;
}

inline std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && IsWhiteSpace(s.front())) {
        s.remove_prefix(1);
    }
    return s;
}

inline std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && IsWhiteSpace(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

// The text without white space at either end.
inline std::string_view Trim(std::string_view s) {
    return TrimRight(TrimLeft(s));
}

// Text as a browser shows it: each run of HTML white space (space, tab,
// line feed, carriage return, form feed) as one space, none at either end.
inline std::string CollapseWhiteSpace(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    bool space = false;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f') {
            space = !out.empty();
            continue;
        }
        if (space) {
            out += ' ';
            space = false;
        }
        out += c;
    }
    return out;
}

} // namespace orlen
