#include "shell/preview_text.h"

#include "page/text_util.h"

namespace orlen {

namespace {

bool IsTagSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

// The position of the first "<name" in text[from, to) that is the whole tag
// name (followed by white space, "/" or ">"), without regard to case; npos
// when none.
std::size_t FindTagStart(std::string_view text, std::string_view name, std::size_t to) {
    for (std::size_t at = text.find('<'); at != std::string_view::npos && at < to;
         at = text.find('<', at + 1)) {
        const std::size_t end = at + 1 + name.size();
        if (end > text.size() || AsciiLower(text.substr(at + 1, name.size())) != name) {
            continue;
        }
        if (end == text.size() || IsTagSpace(text[end]) || text[end] == '/' || text[end] == '>') {
            return at;
        }
    }
    return std::string_view::npos;
}

} // namespace

std::string WithBaseHref(std::string_view pageText, std::string_view baseHref) {
    const std::size_t body = FindTagStart(pageText, "body", pageText.size());
    if (FindTagStart(pageText, "base", body) != std::string_view::npos) {
        return std::string(pageText);
    }
    std::size_t insertAt = std::string_view::npos;
    const std::size_t head = FindTagStart(pageText, "head", body);
    if (head != std::string_view::npos) {
        insertAt = pageText.find('>', head);
        insertAt = insertAt == std::string_view::npos ? pageText.size() : insertAt + 1;
    } else {
        constexpr std::string_view kBom = "\xef\xbb\xbf";
        std::size_t start = pageText.starts_with(kBom) ? kBom.size() : 0;
        std::size_t first = start;
        while (first < pageText.size() && IsTagSpace(pageText[first])) {
            ++first;
        }
        if (AsciiLower(pageText.substr(first, 9)) == "<!doctype") {
            const std::size_t close = pageText.find('>', first);
            start = close == std::string_view::npos ? pageText.size() : close + 1;
        }
        insertAt = start;
    }
    std::string out;
    out.reserve(pageText.size() + baseHref.size() + 16);
    out.append(pageText.substr(0, insertAt));
    out += "<base href=\"";
    out += baseHref;
    out += "\">";
    out.append(pageText.substr(insertAt));
    return out;
}

} // namespace orlen
