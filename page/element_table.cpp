#include "page/element_table.h"

#include <algorithm>
#include <array>

namespace orlen {

namespace {

// Content-model bit 1: the element has no content and no closing tag.
constexpr ElementRow kEmpty{1, 1, 0, 0};
// Parser group without bits 1 and 8: head-level and raw-text elements.
constexpr ElementRow kPlain{1, 0, 0, 0};
// Parser group with bit 1: ordinary block and inline elements.
constexpr ElementRow kFlow{1, 0, 1, 0};

constexpr std::array<ElementEntry, kElementTableSize> kTable{{
    {"html", kFlow},       {"head", kPlain},   {"title", kFlow},     {"base", kEmpty},
    {"link", kEmpty},      {"meta", kEmpty},   {"style", kPlain},    {"script", kPlain},
    {"server", kPlain},    {"body", kFlow},    {"frameset", kPlain}, {"p", kFlow},
    {"h1", kFlow},         {"h2", kFlow},      {"h3", kFlow},        {"h4", kFlow},
    {"h5", kFlow},         {"h6", kFlow},      {"ul", kFlow},        {"ol", kFlow},
    {"dl", kFlow},         {"dir", kFlow},     {"menu", kFlow},      {"pre", kFlow},
    {"listing", kFlow},    {"xmp", kFlow},     {"plaintext", kFlow}, {"address", kFlow},
    {"blockquote", kFlow}, {"form", kFlow},    {"isindex", kEmpty},  {"fieldset", kFlow},
    {"table", kFlow},      {"hr", kEmpty},     {"div", kFlow},       {"multicol", kFlow},
    {"nosave", kFlow},     {"layer", kFlow},   {"nolayer", kFlow},   {"align", kFlow},
    {"center", kFlow},     {"ins", kFlow},     {"del", kFlow},       {"li", kFlow},
    {"dt", kFlow},         {"dd", kFlow},      {"caption", kFlow},   {"colgroup", kFlow},
    {"col", kEmpty},       {"thead", kFlow},   {"tfoot", kFlow},     {"tbody", kFlow},
    {"tr", kFlow},         {"td", kFlow},      {"th", kFlow},        {"q", kFlow},
    {"a", kFlow},          {"br", kEmpty},     {"img", kEmpty},      {"object", kFlow},
    {"applet", kFlow},     {"servlet", kFlow}, {"param", kEmpty},    {"embed", kEmpty},
    {"noembed", kFlow},    {"iframe", kFlow},  {"frame", kEmpty},    {"noframes", kPlain},
    {"noscript", kFlow},   {"b", kFlow},       {"i", kFlow},         {"u", kFlow},
    {"tt", kFlow},         {"s", kFlow},       {"strike", kFlow},    {"big", kFlow},
    {"small", kFlow},      {"sub", kFlow},     {"sup", kFlow},       {"em", kFlow},
    {"strong", kFlow},     {"dfn", kFlow},     {"code", kFlow},      {"samp", kFlow},
    {"kbd", kFlow},        {"var", kFlow},     {"cite", kFlow},      {"abbr", kFlow},
    {"acronym", kFlow},    {"span", kFlow},    {"blink", kFlow},     {"nobr", kFlow},
    {"wbr", kEmpty},       {"marquee", kFlow}, {"bgsound", kEmpty},  {"comment", kFlow},
    {"spacer", kEmpty},    {"keygen", kEmpty}, {"nolayer", kFlow},   {"ilayer", kFlow},
    {"layer", kFlow},      {"map", kFlow},     {"area", kEmpty},     {"input", kEmpty},
    {"select", kFlow},     {"option", kPlain}, {"optgroup", kFlow},  {"textarea", kPlain},
    {"label", kFlow},      {"legend", kFlow},  {"button", kFlow},    {"basefont", kEmpty},
    {"font", kFlow},       {"bdo", kFlow},
}};

// Sorted view of the table for lookup; ties keep table order so the first
// row of a duplicated name wins.
struct SortedIndex {
    std::array<const ElementEntry*, kElementTableSize> rows{};
    SortedIndex() {
        for (int i = 0; i < kElementTableSize; ++i) {
            rows[static_cast<std::size_t>(i)] = &kTable[static_cast<std::size_t>(i)];
        }
        std::stable_sort(
            rows.begin(), rows.end(),
            [](const ElementEntry* a, const ElementEntry* b) { return a->name < b->name; });
    }
};

} // namespace

ElementRow LookupElement(std::string_view name) {
    static const SortedIndex index;
    auto it =
        std::lower_bound(index.rows.begin(), index.rows.end(), name,
                         [](const ElementEntry* e, std::string_view n) { return e->name < n; });
    if (it != index.rows.end() && (*it)->name == name) {
        return (*it)->row;
    }
    return ElementRow{};
}

const ElementEntry* ElementTableRows() {
    return kTable.data();
}

} // namespace orlen
