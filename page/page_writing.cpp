// Changing a page's title and meta tags.
//
// Every write looks only at the sections before the first tag named "body":
// from that tag on the page is written back as it was read, so a change made
// there would be lost.
#include "page/html_page.h"
#include "page/text_util.h"

#include "page/page_messages.h"

namespace orlen {

namespace {

constexpr std::string_view kNewMetaIndent = "\r\n\t";

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

} // namespace

std::string CHtmlPage::BuildMetaText(std::string_view name, std::string_view content,
                                     int httpEquiv) {
    std::string text = "<meta ";
    text += httpEquiv == 1 ? "http-equiv=" : "name=";
    text += CHtmlTag::QuoteValue(name);
    text += " content=";
    text += CHtmlTag::QuoteValue(content);
    text += "/>";
    return text;
}

CHtmlPage::Position CHtmlPage::InsertionPoint() {
    Position candidate = sections_.end();
    Position firstHead = sections_.end();
    for (auto it = sections_.begin(); it != sections_.end(); ++it) {
        const CHtmlTag* tag = TagAt(it);
        if (tag == nullptr) {
            continue;
        }
        if (tag->Is("body")) {
            break;
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

int CHtmlPage::WriteMetaTag(std::string_view name, std::string_view text, std::string_view indent) {
    Position found = FindMetaForWrite(name);
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
    return WriteMetaTag(name, BuildMetaText(name, content, httpEquiv), kNewMetaIndent);
}

int CHtmlPage::RemoveMeta(std::string_view name) {
    Position found = FindMetaForWrite(name);
    if (IsNull(found)) {
        return 1;
    }
    // The tag goes with the line break that belongs to it: the CR LF TAB a
    // new tag is written after, else a blank text right after it. So adding
    // a tag and removing it again leaves the head exactly as it was.
    if (found != sections_.begin()) {
        Position before = std::prev(found);
        if ((*before)->GetType() == kSectionText && (*before)->GetText() == kNewMetaIndent) {
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
        return RemoveMeta(name);
    }
    return SetMeta(name, value, httpEquiv);
}

CHtmlPage::Position CHtmlPage::TitleTag() {
    for (auto it = sections_.begin(); it != sections_.end(); ++it) {
        const CHtmlTag* tag = TagAt(it);
        if (tag == nullptr) {
            continue;
        }
        if (tag->Is("body")) {
            break;
        }
        if (tag->Is("title") && std::next(it) != sections_.end()) {
            return it;
        }
    }
    return sections_.end();
}

int CHtmlPage::SetTitle(std::string_view title) {
    const std::string escaped = EscapeTitle(title);
    for (auto it = sections_.begin(); it != sections_.end(); ++it) {
        const CHtmlTag* tag = TagAt(it);
        if (tag == nullptr) {
            continue;
        }
        if (tag->Is("body")) {
            return 0;
        }
        if (tag->Is("title") && std::next(it) != sections_.end()) {
            Position next = std::next(it);
            Position titleText;
            if ((*next)->GetType() == kSectionText) {
                static_cast<CTextSection&>(**next).SetText(escaped);
                titleText = next;
                ++next;
            } else {
                titleText = InsertBefore(next, std::make_unique<CTextSection>(escaped));
            }
            const CHtmlTag* closing = IsNull(next) ? nullptr : TagAt(next);
            if (closing != nullptr && closing->IsClosing("title")) {
                return 1;
            }
            // The title element is not closed right after its text: say so,
            // and close it; what followed is kept.
            std::string shown = IsNull(next) ? std::string() : (*next)->GetText();
            ShowPageMessage(shown + std::string(page_texts::kTitleNotClosed));
            InsertAfter(titleText, std::make_unique<CTagSection>("</title>"));
            return 1;
        }
        if (tag->IsClosing("head")) {
            Position open = InsertBefore(it, std::make_unique<CTagSection>("<title>"));
            InsertAfter(open, std::make_unique<CTextSection>(escaped));
            InsertBefore(it, std::make_unique<CTagSection>("</title>"));
            return 1;
        }
    }
    return 0;
}

} // namespace orlen
