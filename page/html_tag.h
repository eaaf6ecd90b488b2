// One HTML tag: its text as found, its normalized text, name and kind, and
// attribute access on the normalized text.
#pragma once

#include "page/element_table.h"

#include <string>
#include <string_view>

namespace orlen {

enum class TagKind : int { Closing = -1, Empty = 0, Opening = 1 };

class CHtmlTag {
public:
    CHtmlTag() = default;
    explicit CHtmlTag(std::string_view raw) { Parse(raw); }

    // Normalizes the raw tag text and derives name and kind. A raw text
    // whose second character is "!" is a declaration and keeps its case.
    // Only the normalized text is kept: it is what is written back, and
    // everything else is read from it.
    void Parse(std::string_view raw, int declaration = 0);

    const std::string& Name() const { return name_; }
    const std::string& Normalized() const { return normalized_; }
    int Declaration() const { return declaration_; }
    TagKind Kind() const { return kind_; }
    const ElementRow& Element() const { return element_; }

    bool Is(std::string_view name) const { return name_ == name; }
    bool IsOpening(std::string_view name) const {
        return kind_ == TagKind::Opening && name_ == name;
    }
    bool IsClosing(std::string_view name) const {
        return kind_ == TagKind::Closing && name_ == name;
    }

    // Reads an attribute. Returns 1 and its value when present (a bare
    // attribute has the value ""), 0 and "" when absent.
    int GetAttribute(std::string_view name, std::string& value) const;
    // Convenience: the attribute's value, "" when absent.
    std::string Attribute(std::string_view name) const;

    // Reads an attribute as an integer: "true" is 1, "false" 0, a bare
    // attribute 1, otherwise a decimal, 0x-hexadecimal or 0-octal number
    // (0 when unreadable). Returns the found flag.
    int GetIntAttribute(std::string_view name, int& value) const;

    // Writes an attribute into the normalized text, replacing the old value
    // or appending the attribute before the closing ">". Name and kind are
    // left as they are.
    void SetAttribute(std::string_view name, std::string_view value);
    // Removes an attribute and the space before it from the normalized text;
    // nothing happens when it is absent.
    void RemoveAttribute(std::string_view name);

    // Normalizes a raw tag text: lower case outside quotes (unless a
    // declaration), single spaces between attributes, no spaces around "=",
    // line breaks and tabs turned into spaces, closed quote and ">".
    static std::string Normalize(std::string_view raw, bool declaration);
    // The same, appended to out: for writing many tags without a string each.
    static void NormalizeInto(std::string& out, std::string_view raw, bool declaration);
    // Name and kind as a normalized text gives them, before the element
    // table turns the kind of elements that never have content to Empty.
    static void ReadNameAndKind(std::string_view normalized, std::string_view& name, TagKind& kind);

    // Quotes a value for writing into a tag: double quotes, single quotes when
    // the value holds a double quote, and double quotes with each double quote
    // written as &quot; when it holds both kinds.
    static std::string QuoteValue(std::string_view value);

private:
    // Position of the attribute name in the normalized text, or npos.
    std::size_t FindAttribute(std::string_view name) const;
    // Where the attribute found at `at` ends, with its value.
    std::size_t AttributeEnd(std::size_t at, std::string_view name) const;

    std::string name_;
    std::string normalized_;
    int declaration_ = 0;
    TagKind kind_ = TagKind::Opening;
    ElementRow element_;
};

} // namespace orlen
