// One HTML page held as an ordered list of sections.
//
// Loading cuts the text into text, tag, comment and script sections; saving
// concatenates their texts again. Tags are written in normalized form, except
// that with bodyVerbatim everything from the first opening body tag on is
// written back exactly as it was read. The meta-data of the head (title and
// meta tags) is read and changed through this class; changes never touch
// anything from the first body tag on.
#pragma once

#include "page/meta_data.h"
#include "page/page_section.h"

#include <cstdint>
#include <iosfwd>
#include <iterator>
#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace orlen {

// The first line end of a text (LF, CR LF or a bare CR); LF when it has none.
std::string_view FirstLineEnd(std::string_view text);

class CHtmlPage {
public:
    using SectionList = std::list<std::unique_ptr<CPageSection>>;
    using Position = SectionList::iterator;

    CHtmlPage() = default;
    CHtmlPage(const CHtmlPage&) = delete;
    CHtmlPage& operator=(const CHtmlPage&) = delete;
    virtual ~CHtmlPage() = default;

    // --- Loading and storing ---------------------------------------------

    // Reads a whole file as lines (line ends LF, CR LF or CR become CR LF)
    // and sets it as the page text. Returns 0 when the stream fails.
    int Load(std::istream& in, int bodyVerbatim);
    // Writes the rebuilt text unchanged. Returns 0 when the stream fails.
    int Store(std::ostream& out);
    // Replaces the page: cuts the text into sections and records the
    // landmarks; the text is rebuilt when asked for.
    void SetText(std::string text, int bodyVerbatim);
    // Reads only as far as the first tag named "body", or, in a page without
    // one, as far as its last tag that meta-data reading looks at: enough for
    // the title, the head's meta tags and the charset declaration, at a
    // fraction of the cost of a large page. Such a page is for reading: its
    // rebuilt text ends where the cut stopped. The text is not kept.
    void SetHeadText(const std::string& text);
    // After SetHeadText: the offset just after the body tag where the cut
    // stopped, or npos when the text ran out first. Text after that offset
    // changes nothing read from such a page, so a caller may pass only the
    // start of a large file and read more only while this is npos.
    std::size_t HeadEnd() const { return headEnd_; }
    // Rebuilds the text from the sections and returns it.
    const std::string& GetText();
    // The rebuilt text in two parts, without copying a large body: what is
    // rebuilt from the sections, and what follows it unchanged by any edit
    // (the body as read with bodyVerbatim, or the rest of a page without a
    // body tag that was never cut). GetText is the two together. Both views
    // last until the page changes or is rebuilt again. While the page is not
    // cut any further, the kept part stays the same text, so comparing the
    // rebuilt parts tells whether an edit changed the page; a later cut
    // moves text from the kept part into the rebuilt one.
    struct TextParts {
        std::string_view rebuilt;
        std::string_view kept;
    };
    TextParts GetTextParts() { return GetTextParts(false); }

    int BodyVerbatim() const { return bodyVerbatim_; }
    // The line end of what is inserted into the page (in front of a new
    // meta tag): the page's first line end, LF when it has none.
    std::string_view LineEnd() const { return lineEnd_; }
    // With bodyVerbatim, the text from the first opening body tag on as it
    // was read; empty otherwise.
    std::string_view SavedBody() const;
    std::int64_t BodyTextPosition() const { return bodyTextPosition_; }

    // --- Section list ----------------------------------------------------

    // The whole list. A page loaded with bodyVerbatim is cut into sections
    // only as far as its opening body tag (or, without one, as far as the
    // last tag of its head, see Split) until something asks for more:
    // this, Begin(), the landmarks, FindMetaByName, the body text, an insert
    // at the end or the removal of a landmark, and GetMetaContent when the
    // uncut rest may hold a meta tag. Loading, editing the head and saving
    // never need the body cut, so large pages open at the speed of copying
    // them.
    const SectionList& Sections() const;
    using ConstPosition = SectionList::const_iterator;

    // A walk over the head: the sections from the start of the page up to,
    // not including, the first tag named "body", opening or closing. Every
    // read and write of meta-data looks only there. It yields positions in
    // the list, so that a loop can look at the sections after one and can
    // change the list where it stops walking.
    template <typename It> class HeadIterator {
    public:
        using value_type = It;
        using difference_type = std::ptrdiff_t;

        HeadIterator() = default;
        HeadIterator(const CHtmlPage* page, It at) : page_(page), at_(at) { StopAtBody(); }

        It operator*() const { return at_; }
        HeadIterator& operator++() {
            // The part cut at load time ends with the opening body tag, so
            // a walk stops inside it. Should a change to the page have left
            // it without a body tag, the walk goes on into the rest, as a
            // walk over the whole page would.
            // A rest kept uncut because it lies outside the head ends the
            // walk where the cut part ends.
            if (std::next(at_) == page_->sections_.end() && !page_->restOutsideHead_) {
                page_->CutRest();
            }
            ++at_;
            StopAtBody();
            return *this;
        }
        void operator++(int) { ++*this; }
        bool operator==(std::default_sentinel_t) const { return at_ == page_->sections_.end(); }

    private:
        void StopAtBody() {
            if (at_ == page_->sections_.end()) {
                return;
            }
            const CHtmlTag* tag = TagOf(**at_);
            if (tag != nullptr && tag->Is("body")) {
                at_ = page_->sections_.end();
            }
        }

        const CHtmlPage* page_ = nullptr;
        It at_{};
    };
    template <typename It> struct HeadRange {
        HeadIterator<It> first;
        HeadIterator<It> begin() const { return first; }
        std::default_sentinel_t end() const { return {}; }
    };
    // The head walk. It cuts nothing of a body left uncut at load time.
    HeadRange<Position> HeadSections() { return {HeadIterator<Position>(this, sections_.begin())}; }
    HeadRange<ConstPosition> HeadSections() const {
        return {HeadIterator<ConstPosition>(this, sections_.cbegin())};
    }
    Position Begin();
    Position End() { return sections_.end(); }
    bool IsNull(Position pos) const { return pos == sections_.end(); }
    Position InsertBefore(Position pos, std::unique_ptr<CPageSection> section);
    Position InsertAfter(Position pos, std::unique_ptr<CPageSection> section);
    // Removes and deletes the section; returns the position after it.
    Position Remove(Position pos);

    // Landmarks: the first opening and the first closing body tag.
    // Both cut the rest of the body first, so that a walk from either
    // reaches the real end of the page.
    Position OpeningBody();
    Position ClosingBody();

    // The tag of a section, or nullptr when the section is not a tag.
    static CHtmlTag* TagAt(Position pos);
    static const CHtmlTag* TagOf(const CPageSection& section);

    // --- Reading meta-data -----------------------------------------------

    std::string GetTitle() const;
    // The index-th meta tag before the first body tag. Returns 0 and empty
    // strings when there is none. httpEquiv is the tag's MetaKind: 0 for a
    // name, 1 for http-equiv (also for a tag with neither, such as a
    // charset declaration), 2 for a property without name and http-equiv.
    int GetMeta(int index, std::string& name, std::string& content, int& httpEquiv) const;
    // Title, all meta tags, links and language in one pass.
    MetaDataSet GetMetaDataSet() const;
    // The items of the head that are not meta tags, in page order, as
    // (name, content, kind): the lang attribute of the html tag (kHtmlLang,
    // when present) and each canonical or hreflang alternate link
    // (kLinkItem, content the href).
    std::vector<MetaTag> GetHeadItems() const;
    // The first meta tag anywhere in the page whose name (or http-equiv)
    // equals name without regard to case; End() when none. With kind
    // kMetaProperty, the first whose property does (and that has neither a
    // name nor http-equiv). With kLinkItem the link of that name before the
    // first body tag, with kHtmlLang the html tag when it has a lang.
    Position FindMetaByName(std::string_view name, int kind = kMetaName);
    // The content of the item of that name and kind; "" when none.
    std::string GetMetaContent(std::string_view name, int kind = kMetaName);
    // The visible text of the body, for keyword and description suggestion.
    std::string GetBodyText();

    // Section iteration by type over the body. Returns the section's type
    // and its text, or 0 and "" at the end.
    int FirstSection(int mask, std::string& text);
    int NextSection(std::string& text);

    // --- Writing meta-data -----------------------------------------------

    // Sets the title: "<" and ">" are written as "&lt;" and "&gt;", except
    // in the server-script blocks the title holds. The old value is replaced
    // and whatever follows it is kept. Returns 0 when the page has neither a
    // title tag nor a closing head tag before its body.
    int SetTitle(std::string_view title);
    // Sets a meta tag, in place when it exists, else after the insertion
    // point. Returns 0 when the tag is new and there is no insertion point.
    // The kind (httpEquiv) chooses the item: a link has its href set (its
    // other attributes stay) or is added where a new meta tag goes; the
    // language sets the html tag's lang attribute alone (0 without an html
    // tag before the body). A link name other than "canonical" or
    // "alternate:LANG" is refused with 0.
    int SetMeta(std::string_view name, std::string_view content, int httpEquiv);
    // Removes the item of that name and kind, a tag with the blank text
    // after it; the language removes only the lang attribute.
    int RemoveMeta(std::string_view name, int kind = kMetaName);
    // 1 when a new meta tag has a place in this page.
    int HasMetaDataPosition();
    // Trims the content; an empty result removes the tag, any other sets it.
    int SetOrRemoveMeta(std::string_view name, std::string_view content, int httpEquiv);

    // The text of a meta tag (or of a link, for kLinkItem) as it is written.
    static std::string BuildMetaText(std::string_view name, std::string_view content,
                                     int httpEquiv);
    // Reads a link item's name: "canonical", or "alternate:" and the
    // language, without regard to case. False for any other name.
    static bool ParseLinkName(std::string_view name, std::string& rel, std::string& hreflang);
    // The item name of a link tag ("canonical" or "alternate:LANG"), "" when
    // the tag is no such link.
    static std::string LinkItemName(const CHtmlTag& tag);
    // Reads a tag met on a walk over the head as a head item: the lang of
    // the first opening html tag (htmlSeen, kept by the walk, tells it is
    // past), or a canonical or hreflang link. False for any other tag.
    static bool ReadHeadItem(const CHtmlTag& tag, bool& htmlSeen, MetaTag& item);

protected:
    // The item a write of that name and kind changes: the first match
    // before the first body tag; End() when none.
    Position FindMetaForWrite(std::string_view name, int kind);
    // FindMetaByName for meta kinds without cutting the rest of the body
    // unless it may hold a meta tag; for answers that hand out no position.
    Position FindMetaLazily(std::string_view name, bool property);
    // The first opening html tag before the first body tag; End() when none.
    Position HtmlTag();
    // Where a new meta tag goes: after the last meta tag of the head, else
    // after the head tag; End() when the page has no place for meta-data.
    Position InsertionPoint();
    // The first tag named "title" before the first body tag that is not the
    // last section; End() when none.
    Position TitleTag();
    // Writes a meta tag's (or link's) text in place of the item of that
    // name and kind, or as a new tag after the insertion point, with indent
    // (a text section) before it when indent is not empty. Returns 0 when a
    // new tag has no place.
    int WriteMetaTag(std::string_view name, int kind, std::string_view text,
                     std::string_view indent);
    // Inserts the sections of a title before a position; returns the last.
    Position InsertTitle(Position before, std::string_view title);
    // Re-parses the tag of a tag section from new text.
    void ReplaceTag(Position pos, std::string_view text);
    // Sets an attribute of the tag of a tag section, normalized as a tag
    // read from a page is (a line break in the value becomes a space), so
    // that the page reads back as it is written.
    void SetTagAttribute(Position pos, std::string_view name, std::string_view value);

private:
    // Where a cut stopped and where the body it met starts; npos and -1
    // for what it did not meet.
    struct CutMarks {
        std::size_t headEnd = std::string::npos;
        std::int64_t bodyTextPosition = -1;
        std::size_t restFrom = std::string::npos;
        // The rest from restFrom holds no tag that meta-data reading or
        // writing looks at, and no opening body tag.
        bool restOutsideHead = false;
    };
    // Cuts t from offset p on into sections appended to the list. With
    // stopAtBody the cutting stops after the first opening body tag and the
    // rest is left for CutRest. Const because CutRest needs it; it changes
    // only the list.
    CutMarks Split(const std::string& t, std::size_t p, bool stopAtBody) const;
    // Cuts the part of the body left uncut at load time. Const because
    // reading accessors need it; the list grows, but the page text does not
    // change.
    void CutRest() const;
    // Appends the text of the sections that cutting t from p on would make,
    // without making them: tags normalized, everything else as read.
    static void AppendCutText(std::string& out, const std::string& t, std::size_t p);
    void Reset(std::string text, int bodyVerbatim, bool headOnly);
    void RecordLandmarks();
    // With roomForAll, text_ is made large enough for the kept body too.
    TextParts GetTextParts(bool roomForAll);
    // Meta tags of the whole page and the number of them before the first
    // body tag; refreshed lazily after the section list changes.
    void RefreshMetaIndex() const;
    void InvalidateMetaIndex() const { metaIndexValid_ = false; }
    void IndexInsertedSection(Position at);
    void UnindexSection(Position pos);
    int NextSectionFrom(Position pos, std::string& text);
    void TrackOpenElements(const CHtmlTag& tag);
    std::string CollapseText(const std::string& in);
    // Name of a meta tag as matching sees it: name, else http-equiv, else
    // property (then property is set).
    static std::string MetaKey(const CHtmlTag& tag, bool& property);

    // Mutable, with restFrom_ and closingBody_: a page loaded with
    // bodyVerbatim cuts the rest of its body on the first read that needs
    // it (CutRest). The cut adds sections but changes neither the text nor
    // anything read from the page.
    mutable SectionList sections_;
    std::string text_;
    int bodyVerbatim_ = 0;
    bool headOnly_ = false;
    std::size_t headEnd_ = std::string::npos;
    std::string_view lineEnd_ = "\n";
    // The text as it was set, kept while the body is written from it.
    std::string source_;
    // Where the uncut rest of the body starts in source_; npos when the
    // whole page is cut.
    mutable std::size_t restFrom_ = std::string::npos;
    // Set once a look through the uncut rest found that it cannot hold a
    // meta tag.
    bool restHasNoMeta_ = false;
    // The uncut rest holds nothing a walk over the head looks at: a page
    // without an opening body tag, cut only as far as its last head tag.
    mutable bool restOutsideHead_ = false;
    std::int64_t bodyTextPosition_ = -1;
    Position openingBody_ = sections_.end();
    mutable Position closingBody_ = sections_.end();

    mutable bool metaIndexValid_ = false;
    mutable std::vector<Position> metaIndex_;
    mutable std::size_t metaBeforeBody_ = 0;

    // Body-text iteration state.
    struct TextIteration {
        Position current;
        int mask = 0;
        std::vector<const CHtmlTag*> stack;
        // How many tags of each name the stack holds, so that a closing tag
        // with no open partner costs nothing to look up.
        std::unordered_map<std::string, int> openCount;
        bool collapse = true;
        bool lastWasNonSpace = true;
    };
    TextIteration iter_;
};

} // namespace orlen
