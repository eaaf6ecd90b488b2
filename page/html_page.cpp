#include "page/html_page.h"

#include "page/line_reader.h"
#include "page/text_util.h"

#include <algorithm>
#include <istream>
#include <ostream>

namespace orlen {

namespace {

// Where the text of a script or style element that starts at pos ends: at
// the first "</script" (or "</style"), in any case, that is followed by white
// space, "/" or ">", as the HTML tokenizer reads it; a "</script" inside a
// longer word such as "</scripts" or a string "</script"+">" does not end it.
// npos when the element runs to the end of the text.
std::size_t FindRawTextEnd(const std::string& text, std::string_view closing, std::size_t pos) {
    for (std::size_t at = text.find("</", pos); at != std::string::npos;
         at = text.find("</", at + 1)) {
        if (text.size() - at <= closing.size()) {
            return std::string::npos;
        }
        std::size_t i = 2;
        while (i < closing.size() && AsciiLower(text[at + i]) == closing[i]) {
            ++i;
        }
        if (i < closing.size()) {
            continue;
        }
        const char after = text[at + closing.size()];
        if (after == ' ' || after == '\t' || after == '\n' || after == '\f' || after == '\r' ||
            after == '/' || after == '>') {
            return at;
        }
    }
    return std::string::npos;
}

} // namespace

int CHtmlPage::Load(std::istream& in, int bodyVerbatim) {
    std::string bytes;
    if (!ReadAll(in, bytes)) {
        return 0;
    }
    LinesToCrLfInPlace(bytes);
    SetText(std::move(bytes), bodyVerbatim);
    return 1;
}

int CHtmlPage::Store(std::ostream& out) {
    const std::string& text = GetText();
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    return out ? 1 : 0;
}

std::string_view FirstLineEnd(std::string_view text) {
    const std::size_t at = text.find_first_of("\r\n");
    if (at == std::string_view::npos || text[at] == '\n') {
        return "\n";
    }
    return at + 1 < text.size() && text[at + 1] == '\n' ? std::string_view("\r\n")
                                                        : std::string_view("\r");
}

void CHtmlPage::SetHeadText(std::string text) {
    Reset(std::move(text), 0, true);
}

void CHtmlPage::SetText(std::string text, int bodyVerbatim) {
    Reset(std::move(text), bodyVerbatim, false);
    Rebuild();
}

void CHtmlPage::Reset(std::string text, int bodyVerbatim, bool headOnly) {
    sections_.clear();
    source_ = std::move(text);
    bodyVerbatim_ = bodyVerbatim;
    headOnly_ = headOnly;
    restFrom_ = std::string::npos;
    restHasNoMeta_ = false;
    headEnd_ = std::string::npos;
    bodyTextPosition_ = -1;
    lineEnd_ = FirstLineEnd(source_);
    InvalidateMetaIndex();
    const CutMarks marks = Split(source_, 0, headOnly || bodyVerbatim != 0);
    headEnd_ = marks.headEnd;
    bodyTextPosition_ = marks.bodyTextPosition;
    restFrom_ = marks.restFrom;
    RecordLandmarks();
    if (bodyTextPosition_ < 0) {
        // Nothing is written from the loaded text: its buffer becomes the
        // one the text is rebuilt into.
        text_ = std::move(source_);
        source_.clear();
    }
}

std::string_view CHtmlPage::SavedBody() const {
    if (bodyTextPosition_ < 0) {
        return {};
    }
    return std::string_view(source_).substr(static_cast<std::size_t>(bodyTextPosition_));
}

const CHtmlPage::SectionList& CHtmlPage::Sections() const {
    CutRest();
    return sections_;
}

CHtmlPage::Position CHtmlPage::Begin() {
    CutRest();
    return sections_.begin();
}

CHtmlPage::Position CHtmlPage::OpeningBody() {
    CutRest();
    return openingBody_;
}

CHtmlPage::Position CHtmlPage::ClosingBody() {
    CutRest();
    return closingBody_;
}

void CHtmlPage::CutRest() const {
    if (restFrom_ == std::string::npos) {
        return;
    }
    const std::size_t from = restFrom_;
    restFrom_ = std::string::npos;
    auto& list = sections_;
    const Position last = list.empty() ? list.end() : std::prev(list.end());
    // The opening body tag is behind: the cut finds no marks.
    Split(source_, from, false);
    // The landmarks are those of the page as loaded, whatever was inserted
    // into the head since: the opening body tag is where the cut stopped,
    // and a closing one not met before it is the first in the new part.
    if (closingBody_ == list.end()) {
        for (Position it = last == list.end() ? list.begin() : std::next(last); it != list.end();
             ++it) {
            const CHtmlTag* tag = TagAt(it);
            if (tag != nullptr && tag->IsClosing("body")) {
                closingBody_ = it;
                break;
            }
        }
    }
    InvalidateMetaIndex();
}

const std::string& CHtmlPage::GetText() {
    Rebuild();
    return text_;
}

// Cuts the text into sections in one left-to-right pass.
//
// Two kinds of tail are kept verbatim as a single last section, so that
// nothing is ever dropped or rewritten: a "<" with no ">" anywhere after it
// (kept as text), and a comment whose "-->" never comes (kept as a comment
// written back without the closing marker). A tag whose closing ">" lies
// inside an unterminated quote likewise runs to the end of the text; it is
// kept as text rather than normalized, which would turn its line breaks into
// spaces and append a quote and a ">" that the page never had.
CHtmlPage::CutMarks CHtmlPage::Split(const std::string& t, std::size_t p, bool stopAtBody) const {
    CutMarks marks;
    const std::size_t n = t.size();
    const std::size_t lastGt = t.rfind('>');

    while (p < n) {
        if (t[p] != '<') {
            std::size_t next = t.find('<', p);
            if (next == std::string::npos) {
                next = n;
            }
            sections_.push_back(std::make_unique<CTextSection>(t.substr(p, next - p)));
            p = next;
            continue;
        }
        if (lastGt == std::string::npos || lastGt < p + 2) {
            sections_.push_back(std::make_unique<CTextSection>(t.substr(p), true));
            break;
        }
        if (t.compare(p, 4, "<!--") == 0) {
            std::size_t close = t.find("-->", p + 4);
            if (close == std::string::npos) {
                sections_.push_back(std::make_unique<CCommentSection>(t.substr(p + 4), false));
                break;
            }
            sections_.push_back(std::make_unique<CCommentSection>(t.substr(p + 4, close - p - 4)));
            p = close + 3;
            continue;
        }
        if (t[p + 1] == '?' || t[p + 1] == '%') {
            const char marker[2] = {t[p + 1], '>'};
            std::size_t close = t.find(std::string_view(marker, 2), p);
            std::size_t end = close == std::string::npos ? n : close + 2;
            sections_.push_back(std::make_unique<CScriptSection>(t.substr(p, end - p)));
            p = end;
            continue;
        }
        // A tag: up to the first ">" outside quotes.
        bool inQuote = false;
        char quoteChar = 0;
        std::size_t end = std::string::npos;
        for (std::size_t i = p + 1; i < n; ++i) {
            char c = t[i];
            if (inQuote) {
                if (c == quoteChar) {
                    inQuote = false;
                }
            } else if (c == '"' || c == '\'') {
                inQuote = true;
                quoteChar = c;
            } else if (c == '>') {
                end = i + 1;
                break;
            }
        }
        if (end == std::string::npos) {
            sections_.push_back(std::make_unique<CTextSection>(t.substr(p), true));
            break;
        }
        auto section = std::make_unique<CTagSection>(std::string_view(t).substr(p, end - p));
        bool stop = headOnly_ && section->Tag().Is("body");
        if (stop) {
            marks.headEnd = end;
        }
        if (bodyVerbatim_ != 0 && bodyTextPosition_ < 0 && marks.bodyTextPosition < 0 &&
            section->Tag().IsOpening("body")) {
            marks.bodyTextPosition = static_cast<std::int64_t>(p);
            if (stopAtBody) {
                marks.restFrom = end;
                stop = true;
            }
        }
        // The content of a script or style element is text up to its
        // closing tag, as browsers read it: a "<" in code such as
        // "if (a < b)" starts no tag, so the code is written back unchanged.
        const bool rawText =
            section->Tag().IsOpening("script") || section->Tag().IsOpening("style");
        const std::string_view closing = section->Tag().Is("script") ? "</script" : "</style";
        sections_.push_back(std::move(section));
        p = end;
        if (stop) {
            break;
        }
        if (rawText) {
            const std::size_t close = FindRawTextEnd(t, closing, p);
            const std::size_t textEnd = close == std::string::npos ? n : close;
            if (textEnd > p) {
                sections_.push_back(std::make_unique<CTextSection>(t.substr(p, textEnd - p)));
            }
            p = textEnd;
        }
    }
    return marks;
}

void CHtmlPage::RecordLandmarks() {
    openingBody_ = sections_.end();
    closingBody_ = sections_.end();
    for (auto it = sections_.begin(); it != sections_.end(); ++it) {
        const CHtmlTag* tag = TagAt(it);
        if (tag == nullptr || !tag->Is("body")) {
            continue;
        }
        if (tag->Kind() == TagKind::Opening && openingBody_ == sections_.end()) {
            openingBody_ = it;
        } else if (tag->Kind() == TagKind::Closing && closingBody_ == sections_.end()) {
            closingBody_ = it;
        }
        if (openingBody_ != sections_.end() && closingBody_ != sections_.end()) {
            break;
        }
    }
}

// Concatenates the sections' texts. With bodyVerbatim the text from the
// first opening body tag on is the text as it was read.
void CHtmlPage::Rebuild() {
    text_.clear(); // keeps its capacity, so rebuilding rarely reallocates
    if (bodyVerbatim_ != 0 && bodyTextPosition_ >= 0) {
        // Room for the body and a head grown by edits, in one allocation.
        text_.reserve(source_.size() + 4096);
    }
    for (auto it = sections_.begin(); it != sections_.end(); ++it) {
        if (bodyVerbatim_ != 0 && it == openingBody_) {
            text_ += SavedBody();
            return;
        }
        (*it)->AppendTextTo(text_);
    }
}

namespace {

// Whether a section can change the meta-tag index: a meta tag, or a body tag
// (which decides which meta tags count as the head's).
bool AffectsMetaIndex(const CPageSection& section) {
    const CHtmlTag* tag = CHtmlPage::TagOf(section);
    return tag != nullptr && (tag->Is("meta") || tag->Is("body"));
}

} // namespace

CHtmlPage::Position CHtmlPage::InsertBefore(Position pos, std::unique_ptr<CPageSection> section) {
    // The end of the list is the end of the page only once it is all cut.
    if (pos == sections_.end()) {
        CutRest();
    }
    const bool indexed = AffectsMetaIndex(*section);
    Position at = sections_.insert(pos, std::move(section));
    if (indexed) {
        IndexInsertedSection(at);
    }
    return at;
}

CHtmlPage::Position CHtmlPage::InsertAfter(Position pos, std::unique_ptr<CPageSection> section) {
    return InsertBefore(pos == sections_.end() ? pos : std::next(pos), std::move(section));
}

CHtmlPage::Position CHtmlPage::Remove(Position pos) {
    if (AffectsMetaIndex(**pos)) {
        UnindexSection(pos);
    }
    if (pos == openingBody_ || pos == closingBody_) {
        // The uncut rest hangs on the opening body tag: cut it first.
        CutRest();
        // Landmarks never dangle; the page's own writes never remove them.
        Position next = sections_.erase(pos);
        RecordLandmarks();
        return next;
    }
    return sections_.erase(pos);
}

// Keeps the meta-tag index up to date when a meta tag is added, so that an
// edit costs a walk over the meta tags rather than over the whole page. New
// meta tags go into the head, close to the previous meta tag or the head
// tag, so the walk back to the previous meta tag is short.
void CHtmlPage::IndexInsertedSection(Position at) {
    if (!metaIndexValid_) {
        return;
    }
    if (!TagAt(at)->Is("meta")) {
        InvalidateMetaIndex(); // a new body tag moves the head's end
        return;
    }
    bool afterBody = false;
    std::size_t index = 0;
    for (Position back = at; back != sections_.begin();) {
        --back;
        const CHtmlTag* tag = TagAt(back);
        if (tag == nullptr) {
            continue;
        }
        if (tag->Is("body")) {
            afterBody = true;
        } else if (tag->Is("meta")) {
            auto found = std::find(metaIndex_.begin(), metaIndex_.end(), back);
            index = static_cast<std::size_t>(found - metaIndex_.begin()) + 1;
            afterBody = afterBody || index > metaBeforeBody_;
            break;
        }
    }
    metaIndex_.insert(metaIndex_.begin() + static_cast<std::ptrdiff_t>(index), at);
    if (!afterBody) {
        ++metaBeforeBody_;
    }
}

void CHtmlPage::UnindexSection(Position pos) {
    if (!metaIndexValid_) {
        return;
    }
    if (!TagAt(pos)->Is("meta")) {
        InvalidateMetaIndex();
        return;
    }
    auto found = std::find(metaIndex_.begin(), metaIndex_.end(), pos);
    if (found == metaIndex_.end()) {
        InvalidateMetaIndex();
        return;
    }
    if (static_cast<std::size_t>(found - metaIndex_.begin()) < metaBeforeBody_) {
        --metaBeforeBody_;
    }
    metaIndex_.erase(found);
}

void CHtmlPage::ReplaceTag(Position pos, std::string_view text) {
    CHtmlTag* tag = TagAt(pos);
    if (tag == nullptr) {
        return;
    }
    const std::string oldName = tag->Name();
    tag->Parse(text);
    // A meta tag that stays a meta tag keeps its place in the index.
    if (oldName != tag->Name() &&
        (oldName == "meta" || oldName == "body" || tag->Is("meta") || tag->Is("body"))) {
        InvalidateMetaIndex();
    }
}

CHtmlTag* CHtmlPage::TagAt(Position pos) {
    CPageSection* section = pos->get();
    if (section->GetType() != kSectionTag) {
        return nullptr;
    }
    return &static_cast<CTagSection*>(section)->Tag();
}

const CHtmlTag* CHtmlPage::TagOf(const CPageSection& section) {
    if (section.GetType() != kSectionTag) {
        return nullptr;
    }
    return &static_cast<const CTagSection&>(section).Tag();
}

} // namespace orlen
