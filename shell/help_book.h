// The help book's table of contents, read from its index page: the links
// of the index's <ul class="contents"> list, in order.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orlen {

struct HelpTopic {
    std::string file;  // the link's target as written, such as "views.html"
    std::string title; // the link's text: tags dropped, references decoded, spaces collapsed

    bool operator==(const HelpTopic&) const = default;
};

// The topics the index page's contents list links to; none when the page
// has no such list. Links of other lists and of the rest of the page are
// left out.
std::vector<HelpTopic> HelpContents(std::string_view indexHtml);

} // namespace orlen
