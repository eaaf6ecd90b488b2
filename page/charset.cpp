#include "page/charset.h"
#include "page/text_util.h"

#include "page/html_page.h"

#include <array>
#include <cstdint>

namespace orlen {

namespace {

std::string_view TrimAscii(std::string_view s) {
    while (!s.empty() &&
           (s.front() == ' ' || s.front() == '\t' || s.front() == '"' || s.front() == '\'')) {
        s.remove_prefix(1);
    }
    while (!s.empty() &&
           (s.back() == ' ' || s.back() == '\t' || s.back() == '"' || s.back() == '\'')) {
        s.remove_suffix(1);
    }
    return s;
}

// Code points of the bytes 0x80 to 0x9F in Windows-1252.
constexpr std::array<std::uint16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Reads one UTF-8 sequence at i. Returns its length, or 0 when the bytes at
// i do not start a valid sequence (overlong forms and surrogates included).
std::size_t ReadUtf8(std::string_view s, std::size_t i, std::uint32_t& cp) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[i + k]); };
    const std::size_t left = s.size() - i;
    const unsigned char c = b(0);
    if (c < 0x80) {
        cp = c;
        return 1;
    }
    const auto cont = [&](std::size_t k) { return k < left && (b(k) & 0xC0) == 0x80; };
    if (c >= 0xC2 && c <= 0xDF) {
        if (!cont(1)) {
            return 0;
        }
        cp = ((c & 0x1Fu) << 6) | (b(1) & 0x3Fu);
        return 2;
    }
    if (c >= 0xE0 && c <= 0xEF) {
        if (!cont(1) || !cont(2)) {
            return 0;
        }
        cp = ((c & 0x0Fu) << 12) | ((b(1) & 0x3Fu) << 6) | (b(2) & 0x3Fu);
        if (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF)) {
            return 0;
        }
        return 3;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        if (!cont(1) || !cont(2) || !cont(3)) {
            return 0;
        }
        cp = ((c & 0x07u) << 18) | ((b(1) & 0x3Fu) << 12) | ((b(2) & 0x3Fu) << 6) | (b(3) & 0x3Fu);
        if (cp < 0x10000 || cp > 0x10FFFF) {
            return 0;
        }
        return 4;
    }
    return 0;
}

void AppendReference(std::string& out, std::uint32_t cp) {
    out += "&#";
    out += std::to_string(cp);
    out += ';';
}

} // namespace

std::optional<Charset> CharsetFromLabel(std::string_view label) {
    const std::string l = AsciiLower(TrimAscii(label));
    if (l == "utf-8" || l == "utf8" || l == "unicode-1-1-utf-8") {
        return Charset::Utf8;
    }
    if (l == "us-ascii" || l == "ascii" || l == "ansi_x3.4-1968" || l == "iso646-us") {
        return Charset::UsAscii;
    }
    if (l == "iso-8859-1" || l == "iso8859-1" || l == "iso_8859-1" || l == "latin1" || l == "l1" ||
        l == "iso-ir-100" || l == "cp819" || l == "ibm819") {
        return Charset::Latin1;
    }
    if (l == "windows-1252" || l == "cp1252" || l == "x-cp1252") {
        return Charset::Windows1252;
    }
    return std::nullopt;
}

std::string_view CharsetName(Charset charset) {
    switch (charset) {
    case Charset::Utf8:
        return "UTF-8";
    case Charset::UsAscii:
        return "US-ASCII";
    case Charset::Latin1:
        return "ISO-8859-1";
    case Charset::Windows1252:
        return "windows-1252";
    }
    return "UTF-8";
}

std::string DeclaredCharsetLabel(const CHtmlPage& page) {
    for (const auto& section : page.HeadSections()) {
        const CHtmlTag* tag = CHtmlPage::TagOf(*section);
        if (tag == nullptr) {
            continue;
        }
        if (tag->Is("body")) {
            break;
        }
        if (!tag->Is("meta")) {
            continue;
        }
        std::string charset = tag->Attribute("charset");
        if (!charset.empty()) {
            return std::string(TrimAscii(charset));
        }
        if (AsciiLower(tag->Attribute("http-equiv")) == "content-type") {
            const std::string content = tag->Attribute("content");
            const std::string lowered = AsciiLower(content);
            std::size_t at = lowered.find("charset=");
            if (at != std::string::npos) {
                std::string_view value = std::string_view(content).substr(at + 8);
                value = value.substr(0, value.find(';'));
                return std::string(TrimAscii(value));
            }
        }
    }
    return {};
}

bool IsValidUtf8(std::string_view bytes) {
    std::uint32_t cp = 0;
    for (std::size_t i = 0; i < bytes.size();) {
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            ++i;
            continue;
        }
        std::size_t n = ReadUtf8(bytes, i, cp);
        if (n == 0) {
            return false;
        }
        i += n;
    }
    return true;
}

Charset PageCharset(const CHtmlPage& page, std::string_view text) {
    if (auto declared = CharsetFromLabel(DeclaredCharsetLabel(page))) {
        return *declared;
    }
    return IsValidUtf8(text) ? Charset::Utf8 : Charset::Windows1252;
}

std::string DecodeToUtf8(std::string_view bytes, Charset charset) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    if (charset == Charset::Utf8) {
        std::uint32_t cp = 0;
        for (std::size_t i = 0; i < bytes.size();) {
            std::size_t n = ReadUtf8(bytes, i, cp);
            if (n == 0) {
                AppendUtf8(out, 0xFFFD);
                ++i;
            } else {
                out.append(bytes.substr(i, n));
                i += n;
            }
        }
        return out;
    }
    for (char c : bytes) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u >= 0x80 && u <= 0x9F && charset != Charset::Latin1) {
            AppendUtf8(out, kCp1252High[u - 0x80]);
        } else {
            AppendUtf8(out, u);
        }
    }
    return out;
}

std::string EncodeFromUtf8(std::string_view utf8, Charset charset) {
    if (charset == Charset::Utf8) {
        return std::string(utf8);
    }
    std::string out;
    out.reserve(utf8.size());
    std::uint32_t cp = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        std::size_t n = ReadUtf8(utf8, i, cp);
        if (n == 0) {
            cp = 0xFFFD;
            n = 1;
        }
        i += n;
        if (cp < 0x80) {
            out += static_cast<char>(cp);
            continue;
        }
        if (charset == Charset::Latin1) {
            if (cp <= 0xFF) {
                out += static_cast<char>(cp);
            } else {
                AppendReference(out, cp);
            }
            continue;
        }
        // Windows-1252, and US-ASCII read the same way.
        if (cp >= 0xA0 && cp <= 0xFF) {
            out += static_cast<char>(cp);
            continue;
        }
        bool found = false;
        for (std::size_t k = 0; k < kCp1252High.size(); ++k) {
            if (kCp1252High[k] == cp) {
                out += static_cast<char>(0x80 + k);
                found = true;
                break;
            }
        }
        if (!found) {
            AppendReference(out, cp);
        }
    }
    return out;
}

} // namespace orlen
