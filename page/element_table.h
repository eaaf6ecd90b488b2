// The table of known HTML elements.
//
// Each row carries four numbers (versions, content model, parser group,
// checker). Two properties are used: the empty-content bit of the content
// model (such elements never have a closing tag) and whether the parser group
// has bit 1 or bit 8 set (elements whose text is kept as it stands when body
// text is extracted).
#pragma once

#include <cstdint>
#include <string_view>

namespace orlen {

struct ElementRow {
    std::uint32_t versions = 0;
    std::uint32_t contentModel = 0;
    std::uint32_t parserGroup = 0;
    std::uint32_t checker = 0;

    bool HasEmptyContent() const { return (contentModel & 1u) != 0; }
    bool KeepsTextLayout() const { return (parserGroup & (1u | 8u)) != 0; }
};

struct ElementEntry {
    std::string_view name;
    ElementRow row;
};

// Number of rows in the table (duplicate names included; the first row wins).
inline constexpr int kElementTableSize = 114;

// The row of an element name, compared exactly (case-sensitive); a row of
// zeros when the name is not in the table.
ElementRow LookupElement(std::string_view name);

// The table rows in order, for inspection.
const ElementEntry* ElementTableRows();

} // namespace orlen
