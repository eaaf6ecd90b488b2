// Changing a page's title and meta tags.
//
// Every write looks only at the sections before the first tag named "body":
// from that tag on the page is written back as it was read, so a change made
// there would be lost.
#include "page/html_page.h"
#include "page/text_util.h"
#include "page/title_value.h"

#include "page/page_messages.h"

#include <algorithm>
#include <vector>

namespace orlen {

namespace {

// What goes in front of a new meta tag, after the page's line end.
constexpr char kNewMetaIndent = '\t';

std::string EscapeTitle(std::string_view title) {
    std::string out;
    out.reserve(title.size());
    for (char c : title) {
        if (c == '<') {
            out += "&lt;";
        } else if (c == '>') {
            out += "&gt;";
        } else {
            out += c;
        }
    }
    return out;
}

// A title as the sections it is written as: text with "<" and ">" escaped,
// and the server-script blocks ("<?...?>", "<%...%>") it holds as they stand,
// so that a title read from `<title><?php echo $t; ?> - Shop</title>` and
// set again keeps its script. A "<?" without its end is text.
std::vector<std::unique_ptr<CPageSection>> TitleSections(std::string_view title) {
    std::vector<std::unique_ptr<CPageSection>> out;
    std::size_t text = 0;
    std::size_t at = 0;
    while ((at = title.find('<', at)) != std::string_view::npos) {
        const char kind = at + 1 < title.size() ? title[at + 1] : '\0';
        const char marker[2] = {kind, '>'};
        const std::size_t close = kind == '?' || kind == '%'
                                      ? title.find(std::string_view(marker, 2), at + 1)
                                      : std::string_view::npos;
        if (close == std::string_view::npos) {
            ++at;
            continue;
        }
        if (at > text) {
            out.push_back(
                std::make_unique<CTextSection>(EscapeTitle(title.substr(text, at - text))));
        }
        out.push_back(
            std::make_unique<CScriptSection>(std::string(title.substr(at, close + 2 - at))));
        at = text = close + 2;
    }
    if (text < title.size() || out.empty()) {
        out.push_back(std::make_unique<CTextSection>(EscapeTitle(title.substr(text))));
    }
    return out;
}

} // namespace

std::string CHtmlPage::BuildMetaText(std::string_view name, std::string_view content,
                                     int httpEquiv) {
    if (httpEquiv == kLinkItem) {
        std::string rel, hreflang;
        ParseLinkName(name, rel, hreflang);
        std::string text = "<link rel=" + CHtmlTag::QuoteValue(rel);
        if (!hreflang.empty()) {
            text += " hreflang=";
            text += CHtmlTag::QuoteValue(hreflang);
        }
        text += " href=";
        text += CHtmlTag::QuoteValue(content);
        text += "/>";
        return text;
    }
    std::string text = "<meta ";
    text += httpEquiv == kMetaHttpEquiv  ? "http-equiv="
            : httpEquiv == kMetaProperty ? "property="
                                         : "name=";
    text += CHtmlTag::QuoteValue(name);
    text += " content=";
    text += CHtmlTag::QuoteValue(content);
    text += "/>";
    return text;
}

CHtmlPage::Position CHtmlPage::InsertionPoint() {
    Position candidate = sections_.end();
    Position firstHead = sections_.end();
    for (Position it : HeadSections()) {
        const CHtmlTag* tag = TagAt(it);
        if (tag == nullptr) {
            continue;
        }
        if (tag->Is("meta")) {
            candidate = it;
        } else if (tag->Is("head")) {
            if (firstHead != sections_.end()) {
                break;
            }
            firstHead = it;
        }
    }
    return candidate != sections_.end() ? candidate : firstHead;
}

int CHtmlPage::HasMetaDataPosition() {
    return IsNull(InsertionPoint()) ? 0 : 1;
}

int CHtmlPage::WriteMetaTag(std::string_view name, int kind, std::string_view text,
                            std::string_view indent) {
    Position found = FindMetaForWrite(name, kind);
    if (!IsNull(found)) {
        ReplaceTag(found, text);
        return 1;
    }
    Position at = InsertionPoint();
    if (IsNull(at)) {
        return 0;
    }
    if (!indent.empty()) {
        at = InsertAfter(at, std::make_unique<CTextSection>(std::string(indent)));
    }
    InsertAfter(at, std::make_unique<CTagSection>(text));
    return 1;
}

int CHtmlPage::SetMeta(std::string_view name, std::string_view content, int httpEquiv) {
    if (httpEquiv == kHtmlLang) {
        const Position html = HtmlTag();
        if (IsNull(html)) {
            return 0;
        }
        SetTagAttribute(html, "lang", content);
        return 1;
    }
    if (httpEquiv == kLinkItem) {
        std::string rel, hreflang;
        if (!ParseLinkName(name, rel, hreflang)) {
            return 0;
        }
        // A link keeps its other attributes (type, title, media): only the
        // address changes.
        const Position found = FindMetaForWrite(name, kLinkItem);
        if (!IsNull(found)) {
            SetTagAttribute(found, "href", content);
            return 1;
        }
    }
    return WriteMetaTag(name, httpEquiv, BuildMetaText(name, content, httpEquiv),
                        std::string(lineEnd_) + kNewMetaIndent);
}

int CHtmlPage::RemoveMeta(std::string_view name, int kind) {
    if (kind == kHtmlLang) {
        const Position html = HtmlTag();
        if (!IsNull(html)) {
            TagAt(html)->RemoveAttribute("lang");
        }
        return 1;
    }
    Position found = FindMetaForWrite(name, kind);
    if (IsNull(found)) {
        return 1;
    }
    // The tag goes with the line break that belongs to it: the line end and
    // tab a new tag is written after, else a blank text right after it. So adding
    // a tag and removing it again leaves the head exactly as it was.
    if (found != sections_.begin()) {
        Position before = std::prev(found);
        if ((*before)->GetType() == kSectionText &&
            (*before)->GetText() == std::string(lineEnd_) + kNewMetaIndent) {
            Remove(before);
            Remove(found);
            return 1;
        }
    }
    Position next = std::next(found);
    if (next != sections_.end() && Trim((*next)->GetText()).empty()) {
        Remove(next);
    }
    Remove(found);
    return 1;
}

int CHtmlPage::SetOrRemoveMeta(std::string_view name, std::string_view content, int httpEquiv) {
    std::string_view value = Trim(content);
    if (value.empty()) {
        return RemoveMeta(name, httpEquiv);
    }
    return SetMeta(name, value, httpEquiv);
}

CHtmlPage::Position CHtmlPage::TitleTag() {
    for (Position it : HeadSections()) {
        const CHtmlTag* tag = TagAt(it);
        if (tag != nullptr && tag->Is("title") && std::next(it) != sections_.end()) {
            return it;
        }
    }
    return sections_.end();
}

CHtmlPage::Position CHtmlPage::InsertTitle(Position before, std::string_view title) {
    Position last = before;
    for (auto& section : TitleSections(title)) {
        last = InsertBefore(before, std::move(section));
    }
    return last;
}

int CHtmlPage::SetTitle(std::string_view title) {
    for (Position it : HeadSections()) {
        const CHtmlTag* tag = TagAt(it);
        if (tag == nullptr) {
            continue;
        }
        if (tag->Is("title") && std::next(it) != sections_.end()) {
            // The old value goes, whatever follows it stays: the new text
            // is put in front of it. The walk ends here, so changing the
            // list under it is safe.
            const auto value = FindTitleValue(std::next(it), sections_.end());
            Position next = value.first;
            while (next != value.last) {
                next = Remove(next);
            }
            const Position titleText = InsertTitle(next, title);
            const CHtmlTag* closing = IsNull(next) ? nullptr : TagAt(next);
            if (closing != nullptr && closing->IsClosing("title")) {
                return 1;
            }
            // The title element is not closed right after its text: say so,
            // and close it; what followed is kept.
            std::string shown = IsNull(next) ? std::string() : (*next)->GetText();
            // A kept tail may be the whole rest of a large page: its first
            // line says enough.
            constexpr std::size_t kShownAtMost = 200;
            shown = shown.substr(0, std::min(shown.find_first_of("\r\n"), kShownAtMost));
            ShowPageMessage(shown + std::string(page_texts::kTitleNotClosed));
            InsertAfter(titleText, std::make_unique<CTagSection>("</title>"));
            return 1;
        }
        if (tag->IsClosing("head")) {
            InsertBefore(it, std::make_unique<CTagSection>("<title>"));
            InsertTitle(it, title);
            InsertBefore(it, std::make_unique<CTagSection>("</title>"));
            return 1;
        }
    }
    return 0;
}

} // namespace orlen
