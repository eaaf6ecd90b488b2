#include "page/html_page.h"

#include "page/element_table.h"
#include "page/line_reader.h"
#include "page/text_util.h"

#include <algorithm>
#include <cstring>
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

void CHtmlPage::SetHeadText(const std::string& text) {
    // Only the sections are kept, not the text: a page without a body tag
    // may be all head as far as its last meta tag, and its reader holds the
    // text already.
    Reset(std::string(), 0, true);
    lineEnd_ = FirstLineEnd(text);
    const CutMarks marks = Split(text, 0, true);
    headEnd_ = marks.headEnd;
    restOutsideHead_ = marks.restOutsideHead;
    restHasNoMeta_ = true;
    RecordLandmarks();
}

void CHtmlPage::SetText(std::string text, int bodyVerbatim) {
    // The text is rebuilt when it is asked for (GetText), not here: opening
    // a large page then costs no copy of it.
    Reset(std::move(text), bodyVerbatim, false);
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
    restOutsideHead_ = marks.restOutsideHead;
    // Nothing in a rest outside the head is a meta tag of the head, and
    // nothing in it is a meta tag at all (FindHeadTagMark would have met it).
    restHasNoMeta_ = marks.restOutsideHead;
    RecordLandmarks();
    if (bodyTextPosition_ < 0 && restFrom_ == std::string::npos) {
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
    restOutsideHead_ = false;
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
    const TextParts parts = GetTextParts(true);
    if (parts.kept.data() != text_.data() + parts.rebuilt.size()) {
        text_ += parts.kept; // the saved body, after the head rebuilt
    }
    return text_;
}

namespace {

// What the cut reads at a position: the kind of section and where it ends.
enum class Lex { Text, KeptTail, Comment, UnterminatedComment, Script, Tag };
struct Lexeme {
    Lex kind;
    std::size_t end;
};

// The section that starts at p (p < t.size()); lastGt is the last ">" of t.
//
// Two kinds of tail are kept verbatim as a single last section, so that
// nothing is ever dropped or rewritten: a "<" with no ">" anywhere after it
// (kept as text), and a comment whose "-->" never comes (kept as a comment
// written back without the closing marker). A tag whose closing ">" lies
// inside an unterminated quote likewise runs to the end of the text; it is
// kept as text rather than normalized, which would turn its line breaks into
// spaces and append a quote and a ">" that the page never had.
Lexeme NextLexeme(const std::string& t, std::size_t p, std::size_t lastGt) {
    const std::size_t n = t.size();
    if (t[p] != '<') {
        const std::size_t next = t.find('<', p);
        return {Lex::Text, next == std::string::npos ? n : next};
    }
    if (lastGt == std::string::npos || lastGt < p + 2) {
        return {Lex::KeptTail, n};
    }
    if (n - p >= 4 && t[p + 1] == '!' && t[p + 2] == '-' && t[p + 3] == '-') {
        const std::size_t close = t.find("-->", p + 4);
        if (close == std::string::npos) {
            return {Lex::UnterminatedComment, n};
        }
        return {Lex::Comment, close + 3};
    }
    if (t[p + 1] == '?' || t[p + 1] == '%') {
        const char marker[2] = {t[p + 1], '>'};
        const std::size_t close = t.find(std::string_view(marker, 2), p);
        return {Lex::Script, close == std::string::npos ? n : close + 2};
    }
    // A tag: up to the first ">" outside quotes. A quoted part is skipped
    // with memchr.
    const char* const d = t.data();
    for (std::size_t i = p + 1; i < n; ++i) {
        const char c = d[i];
        if (c == '>') {
            return {Lex::Tag, i + 1};
        }
        if (c == '"' || c == '\'') {
            const void* close = std::memchr(d + i + 1, c, n - i - 1);
            if (close == nullptr) {
                break;
            }
            i = static_cast<std::size_t>(static_cast<const char*>(close) - d);
        }
    }
    return {Lex::KeptTail, n};
}

// The content of a script or style element is text up to its closing tag,
// as browsers read it: a "<" in code such as "if (a < b)" starts no tag, so
// the code is written back unchanged. The closing text to look for after a
// tag of that name and kind; empty for other tags.
std::string_view RawTextClosing(std::string_view name, TagKind kind) {
    if (kind != TagKind::Opening) {
        return {};
    }
    if (name == "script") {
        return "</script";
    }
    if (name == "style") {
        return "</style";
    }
    return {};
}

// A tag of letters, digits and slashes only between its "<" and ">", such
// as "<P>", "</TD>" or "<BR/>": the most common tags of a body.
bool IsPlainTag(std::string_view raw) {
    for (std::size_t i = 1; i + 1 < raw.size(); ++i) {
        const char c = raw[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
              c == '/')) {
            return false;
        }
    }
    return raw.size() >= 2 && raw.front() == '<' && raw.back() == '>';
}

bool IsTagSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool StartsWithLower(const std::string& t, std::size_t at, std::string_view word) {
    if (t.size() - at < word.size()) {
        return false;
    }
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (AsciiLower(t[at + i]) != word[i]) {
            return false;
        }
    }
    return true;
}

// The first "<" from pos on that may start a tag a reading or writing of
// meta-data looks at before the first body tag: one named meta, title or
// head (opening or closing), or an opening body tag. Anything such a tag
// could be is matched (white space after the "<" is dropped when a tag is
// normalized), and more: the same words inside comments, scripts or
// attribute values, and longer names. npos when there is none.
std::size_t FindHeadTagMark(const std::string& t, std::size_t pos) {
    const std::size_t n = t.size();
    for (std::size_t at = t.find('<', pos); at != std::string::npos; at = t.find('<', at + 1)) {
        std::size_t i = at + 1;
        while (i < n && IsTagSpace(t[i])) {
            ++i;
        }
        const bool closing = i < n && t[i] == '/';
        while (i < n && (IsTagSpace(t[i]) || t[i] == '/')) {
            ++i;
        }
        if (StartsWithLower(t, i, "meta") || StartsWithLower(t, i, "title") ||
            StartsWithLower(t, i, "head") || StartsWithLower(t, i, "link") ||
            StartsWithLower(t, i, "html") || (!closing && StartsWithLower(t, i, "body"))) {
            return at;
        }
    }
    return std::string::npos;
}

} // namespace

// Cuts the text into sections in one left-to-right pass.
//
// With stopAtBody, a page cut from its start stops at the first opening
// body tag, and also where the rest of the text can hold no tag that
// meta-data reading or writing looks at (FindHeadTagMark): such a rest is
// kept as it was read, marked as outside the head, and cut only when asked,
// so a page without a body tag is as cheap to load as one with it. The cut
// goes on past the last such tag until a tag or comment after it, so that
// the title's value and the text after the last meta tag are cut too.
CHtmlPage::CutMarks CHtmlPage::Split(const std::string& t, std::size_t p, bool stopAtBody) const {
    CutMarks marks;
    const std::size_t n = t.size();
    const std::size_t lastGt = t.rfind('>');
    const bool lazyTail = stopAtBody;
    std::size_t headTagAt = lazyTail ? FindHeadTagMark(t, p) : std::string::npos;

    while (p < n) {
        const std::size_t start = p;
        const Lexeme lx = NextLexeme(t, p, lastGt);
        switch (lx.kind) {
        case Lex::Text:
            sections_.push_back(std::make_unique<CTextSection>(t.substr(p, lx.end - p)));
            p = lx.end;
            continue;
        case Lex::Script:
            sections_.push_back(std::make_unique<CScriptSection>(t.substr(p, lx.end - p)));
            p = lx.end;
            continue;
        case Lex::KeptTail:
            sections_.push_back(std::make_unique<CTextSection>(t.substr(p), true));
            return marks;
        case Lex::UnterminatedComment:
            sections_.push_back(std::make_unique<CCommentSection>(t.substr(p + 4), false));
            return marks;
        case Lex::Comment:
            sections_.push_back(
                std::make_unique<CCommentSection>(t.substr(p + 4, lx.end - 3 - p - 4)));
            p = lx.end;
            break;
        case Lex::Tag: {
            const std::size_t end = lx.end;
            auto section = std::make_unique<CTagSection>(std::string_view(t).substr(p, end - p));
            const CHtmlTag& tag = section->Tag();
            bool stop = headOnly_ && tag.Is("body");
            if (stop) {
                marks.headEnd = end;
            }
            if (bodyVerbatim_ != 0 && bodyTextPosition_ < 0 && marks.bodyTextPosition < 0 &&
                tag.IsOpening("body")) {
                marks.bodyTextPosition = static_cast<std::int64_t>(p);
                if (stopAtBody) {
                    marks.restFrom = end;
                    stop = true;
                }
            }
            const std::string_view closing = RawTextClosing(tag.Name(), tag.Kind());
            sections_.push_back(std::move(section));
            p = end;
            if (stop) {
                return marks;
            }
            if (!closing.empty()) {
                const std::size_t close = FindRawTextEnd(t, closing, p);
                const std::size_t textEnd = close == std::string::npos ? n : close;
                if (textEnd > p) {
                    sections_.push_back(std::make_unique<CTextSection>(t.substr(p, textEnd - p)));
                }
                p = textEnd;
            }
            break;
        }
        }
        // After a tag or a comment that starts past the last tag that
        // matters, look for the next one from its start (it may be one
        // itself, and then needs a section after it); with none, stop here.
        if (lazyTail && p < n && (headTagAt == std::string::npos || start > headTagAt)) {
            if (headTagAt != std::string::npos) {
                headTagAt = FindHeadTagMark(t, start);
            }
            if (headTagAt == std::string::npos) {
                marks.restFrom = p;
                marks.restOutsideHead = true;
                return marks;
            }
        }
    }
    return marks;
}

void CHtmlPage::AppendCutText(std::string& out, const std::string& t, std::size_t p) {
    const std::size_t n = t.size();
    const std::size_t lastGt = t.rfind('>');
    while (p < n) {
        const Lexeme lx = NextLexeme(t, p, lastGt);
        if (lx.kind != Lex::Tag) {
            // Text, comments and script blocks are written as they were read.
            out.append(t, p, lx.end - p);
            p = lx.end;
            continue;
        }
        const std::string_view raw = std::string_view(t).substr(p, lx.end - p);
        const std::size_t at = out.size();
        if (IsPlainTag(raw)) {
            // Normalizing such a tag only lowers its case.
            out.append(raw);
            for (char* c = out.data() + at; c != out.data() + out.size(); ++c) {
                *c = AsciiLower(*c);
            }
        } else {
            CHtmlTag::NormalizeInto(out, raw, raw.size() > 1 && raw[1] == '!');
        }
        // Only script and style elements hold raw text.
        std::string_view closing;
        if (out.size() - at > 2 && out[at + 1] == 's') {
            std::string_view name;
            TagKind kind = TagKind::Opening;
            CHtmlTag::ReadNameAndKind(std::string_view(out).substr(at), name, kind);
            closing = RawTextClosing(name, kind);
            if (!closing.empty() && LookupElement(name).HasEmptyContent()) {
                closing = {};
            }
        }
        p = lx.end;
        if (!closing.empty()) {
            const std::size_t close = FindRawTextEnd(t, closing, p);
            const std::size_t textEnd = close == std::string::npos ? n : close;
            out.append(t, p, textEnd - p);
            p = textEnd;
        }
    }
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

// Concatenates the sections' texts into text_, up to the opening body tag
// with bodyVerbatim, and the text of an uncut rest outside the head after
// them. The saved body is not copied: it is the kept part.
CHtmlPage::TextParts CHtmlPage::GetTextParts(bool roomForAll) {
    text_.clear(); // keeps its capacity, so rebuilding rarely reallocates
    const bool savedBody = bodyVerbatim_ != 0 && bodyTextPosition_ >= 0;
    if (restFrom_ != std::string::npos || (savedBody && roomForAll)) {
        // Room for the rest and a head grown by edits, in one allocation.
        ReservePageBuffer(text_, source_.size() + 4096);
    }
    for (auto it = sections_.begin(); it != sections_.end(); ++it) {
        if (bodyVerbatim_ != 0 && it == openingBody_) {
            return {text_, SavedBody()};
        }
        (*it)->AppendTextTo(text_);
    }
    // A rest left uncut because it lies outside the head is written as its
    // sections would be, without making them.
    const std::size_t rebuilt = text_.size();
    if (restFrom_ != std::string::npos) {
        AppendCutText(text_, source_, restFrom_);
    }
    const std::string_view all(text_);
    return {all.substr(0, rebuilt), all.substr(rebuilt)};
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

void CHtmlPage::SetTagAttribute(Position pos, std::string_view name, std::string_view value) {
    CHtmlTag* tag = TagAt(pos);
    if (tag == nullptr) {
        return;
    }
    tag->SetAttribute(name, value);
    const std::string text = tag->Normalized();
    ReplaceTag(pos, text);
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
