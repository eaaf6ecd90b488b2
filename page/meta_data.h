// The title and meta tags of one page, as the editing view sees them.
#pragma once

#include <string>
#include <vector>

namespace orlen {

// What names a meta-data item, and so how it is found and written. The
// numbers are kept in the settings (a user-defined tag's kind) and travel
// through templates; 0 and 1 are the meta tags of old.
enum MetaKind : int {
    kMetaName = 0,      // <meta name="NAME" content="…">
    kMetaHttpEquiv = 1, // <meta http-equiv="NAME" content="…">
    kMetaProperty = 2,  // <meta property="NAME" content="…"> (Open Graph)
    kLinkItem = 3,      // <link rel="canonical" href="…">, named "canonical", or
                        // <link rel="alternate" hreflang="L" href="…">, named "alternate:L"
    kHtmlLang = 4,      // the lang attribute of the html tag, named "lang"
};

// A meta tag kind: written as a meta tag, found among the meta tags.
inline bool IsMetaTagKind(int kind) {
    return kind != kLinkItem && kind != kHtmlLang;
}

inline constexpr char kLangItemName[] = "lang";

struct MetaTag {
    std::string name;    // the name attribute, or http-equiv when name is "",
                         // or property when both are absent; see MetaKind
    std::string content; // the content attribute, "" when absent
    int httpEquiv = 0;   // the MetaKind: 1 when the name came from http-equiv

    bool operator==(const MetaTag&) const = default;
};

struct MetaDataSet {
    std::string title;
    std::vector<MetaTag> tags;
    // The head's canonical and hreflang links (kLinkItem, content = href)
    // and the html tag's lang attribute, in page order.
    std::vector<MetaTag> links;
    bool hasLang = false;
    std::string lang;

    bool operator==(const MetaDataSet&) const = default;
};

} // namespace orlen
