#include "shell/help_book.h"

#include "page/text_util.h"

#include "page/entities.h"
#include "page/html_tag.h"

#include <cctype>
#include <memory>

namespace orlen {

namespace {

// The tag that starts at text[at] ('<'), parsed; at moves past it. Null
// when the tag does not end.
std::unique_ptr<CHtmlTag> NextTag(std::string_view text, std::size_t& at) {
    const std::size_t end = text.find('>', at);
    if (end == std::string_view::npos) {
        at = text.size();
        return nullptr;
    }
    auto tag = std::make_unique<CHtmlTag>(text.substr(at, end + 1 - at));
    at = end + 1;
    return tag;
}

} // namespace

std::vector<HelpTopic> HelpContents(std::string_view html) {
    std::vector<HelpTopic> topics;
    // Depth of lists inside the contents list; 0 outside it.
    int depth = 0;
    HelpTopic* open = nullptr; // the link whose text is being read
    std::string linkText;
    std::size_t at = 0;
    while (at < html.size()) {
        const std::size_t lt = html.find('<', at);
        const std::size_t textEnd = lt == std::string_view::npos ? html.size() : lt;
        if (open != nullptr) {
            linkText.append(html.substr(at, textEnd - at));
        }
        if (lt == std::string_view::npos) {
            break;
        }
        at = lt;
        if (html.substr(at, 4) == "<!--") {
            const std::size_t close = html.find("-->", at + 4);
            at = close == std::string_view::npos ? html.size() : close + 3;
            continue;
        }
        std::unique_ptr<CHtmlTag> tag = NextTag(html, at);
        if (tag == nullptr) {
            break;
        }
        const bool closing = tag->Kind() == TagKind::Closing;
        if (tag->Is("ul") || tag->Is("ol")) {
            if (closing) {
                depth = depth > 0 ? depth - 1 : 0;
            } else if (depth > 0 || tag->Attribute("class") == "contents") {
                ++depth;
            }
        } else if (tag->Is("a") && depth > 0) {
            if (!closing && open == nullptr && !tag->Attribute("href").empty()) {
                topics.push_back({DecodeCharacterReferences(tag->Attribute("href")), {}});
                open = &topics.back();
                linkText.clear();
            } else if (closing && open != nullptr) {
                open->title = CollapseWhiteSpace(DecodeCharacterReferences(linkText));
                open = nullptr;
            }
        }
    }
    if (open != nullptr) {
        open->title = CollapseWhiteSpace(DecodeCharacterReferences(linkText));
    }
    return topics;
}

} // namespace orlen
