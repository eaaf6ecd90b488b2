#include "page/html_tag.h"
#include "page/text_util.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace orlen {

namespace {

bool IsQuote(char c) {
    return c == '"' || c == '\'';
}

} // namespace

std::string CHtmlTag::Normalize(std::string_view raw, bool declaration) {
    std::string out;
    out.reserve(raw.size() + 2);
    bool inQuote = false;
    char quoteChar = 0;
    bool afterDelimiter = true;
    bool pendingSpace = false;
    bool spaceAfterOpening = false;
    // Inside an unquoted attribute value: from the character after "=" to
    // the next white space or ">". Such a value keeps its bytes (a file name
    // in href=/CSS/Main.css is case-sensitive on most servers).
    bool inUnquotedValue = false;

    for (char rawChar : raw) {
        if (!inQuote && !inUnquotedValue && !out.empty() && out.back() == '=' && rawChar != ' ' &&
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
                out += c;
                afterDelimiter = true;
                pendingSpace = false;
                continue;
            }
            if (c == ' ') {
                if (!afterDelimiter) {
                    pendingSpace = true;
                } else if (out == "<") {
                    spaceAfterOpening = true;
                }
                continue;
            }
        }
        // "< ?", "< %" and "< !" stay apart: without the space the tag would
        // read back as a script block, a comment or a declaration.
        if (spaceAfterOpening && out == "<" && (c == '?' || c == '%' || c == '!')) {
            out += ' ';
        }
        // Any other character. A pending space is written before it when it
        // is outside quotes, and before an opening quote, so that
        // `<!DOCTYPE a "b">` keeps the space before "b".
        afterDelimiter = false;
        if (pendingSpace && (!inQuote || opensQuote) && !out.empty() && out.back() != ' ' &&
            out.back() != '=') {
            out += ' ';
        }
        out += c;
        pendingSpace = false;
        if (!inQuote && c == '>') {
            break;
        }
    }
    if (inQuote) {
        out += quoteChar;
    }
    if (out.empty() || out.back() != '>') {
        out += '>';
    }
    if (out.front() != '<') {
        out.insert(out.begin(), '<');
    }
    return out;
}

void CHtmlTag::Parse(std::string_view raw, int declaration) {
    declaration_ = declaration;
    if (raw.size() > 1 && raw[1] == '!') {
        declaration_ = 1;
    }
    normalized_ = Normalize(raw, declaration_ != 0);

    // The name runs from the second character to the first space, or to the
    // last character (the ">") when there is no space.
    std::size_t space = normalized_.find(' ');
    std::size_t end = space != std::string::npos ? space : normalized_.size() - 1;
    name_ = end > 1 ? normalized_.substr(1, end - 1) : std::string();

    std::size_t slash = name_.find('/');
    if (slash == std::string::npos) {
        kind_ = TagKind::Opening;
    } else if (slash == 0) {
        kind_ = TagKind::Closing;
        name_.erase(0, 1);
    } else {
        kind_ = TagKind::Empty;
        name_.erase(slash);
    }
    element_ = LookupElement(name_);
    if (element_.HasEmptyContent()) {
        kind_ = TagKind::Empty;
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

void CHtmlTag::SetAttribute(std::string_view name, std::string_view value) {
    const std::string& s = normalized_;
    std::string prefix;
    std::string suffix;
    std::size_t i = FindAttribute(name);
    if (i != std::string::npos) {
        std::size_t j = i + name.size();
        prefix = s.substr(0, j);
        if (j < s.size() && s[j] == '=') {
            ++j;
            if (j < s.size() && IsQuote(s[j])) {
                std::size_t close = s.find(s[j], j + 1);
                j = close == std::string::npos ? s.size() : close + 1;
            } else {
                // An unquoted value runs to the next space or ">", as
                // reading it does.
                std::size_t stop = s.find_first_of(" >", j);
                j = stop == std::string::npos ? s.size() : stop;
            }
        }
        suffix = s.substr(j);
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
