#include "page/entities.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace orlen {

namespace {

struct NamedReference {
    std::string_view name; // without "&" and ";"
    std::string_view text; // UTF-8
};

constexpr NamedReference kNamed[] = {
#include "page/entity_table.inc"
};

bool IsAlnum(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// A numeric reference at s[at] == '&', s[at + 1] == '#': its length, or 0.
std::size_t NumericReference(std::string_view s, std::size_t at, std::string& out) {
    std::size_t i = at + 2;
    const bool hex = i < s.size() && (s[i] == 'x' || s[i] == 'X');
    if (hex) {
        ++i;
    }
    const std::size_t digits = i;
    std::uint32_t cp = 0;
    bool tooBig = false;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        int value = -1;
        if (c >= '0' && c <= '9') {
            value = c - '0';
        } else if (hex && c >= 'a' && c <= 'f') {
            value = c - 'a' + 10;
        } else if (hex && c >= 'A' && c <= 'F') {
            value = c - 'A' + 10;
        }
        if (value < 0) {
            break;
        }
        cp = tooBig ? cp : cp * (hex ? 16 : 10) + static_cast<std::uint32_t>(value);
        tooBig = tooBig || cp > 0x10FFFF;
    }
    if (i == digits) {
        return 0; // "&#" or "&#x" with no digit: no reference
    }
    if (i < s.size() && s[i] == ';') {
        ++i;
    }
    if (tooBig || cp == 0 || (cp >= 0xD800 && cp <= 0xDFFF)) {
        cp = 0xFFFD;
    } else if (cp >= 0x80 && cp <= 0x9F) {
        // What browsers read for these numbers: the windows-1252 characters.
        cp = Windows1252CodePoint(static_cast<unsigned char>(cp));
    }
    AppendUtf8(out, cp);
    return i - at;
}

// A named reference with its semicolon at s[at] == '&': its length, or 0.
std::size_t NamedReferenceAt(std::string_view s, std::size_t at, std::string& out) {
    constexpr std::size_t kLongestName = 32;
    std::size_t i = at + 1;
    while (i < s.size() && i - at - 1 <= kLongestName && IsAlnum(s[i])) {
        ++i;
    }
    if (i >= s.size() || s[i] != ';' || i == at + 1) {
        return 0;
    }
    const std::string_view name = s.substr(at + 1, i - at - 1);
    const auto* found = std::lower_bound(
        std::begin(kNamed), std::end(kNamed), name,
        [](const NamedReference& entry, std::string_view key) { return entry.name < key; });
    if (found == std::end(kNamed) || found->name != name) {
        return 0;
    }
    out += found->text;
    return i + 1 - at;
}

} // namespace

std::string DecodeCharacterReferences(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    std::size_t from = 0;
    for (std::size_t at = s.find('&'); at != std::string_view::npos; at = s.find('&', at)) {
        out.append(s.substr(from, at - from));
        std::size_t length = at + 1 < s.size() && s[at + 1] == '#' ? NumericReference(s, at, out)
                                                                   : NamedReferenceAt(s, at, out);
        if (length == 0) {
            out += '&';
            length = 1;
        }
        at += length;
        from = at;
    }
    out.append(s.substr(from));
    return out;
}

namespace {

std::string Escape(std::string_view text, char special, std::string_view written) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '&') {
            out += "&amp;";
        } else if (c == special) {
            out += written;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

std::string EscapeAttributeText(std::string_view text) {
    return Escape(text, '"', "&quot;");
}

std::string EscapeTitleText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t from = 0;
    for (std::size_t at = text.find('<'); at != std::string_view::npos;
         at = text.find('<', at + 1)) {
        const char kind = at + 1 < text.size() ? text[at + 1] : '\0';
        if (kind != '?' && kind != '%') {
            continue;
        }
        const char marker[2] = {kind, '>'};
        const std::size_t close = text.find(std::string_view(marker, 2), at + 1);
        if (close == std::string_view::npos) {
            break;
        }
        out += Escape(text.substr(from, at - from), '<', "&lt;");
        out += text.substr(at, close + 2 - at);
        from = close + 2;
        at = close + 1;
    }
    out += Escape(text.substr(from), '<', "&lt;");
    return out;
}

std::string SourceToText(std::string_view source, Charset charset) {
    return DecodeCharacterReferences(DecodeToUtf8(source, charset));
}

std::string TitleTextToSource(std::string_view text, Charset charset) {
    return EncodeFromUtf8(EscapeTitleText(text), charset);
}

std::string AttributeTextToSource(std::string_view text, Charset charset) {
    return EncodeFromUtf8(EscapeAttributeText(text), charset);
}

} // namespace orlen
