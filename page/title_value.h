// Which sections hold the value of a page's title element.
#pragma once

#include "page/page_section.h"

namespace orlen {

// The sections [first, last) that hold a title's value, given the section
// right after the title tag.
//
// Text and server-script blocks up to the closing title tag are the value as
// a whole, so that `<title><?php echo $t; ?> - Shop</title>` reads and writes
// as one value. Otherwise the value is the one text section right after the
// title tag, or nothing when something else follows it (a tag, a comment, or
// the kept tail of a page that could not be cut further, which is never a
// title).
template <typename It> struct TitleValue {
    It first;
    It last;
};

template <typename It> TitleValue<It> FindTitleValue(It next, It end) {
    const auto isText = [](const CPageSection& section) {
        return section.GetType() == kSectionText &&
               !static_cast<const CTextSection&>(section).KeptTail();
    };
    bool sawScript = false;
    It it = next;
    while (it != end && (isText(**it) || (*it)->GetType() == kSectionScript)) {
        sawScript = sawScript || (*it)->GetType() == kSectionScript;
        ++it;
    }
    if (sawScript && it != end && (*it)->GetType() == kSectionTag &&
        static_cast<const CTagSection&>(**it).Tag().IsClosing("title")) {
        return {next, it};
    }
    if (next != end && isText(**next)) {
        return {next, std::next(next)};
    }
    return {next, next};
}

} // namespace orlen
