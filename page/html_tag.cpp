#include "page/html_tag.h"
#include "page/text_util.h"

#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace orlen {

namespace {

bool IsQuote(char c) {
    return c == '"' || c == '\'';
}

// The bytes that, outside quotes, are copied (lower-cased) with no decision:
// all but quotes, "<", "=", ">" and white space.
constexpr auto kPlainTagBytes = [] {
    std::array<bool, 256> plain{};
    plain.fill(true);
    for (unsigned char c : std::string_view("\"'<=> \r\n\t")) {
        plain[c] = false;
    }
    return plain;
}();

inline bool IsPlainTagByte(char c) {
    return kPlainTagBytes[static_cast<unsigned char>(c)];
}

} // namespace

std::string CHtmlTag::Normalize(std::string_view raw, bool declaration) {
    std::string out;
    out.reserve(raw.size() + 2);
    NormalizeInto(out, raw, declaration);
    return out;
}

void CHtmlTag::NormalizeInto(std::string& out, std::string_view raw, bool declaration) {
    // The tag is written from base on; what out held before stays. It never
    // grows by more than a "<", a closing quote and a ">": every space it
    // writes stands for one it dropped. Writing through a pointer into room
    // made once is several times faster than appending byte by byte.
    const std::size_t base = out.size();
    out.resize(base + raw.size() + 3);
    char* const o = out.data() + base;
    std::size_t k = 0; // bytes written
    bool inQuote = false;
    char quoteChar = 0;
    bool afterDelimiter = true;
    bool pendingSpace = false;
    bool spaceAfterOpening = false;
    // Inside an unquoted attribute value: from the character after "=" to
    // the next white space or ">". Such a value keeps its bytes (a file name
    // in href=/CSS/Main.css is case-sensitive on most servers).
    bool inUnquotedValue = false;

    const std::size_t n = raw.size();
    for (std::size_t i = 0; i < n; ++i) {
        // Runs of bytes that need no decision are copied in a tight loop:
        // inside quotes every byte up to the closing quote (line breaks and
        // tabs become spaces), outside them every byte that is no quote,
        // "<", "=", ">" or white space. The byte that ends a run goes
        // through the general steps below. Past the opening "<" only, where
        // "< ?" and the like need no more care.
        if (k >= 2 && inQuote) {
            std::size_t j = i;
            for (; j < n && raw[j] != quoteChar; ++j) {
                const char c = raw[j];
                o[k++] = (c == '\r' || c == '\n' || c == '\t') ? ' ' : c;
            }
            if (j > i) {
                afterDelimiter = false;
                pendingSpace = false;
                i = j;
                if (i == n) {
                    break;
                }
            }
        } else if (k >= 2 && IsPlainTagByte(raw[i])) {
            if (!inUnquotedValue && o[k - 1] == '=') {
                inUnquotedValue = true;
            }
            if (pendingSpace && o[k - 1] != ' ' && o[k - 1] != '=') {
                o[k++] = ' ';
            }
            const bool keepCase = inUnquotedValue || declaration;
            std::size_t j = i;
            for (; j < n && IsPlainTagByte(raw[j]); ++j) {
                o[k++] = keepCase ? raw[j] : AsciiLower(raw[j]);
            }
            afterDelimiter = false;
            pendingSpace = false;
            i = j;
            if (i == n) {
                break;
            }
        }
        const char rawChar = raw[i];
        if (!inQuote && !inUnquotedValue && k > 0 && o[k - 1] == '=' && rawChar != ' ' &&
            rawChar != '\r' && rawChar != '\n' && rawChar != '\t' && rawChar != '>' &&
            !IsQuote(rawChar)) {
            inUnquotedValue = true;
        } else if (inUnquotedValue && !inQuote &&
                   (rawChar == ' ' || rawChar == '\r' || rawChar == '\n' || rawChar == '\t' ||
                    rawChar == '>')) {
            inUnquotedValue = false;
        }
        // Inside quotes and unquoted values the text keeps its case; outside
        // it is lower-cased unless the tag is a declaration.
        char c = (inQuote || inUnquotedValue || declaration) ? rawChar : AsciiLower(rawChar);
        bool opensQuote = false;
        if (!inQuote && IsQuote(c)) {
            inQuote = true;
            quoteChar = c;
            opensQuote = true;
        } else if (inQuote && c == quoteChar) {
            inQuote = false; // the closing quote is handled as outside
        }
        if (c == '\r' || c == '\n' || c == '\t') {
            c = ' ';
        }
        if (!inQuote) {
            if (c == '<' || c == '=') {
                o[k++] = c;
                afterDelimiter = true;
                pendingSpace = false;
                continue;
            }
            if (c == ' ') {
                if (!afterDelimiter) {
                    pendingSpace = true;
                } else if (k == 1 && o[0] == '<') {
                    spaceAfterOpening = true;
                }
                continue;
            }
        }
        // "< ?", "< %" and "< !" stay apart: without the space the tag would
        // read back as a script block, a comment or a declaration.
        if (spaceAfterOpening && k == 1 && o[0] == '<' && (c == '?' || c == '%' || c == '!')) {
            o[k++] = ' ';
        }
        // Any other character. A pending space is written before it when it
        // is outside quotes, and before an opening quote, so that
        // `<!DOCTYPE a "b">` keeps the space before "b".
        afterDelimiter = false;
        if (pendingSpace && (!inQuote || opensQuote) && k > 0 && o[k - 1] != ' ' &&
            o[k - 1] != '=') {
            o[k++] = ' ';
        }
        o[k++] = c;
        pendingSpace = false;
        if (!inQuote && c == '>') {
            break;
        }
    }
    if (inQuote) {
        o[k++] = quoteChar;
    }
    if (k == 0 || o[k - 1] != '>') {
        o[k++] = '>';
    }
    if (o[0] != '<') {
        std::memmove(o + 1, o, k);
        o[0] = '<';
        ++k;
    }
    out.resize(base + k);
}

void CHtmlTag::Parse(std::string_view raw, int declaration) {
    declaration_ = declaration;
    if (raw.size() > 1 && raw[1] == '!') {
        declaration_ = 1;
    }
    normalized_ = Normalize(raw, declaration_ != 0);
    std::string_view name;
    ReadNameAndKind(normalized_, name, kind_);
    name_ = name;
    element_ = LookupElement(name_);
    if (element_.HasEmptyContent()) {
        kind_ = TagKind::Empty;
    }
}

void CHtmlTag::ReadNameAndKind(std::string_view normalized, std::string_view& name, TagKind& kind) {
    // The name runs from the second character to the first space, or to the
    // last character (the ">") when there is no space.
    const std::size_t space = normalized.find(' ');
    const std::size_t end = space != std::string_view::npos ? space : normalized.size() - 1;
    name = end > 1 ? normalized.substr(1, end - 1) : std::string_view();

    const std::size_t slash = name.find('/');
    if (slash == std::string_view::npos) {
        kind = TagKind::Opening;
    } else if (slash == 0) {
        kind = TagKind::Closing;
        name.remove_prefix(1);
    } else {
        kind = TagKind::Empty;
        name = name.substr(0, slash);
    }
}

std::size_t CHtmlTag::FindAttribute(std::string_view name) const {
    const std::string& s = normalized_;
    std::string lowered;
    if (declaration_ != 0) {
        lowered = AsciiLower(name);
        name = lowered;
    }
    if (name.empty() || s.size() <= name.size()) {
        return std::string::npos;
    }
    // Attribute names only count outside quoted values, so that a content
    // such as "take action now" is never taken for an attribute.
    bool inQuote = false;
    char quoteChar = 0;
    const std::size_t limit = s.size() - name.size();
    for (std::size_t i = 0; i < limit; ++i) {
        char c = s[i];
        if (inQuote) {
            if (c == quoteChar) {
                inQuote = false;
            }
            continue;
        }
        if (IsQuote(c)) {
            inQuote = true;
            quoteChar = c;
            continue;
        }
        if (i < 2 || s[i - 1] != ' ' || c != name[0]) {
            continue;
        }
        if (s.compare(i, name.size(), name) != 0) {
            continue;
        }
        char after = s[i + name.size()];
        if (after == ' ' || after == '=' || after == '>') {
            return i;
        }
    }
    return std::string::npos;
}

int CHtmlTag::GetAttribute(std::string_view name, std::string& value) const {
    value.clear();
    std::size_t i = FindAttribute(name);
    if (i == std::string::npos) {
        return 0;
    }
    const std::string& s = normalized_;
    std::size_t j = i + name.size();
    if (j < s.size() && s[j] == '=') {
        ++j;
        if (j < s.size() && IsQuote(s[j])) {
            std::size_t close = s.find(s[j], j + 1);
            if (close == std::string::npos) {
                close = s.size();
            }
            value = s.substr(j + 1, close - j - 1);
        } else {
            std::size_t stop = s.find_first_of(" >", j);
            if (stop == std::string::npos) {
                stop = s.size();
            }
            value = s.substr(j, stop - j);
        }
    }
    return 1;
}

std::string CHtmlTag::Attribute(std::string_view name) const {
    std::string value;
    GetAttribute(name, value);
    return value;
}

int CHtmlTag::GetIntAttribute(std::string_view name, int& value) const {
    std::string text;
    if (GetAttribute(name, text) == 0) {
        value = 0;
        return 0;
    }
    if (text.empty()) {
        value = 1;
        return 1;
    }
    text = AsciiLower(text);
    if (text == "true") {
        value = 1;
    } else if (text == "false") {
        value = 0;
    } else {
        errno = 0;
        long long n = std::strtoll(text.c_str(), nullptr, 0);
        if (n > INT_MAX) {
            n = INT_MAX;
        } else if (n < INT_MIN) {
            n = INT_MIN;
        }
        value = static_cast<int>(n);
    }
    return 1;
}

std::string CHtmlTag::QuoteValue(std::string_view value) {
    bool hasDouble = value.find('"') != std::string_view::npos;
    bool hasSingle = value.find('\'') != std::string_view::npos;
    if (!hasDouble) {
        return '"' + std::string(value) + '"';
    }
    if (!hasSingle) {
        return '\'' + std::string(value) + '\'';
    }
    std::string out = "\"";
    for (char c : value) {
        if (c == '"') {
            out += "&quot;";
        } else {
            out += c;
        }
    }
    out += '"';
    return out;
}

std::size_t CHtmlTag::AttributeEnd(std::size_t at, std::string_view name) const {
    const std::string& s = normalized_;
    std::size_t j = at + name.size();
    if (j < s.size() && s[j] == '=') {
        ++j;
        if (j < s.size() && IsQuote(s[j])) {
            std::size_t close = s.find(s[j], j + 1);
            j = close == std::string::npos ? s.size() : close + 1;
        } else {
            // An unquoted value runs to the next space or ">", as reading
            // it does.
            std::size_t stop = s.find_first_of(" >", j);
            j = stop == std::string::npos ? s.size() : stop;
        }
    }
    return j;
}

void CHtmlTag::RemoveAttribute(std::string_view name) {
    const std::size_t at = FindAttribute(name);
    if (at == std::string::npos) {
        return;
    }
    // The attribute goes with the single space in front of it.
    normalized_.erase(at - 1, AttributeEnd(at, name) - (at - 1));
}

void CHtmlTag::SetAttribute(std::string_view name, std::string_view value) {
    const std::string& s = normalized_;
    std::string prefix;
    std::string suffix;
    std::size_t i = FindAttribute(name);
    if (i != std::string::npos) {
        prefix = s.substr(0, i + name.size());
        suffix = s.substr(AttributeEnd(i, name));
    } else {
        // A new attribute goes before the closing ">" (or "/>" of a
        // self-closed tag), after exactly one space.
        std::size_t end = s.size() - 1;
        if (end > 1 && s[end - 1] == '/') {
            --end;
        }
        suffix = s.substr(end);
        prefix = s.substr(0, end);
        // Spaces after "=" and "<" vanish when a tag is read, so a last
        // attribute written as a bare "name=" (or ending in a stray "<")
        // would swallow the new attribute when the tag is read again: an
        // empty quoted value keeps them apart.
        if (prefix.back() == '=' || prefix.back() == '<') {
            prefix += "\"\"";
        }
        if (prefix.back() != ' ') {
            prefix += ' ';
        }
        prefix += name;
    }
    if (!value.empty()) {
        prefix += '=';
        prefix += QuoteValue(value);
    }
    normalized_ = prefix + suffix;
}

} // namespace orlen
