// The title and meta tags of one page, as the editing view sees them.
#pragma once

#include <string>
#include <vector>

namespace orlen {

struct MetaTag {
    std::string name;    // the name attribute, or http-equiv when name is ""
    std::string content; // the content attribute, "" when absent
    int httpEquiv = 0;   // 1 when the name came from http-equiv

    bool operator==(const MetaTag&) const = default;
};

struct MetaDataSet {
    std::string title;
    std::vector<MetaTag> tags;

    bool operator==(const MetaDataSet&) const = default;
};

} // namespace orlen
