// The sections a page is cut into: plain text, server-script blocks, tags and
// comments. Each section gives back the text it is written as.
#pragma once

#include "page/html_tag.h"

#include <string>

namespace orlen {

// Section types are bits so that a set of them is a mask.
enum SectionType : int {
    kSectionUntyped = -1,
    kSectionText = 1,
    kSectionScript = 2,
    kSectionTag = 4,
    kSectionComment = 8,
};

class CPageSection {
public:
    virtual ~CPageSection() = default;
    virtual int GetType() const { return kSectionUntyped; }
    // The section's text exactly as it is written to the file.
    virtual std::string GetText() const;
    // Appends the section's text to out; the same text as GetText without a
    // temporary copy.
    virtual void AppendTextTo(std::string& out) const { out += GetText(); }
};

class CTextSection final : public CPageSection {
public:
    // A kept tail is the rest of a page that could not be cut into sections
    // (a "<" with no ">" after it, or a tag whose ">" lies inside a quote
    // that never closes). It is written back as read and is never taken for
    // the text of an element.
    explicit CTextSection(std::string text, bool keptTail = false)
        : text_(std::move(text)), keptTail_(keptTail) {}
    int GetType() const override { return kSectionText; }
    std::string GetText() const override { return text_; }
    void AppendTextTo(std::string& out) const override { out += text_; }
    const std::string& Text() const { return text_; }
    void SetText(std::string text) { text_ = std::move(text); }
    bool KeptTail() const { return keptTail_; }

private:
    std::string text_;
    bool keptTail_;
};

// A "<? ... ?>" or "<% ... %>" block, delimiters included.
class CScriptSection final : public CPageSection {
public:
    explicit CScriptSection(std::string text) : text_(std::move(text)) {}
    int GetType() const override { return kSectionScript; }
    std::string GetText() const override { return text_; }
    void AppendTextTo(std::string& out) const override { out += text_; }
    const std::string& Text() const { return text_; }

private:
    std::string text_;
};

class CTagSection final : public CPageSection {
public:
    explicit CTagSection(std::string_view raw) : tag_(raw) {}
    int GetType() const override { return kSectionTag; }
    std::string GetText() const override { return tag_.Normalized(); }
    void AppendTextTo(std::string& out) const override { out += tag_.Normalized(); }
    CHtmlTag& Tag() { return tag_; }
    const CHtmlTag& Tag() const { return tag_; }

private:
    CHtmlTag tag_;
};

// A comment: the text between "<!--" and "-->". A comment whose closing
// marker is missing runs to the end of the page and is written back without
// one, exactly as it was read.
class CCommentSection final : public CPageSection {
public:
    explicit CCommentSection(std::string text, bool terminated = true)
        : text_(std::move(text)), terminated_(terminated) {}
    int GetType() const override { return kSectionComment; }
    std::string GetText() const override {
        std::string out;
        AppendTextTo(out);
        return out;
    }
    void AppendTextTo(std::string& out) const override {
        out += "<!--";
        out += text_;
        if (terminated_) {
            out += "-->";
        }
    }
    const std::string& Text() const { return text_; }
    bool Terminated() const { return terminated_; }

private:
    std::string text_;
    bool terminated_;
};

} // namespace orlen
