#include "document/template_page.h"

#include <climits>

namespace orlen {

std::string CTemplatePage::BuildMetaTextWithAction(std::string_view name, std::string_view content,
                                                   int httpEquiv, int action) {
    // A page's meta tag with the action attribute before its closing "/>".
    std::string text = BuildMetaText(name, content, httpEquiv);
    text.insert(text.size() - 2, " action=\"" + std::to_string(action) + "\"");
    return text;
}

int CTemplatePage::SetMetaWithAction(std::string_view name, std::string_view content, int httpEquiv,
                                     int action) {
    if (httpEquiv == kHtmlLang) {
        const Position html = HtmlTag();
        if (IsNull(html)) {
            return 0;
        }
        SetTagAttribute(html, "lang", content);
        SetTagAttribute(html, "action", std::to_string(action));
        return 1;
    }
    if (httpEquiv == kLinkItem) {
        std::string rel, hreflang;
        if (!ParseLinkName(name, rel, hreflang)) {
            return 0;
        }
    }
    // Template tags follow each other without line breaks.
    return WriteMetaTag(name, httpEquiv, BuildMetaTextWithAction(name, content, httpEquiv, action),
                        {});
}

namespace {

// A tag's "action" attribute as leading decimal digits; -1 when absent or
// empty.
int ReadAction(const CHtmlTag& tag) {
    std::string value;
    if (tag.GetAttribute("action", value) == 0 || value.empty()) {
        return -1;
    }
    long long action = 0;
    for (char c : value) {
        if (c < '0' || c > '9') {
            break;
        }
        action = action * 10 + (c - '0');
        if (action > INT_MAX) {
            return INT_MAX;
        }
    }
    return static_cast<int>(action);
}

} // namespace

int CTemplatePage::GetMetaAction(std::string_view name, int kind) {
    Position pos = FindMetaByName(name, kind);
    return IsNull(pos) ? -1 : ReadAction(*TagAt(pos));
}

std::vector<CTemplatePage::ItemWithAction> CTemplatePage::GetHeadItemsWithActions() {
    std::vector<ItemWithAction> items;
    bool htmlSeen = false;
    MetaTag item;
    for (Position it : HeadSections()) {
        const CHtmlTag* tag = TagAt(it);
        if (tag != nullptr && ReadHeadItem(*tag, htmlSeen, item)) {
            items.push_back({std::move(item), ReadAction(*tag)});
        }
    }
    return items;
}

CHtmlPage::Position CTemplatePage::FirstTitleTag() {
    for (Position it : HeadSections()) {
        const CHtmlTag* tag = TagAt(it);
        if (tag != nullptr && tag->Is("title")) {
            return it;
        }
    }
    return End();
}

int CTemplatePage::SetTitleWithAction(std::string_view title, int action) {
    if (SetTitle(title) == 0) {
        return 0;
    }
    Position pos = FirstTitleTag();
    if (!IsNull(pos)) {
        TagAt(pos)->SetAttribute("action", std::to_string(action));
    }
    return 1;
}

int CTemplatePage::GetTitleWithAction(std::string& title, int& action) {
    Position pos = FirstTitleTag();
    if (IsNull(pos)) {
        title.clear();
        action = -1;
        return 0;
    }
    title = GetTitle();
    TagAt(pos)->GetIntAttribute("action", action);
    return 1;
}

} // namespace orlen
