// A meta-tag template: an HTML page whose title and meta tags carry an
// "action" attribute saying what applying the template does with each tag.
#pragma once

#include "page/html_page.h"

#include <string>
#include <string_view>
#include <vector>

namespace orlen {

class CTemplatePage : public CHtmlPage {
public:
    // Sets a meta tag (or link, by httpEquiv's MetaKind) with its action, in
    // place when one of that name exists, else right after the insertion
    // point (no line break before it). The language goes on the html tag,
    // with the action beside it. The content is written as given, even when
    // empty. Returns 0 when the item is new and the template has no place
    // for it.
    int SetMetaWithAction(std::string_view name, std::string_view content, int httpEquiv,
                          int action);
    // The action of the item of that name and kind: its "action" attribute
    // read as leading decimal digits (0 when there are none), -1 when the
    // attribute is absent or empty, or when there is no such item.
    int GetMetaAction(std::string_view name, int kind = kMetaName);
    // The template's links and language (see CHtmlPage::GetHeadItems), each
    // with its action, in one walk.
    struct ItemWithAction {
        MetaTag item;
        int action = -1;
    };
    std::vector<ItemWithAction> GetHeadItemsWithActions();
    // Sets the title, then its "action" attribute. Returns SetTitle's result.
    int SetTitleWithAction(std::string_view title, int action);
    // Returns 1 with the title and its action when a title tag comes before
    // any body tag; otherwise 0 with "" and -1.
    int GetTitleWithAction(std::string& title, int& action);

    static std::string BuildMetaTextWithAction(std::string_view name, std::string_view content,
                                               int httpEquiv, int action);

private:
    // The first tag named "title" before the first body tag; End() when none.
    Position FirstTitleTag();
};

} // namespace orlen
