// Reading a page's meta-data and body text from its sections.
#include "page/html_page.h"
#include "page/text_util.h"
#include "page/title_value.h"

namespace orlen {

std::string CHtmlPage::MetaKey(const CHtmlTag& tag, bool& property) {
    property = false;
    std::string key = tag.Attribute("name");
    if (key.empty()) {
        key = tag.Attribute("http-equiv");
    }
    if (key.empty()) {
        key = tag.Attribute("property");
        property = !key.empty();
    }
    return key;
}

std::string CHtmlPage::LinkItemName(const CHtmlTag& tag) {
    if (!tag.Is("link") || tag.Kind() == TagKind::Closing) {
        return {};
    }
    const std::string rel = AsciiLower(Trim(tag.Attribute("rel")));
    if (rel == "canonical") {
        return rel;
    }
    if (rel == "alternate") {
        const std::string hreflang(Trim(tag.Attribute("hreflang")));
        if (!hreflang.empty()) {
            return "alternate:" + hreflang;
        }
    }
    return {};
}

bool CHtmlPage::ParseLinkName(std::string_view name, std::string& rel, std::string& hreflang) {
    const std::string lowered = AsciiLower(Trim(name));
    if (lowered == "canonical") {
        rel = lowered;
        hreflang.clear();
        return true;
    }
    constexpr std::string_view kAlternate = "alternate:";
    if (lowered.starts_with(kAlternate) && lowered.size() > kAlternate.size()) {
        rel = "alternate";
        hreflang = std::string(Trim(Trim(name).substr(kAlternate.size())));
        return !hreflang.empty();
    }
    return false;
}

void CHtmlPage::RefreshMetaIndex() const {
    if (metaIndexValid_) {
        return;
    }
    auto& sections = sections_;
    metaIndex_.clear();
    metaBeforeBody_ = 0;
    bool bodySeen = false;
    for (auto it = sections.begin(); it != sections.end(); ++it) {
        const CHtmlTag* tag = TagAt(it);
        if (tag == nullptr) {
            continue;
        }
        if (tag->Is("body")) {
            bodySeen = true;
        } else if (tag->Is("meta")) {
            metaIndex_.push_back(it);
            if (!bodySeen) {
                ++metaBeforeBody_;
            }
        }
    }
    metaIndexValid_ = true;
}

std::string CHtmlPage::GetTitle() const {
    for (ConstPosition it : HeadSections()) {
        const CHtmlTag* tag = TagOf(**it);
        if (tag != nullptr && tag->Is("title")) {
            const auto value = FindTitleValue(std::next(it), sections_.cend());
            std::string title;
            for (auto at = value.first; at != value.last; ++at) {
                (*at)->AppendTextTo(title);
            }
            return title;
        }
    }
    return {};
}

int CHtmlPage::GetMeta(int index, std::string& name, std::string& content, int& httpEquiv) const {
    RefreshMetaIndex();
    name.clear();
    content.clear();
    if (index < 0 || static_cast<std::size_t>(index) >= metaBeforeBody_) {
        return 0;
    }
    const CHtmlTag& tag = *TagAt(metaIndex_[static_cast<std::size_t>(index)]);
    bool property = false;
    name = MetaKey(tag, property);
    httpEquiv = property ? kMetaProperty : kMetaName;
    if (!property && tag.Attribute("name").empty()) {
        httpEquiv = kMetaHttpEquiv;
    }
    content = tag.Attribute("content");
    return 1;
}

MetaDataSet CHtmlPage::GetMetaDataSet() const {
    MetaDataSet set;
    set.title = GetTitle();
    MetaTag meta;
    for (int i = 0; GetMeta(i, meta.name, meta.content, meta.httpEquiv) != 0; ++i) {
        set.tags.push_back(meta);
    }
    for (MetaTag& item : GetHeadItems()) {
        if (item.httpEquiv == kHtmlLang) {
            set.hasLang = true;
            set.lang = std::move(item.content);
        } else {
            set.links.push_back(std::move(item));
        }
    }
    return set;
}

std::vector<MetaTag> CHtmlPage::GetHeadItems() const {
    std::vector<MetaTag> items;
    bool htmlSeen = false;
    MetaTag item;
    for (ConstPosition it : HeadSections()) {
        const CHtmlTag* tag = TagOf(**it);
        if (tag != nullptr && ReadHeadItem(*tag, htmlSeen, item)) {
            items.push_back(std::move(item));
        }
    }
    return items;
}

bool CHtmlPage::ReadHeadItem(const CHtmlTag& tag, bool& htmlSeen, MetaTag& item) {
    if (!htmlSeen && tag.IsOpening("html")) {
        htmlSeen = true;
        item = {kLangItemName, {}, kHtmlLang};
        return tag.GetAttribute("lang", item.content) != 0;
    }
    item.name = LinkItemName(tag);
    if (item.name.empty()) {
        return false;
    }
    item.content = tag.Attribute("href");
    item.httpEquiv = kLinkItem;
    return true;
}

CHtmlPage::Position CHtmlPage::HtmlTag() {
    for (Position it : HeadSections()) {
        const CHtmlTag* tag = TagAt(it);
        if (tag != nullptr && tag->IsOpening("html")) {
            return it;
        }
    }
    return sections_.end();
}

namespace {

// Whether text from pos on may hold a tag that reads back as a meta tag: a
// "<", maybe white space (dropped when the tag is normalized), maybe a "/",
// then "meta" in any case. Anything such a tag could be is matched, and more.
bool MayHoldMetaTag(const std::string& text, std::size_t pos) {
    const std::size_t n = text.size();
    for (std::size_t at = text.find('<', pos); at != std::string::npos;
         at = text.find('<', at + 1)) {
        std::size_t i = at + 1;
        while (i < n && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')) {
            ++i;
        }
        if (i < n && text[i] == '/') {
            ++i;
        }
        if (n - i >= 4 && AsciiLower(text[i]) == 'm' && AsciiLower(text[i + 1]) == 'e' &&
            AsciiLower(text[i + 2]) == 't' && AsciiLower(text[i + 3]) == 'a') {
            return true;
        }
    }
    return false;
}

} // namespace

CHtmlPage::Position CHtmlPage::FindMetaByName(std::string_view name, int kind) {
    if (!IsMetaTagKind(kind)) {
        return FindMetaForWrite(name, kind);
    }
    // A position handed out is one a caller may walk on from.
    CutRest();
    return FindMetaLazily(name, kind == kMetaProperty);
}

CHtmlPage::Position CHtmlPage::FindMetaLazily(std::string_view name, bool property) {
    const std::string wanted = AsciiLower(name);
    for (;;) {
        RefreshMetaIndex();
        for (Position pos : metaIndex_) {
            bool isProperty = false;
            if (AsciiLower(MetaKey(*TagAt(pos), isProperty)) == wanted && isProperty == property) {
                return pos;
            }
        }
        // Not among the tags cut so far: pages whose uncut body cannot hold
        // a meta tag are answered without cutting it.
        if (restFrom_ == std::string::npos || restHasNoMeta_) {
            return sections_.end();
        }
        if (!MayHoldMetaTag(source_, restFrom_)) {
            restHasNoMeta_ = true; // the uncut rest never changes
            return sections_.end();
        }
        CutRest();
    }
}

CHtmlPage::Position CHtmlPage::FindMetaForWrite(std::string_view name, int kind) {
    if (kind == kHtmlLang) {
        const Position html = HtmlTag();
        std::string lang;
        return IsNull(html) || TagAt(html)->GetAttribute("lang", lang) == 0 ? sections_.end()
                                                                            : html;
    }
    if (kind == kLinkItem) {
        std::string rel, hreflang;
        if (!ParseLinkName(name, rel, hreflang)) {
            return sections_.end();
        }
        const std::string wanted = AsciiLower(name);
        for (Position it : HeadSections()) {
            const CHtmlTag* tag = TagAt(it);
            if (tag != nullptr && tag->Is("link") && AsciiLower(LinkItemName(*tag)) == wanted) {
                return it;
            }
        }
        return sections_.end();
    }
    RefreshMetaIndex();
    const std::string wanted = AsciiLower(name);
    const bool property = kind == kMetaProperty;
    for (std::size_t i = 0; i < metaBeforeBody_; ++i) {
        bool isProperty = false;
        if (AsciiLower(MetaKey(*TagAt(metaIndex_[i]), isProperty)) == wanted &&
            isProperty == property) {
            return metaIndex_[i];
        }
    }
    return sections_.end();
}

std::string CHtmlPage::GetMetaContent(std::string_view name, int kind) {
    if (!IsMetaTagKind(kind)) {
        const Position pos = FindMetaForWrite(name, kind);
        if (IsNull(pos)) {
            return {};
        }
        return TagAt(pos)->Attribute(kind == kLinkItem ? "href" : "lang");
    }
    Position pos = FindMetaLazily(name, kind == kMetaProperty);
    if (IsNull(pos)) {
        return {};
    }
    return TagAt(pos)->Attribute("content");
}

int CHtmlPage::FirstSection(int mask, std::string& text) {
    CutRest();
    if ((mask & (kSectionText | kSectionScript | kSectionTag)) == 0) {
        mask |= 7;
    }
    iter_.mask = mask;
    iter_.stack.clear();
    iter_.openCount.clear();
    iter_.collapse = true;
    iter_.lastWasNonSpace = true;
    iter_.current = openingBody_;
    if (iter_.current == sections_.end()) {
        text.clear();
        return 0;
    }
    // The search starts at the opening body tag itself.
    return NextSectionFrom(iter_.current, text);
}

int CHtmlPage::NextSection(std::string& text) {
    if (iter_.current == sections_.end() || iter_.current == closingBody_) {
        text.clear();
        return 0;
    }
    return NextSectionFrom(std::next(iter_.current), text);
}

int CHtmlPage::NextSectionFrom(Position pos, std::string& text) {
    for (; pos != sections_.end() && pos != closingBody_; ++pos) {
        const int type = (*pos)->GetType();
        if ((type & iter_.mask) == 0) {
            continue;
        }
        iter_.current = pos;
        if (type == kSectionText) {
            text = CollapseText(static_cast<const CTextSection&>(**pos).Text());
        } else {
            text = (*pos)->GetText();
        }
        if (type == kSectionTag) {
            TrackOpenElements(*TagAt(pos));
        }
        return type;
    }
    iter_.current = sections_.end();
    text.clear();
    return 0;
}

void CHtmlPage::TrackOpenElements(const CHtmlTag& tag) {
    auto& stack = iter_.stack;
    if (tag.Kind() == TagKind::Opening) {
        stack.push_back(&tag);
        ++iter_.openCount[tag.Name()];
    } else if (tag.Kind() == TagKind::Closing) {
        auto found = iter_.openCount.find(tag.Name());
        if (found != iter_.openCount.end() && found->second > 0) {
            // Pop the nearest open element of that name and all above it.
            while (!stack.empty()) {
                const CHtmlTag* top = stack.back();
                stack.pop_back();
                --iter_.openCount[top->Name()];
                if (top->Name() == tag.Name()) {
                    break;
                }
            }
        }
    }
    iter_.collapse = stack.empty() || !stack.back()->Element().KeepsTextLayout();
}

std::string CHtmlPage::CollapseText(const std::string& in) {
    if (!iter_.collapse) {
        iter_.lastWasNonSpace = true;
        return in;
    }
    std::string out;
    out.reserve(in.size());
    for (char c : in) {
        if (static_cast<unsigned char>(c) <= 32) {
            if (iter_.lastWasNonSpace) {
                out += ' ';
                iter_.lastWasNonSpace = false;
            }
        } else {
            out += c;
            iter_.lastWasNonSpace = true;
        }
    }
    return out;
}

std::string CHtmlPage::GetBodyText() {
    std::string r;
    if (IsNull(openingBody_)) {
        return r;
    }
    std::string text;
    for (int type = FirstSection(kSectionText | kSectionTag | kSectionComment, text); type != 0;
         type = NextSection(text)) {
        if (type == kSectionText) {
            // Line breaks and tabs become spaces, then each pair of spaces
            // becomes one (a single left-to-right pass).
            bool pendingSpace = false;
            for (char c : text) {
                if (c == '\r' || c == '\n' || c == '\t') {
                    c = ' ';
                }
                if (c == ' ') {
                    if (pendingSpace) {
                        r += ' ';
                        pendingSpace = false;
                    } else {
                        pendingSpace = true;
                    }
                    continue;
                }
                if (pendingSpace) {
                    r += ' ';
                    pendingSpace = false;
                }
                r += c;
            }
            if (pendingSpace) {
                r += ' ';
            }
        } else {
            // Tags and comments separate words, except bold and italic
            // opening tags; their own text is never added.
            const bool boldOrItalic = text.size() == 3 && text[0] == '<' && text[2] == '>' &&
                                      (AsciiLower(text[1]) == 'b' || AsciiLower(text[1]) == 'i');
            if ((r.empty() || r.back() != ' ') && !boldOrItalic) {
                r += ' ';
            }
        }
    }
    const auto isSpace = [](char c) {
        return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
    };
    std::size_t begin = 0;
    while (begin < r.size() && isSpace(r[begin])) {
        ++begin;
    }
    std::size_t end = r.size();
    while (end > begin && isSpace(r[end - 1])) {
        --end;
    }
    return r.substr(begin, end - begin);
}

} // namespace orlen
