// Page load and rebuild on arbitrary bytes: no crash, the body from the
// first opening body tag on is kept to the byte, rebuilding is a fixed point,
// adding then removing a tag changes nothing, line ends convert as the rule
// says, a body cut late gives what a body cut at once gives, and setting a
// title keeps everything that followed the old title.
#include "page/html_page.h"
#include "page/line_reader.h"
#include "page/page_messages.h"
#include "page/title_value.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

class QuietSink final : public orlen::MessageSink {
public:
    void ShowMessage(const std::string&) override {}
};

void Check(bool ok, int line) {
    if (!ok) {
        std::fprintf(stderr, "invariant broken at line %d\n", line);
        std::abort();
    }
}
#define CHECK(cond) Check((cond), __LINE__)

// Line ends converted byte by byte as the rule says: CR LF, LF and a bare CR
// each become CR LF, and a last line without one gains it.
std::string CrLfByRule(const std::uint8_t* data, std::size_t size) {
    std::string out;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == '\r' || data[i] == '\n') {
            out += "\r\n";
            if (data[i] == '\r' && i + 1 < size && data[i + 1] == '\n') {
                ++i;
            }
        } else {
            out += static_cast<char>(data[i]);
        }
    }
    if (size > 0 && data[size - 1] != '\r' && data[size - 1] != '\n') {
        out += "\r\n";
    }
    return out;
}

// The length of the page text up to the end of the title's value (what
// setting the title replaces), or npos when the page has no title element
// before its body.
std::size_t TextBeforeTitleEnds(orlen::CHtmlPage& page) {
    const auto& sections = page.Sections();
    std::size_t length = 0;
    for (auto it = sections.begin(); it != sections.end(); ++it) {
        const orlen::CHtmlTag* tag = orlen::CHtmlPage::TagOf(**it);
        if (tag != nullptr && tag->Is("body")) {
            return std::string::npos;
        }
        length += (*it)->GetText().size();
        if (tag != nullptr && tag->Is("title") && std::next(it) != sections.end()) {
            const auto value = orlen::FindTitleValue(std::next(it), sections.end());
            for (auto at = value.first; at != value.last; ++at) {
                length += (*at)->GetText().size();
            }
            return length;
        }
    }
    return std::string::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QuietSink quiet;
    orlen::SetPageMessageSink(&quiet);
    const std::string text =
        orlen::LinesToCrLf(std::string_view(reinterpret_cast<const char*>(data), size));
    CHECK(text == CrLfByRule(data, size));

    orlen::CHtmlPage page;
    page.SetText(text, 1);
    const std::string rebuilt = page.GetText();
    if (page.BodyTextPosition() >= 0) {
        const std::string body = text.substr(static_cast<std::size_t>(page.BodyTextPosition()));
        CHECK(rebuilt.size() >= body.size());
        CHECK(rebuilt.compare(rebuilt.size() - body.size(), body.size(), body) == 0);
    }
    orlen::CHtmlPage again;
    again.SetText(rebuilt, 1);
    CHECK(again.GetText() == rebuilt);

    // A page whose body is cut only when asked answers as one cut whole.
    orlen::CHtmlPage whole;
    whole.SetText(text, 1);
    std::string wholeSections;
    for (const auto& section : whole.Sections()) {
        wholeSections += section->GetText();
    }
    for (const char* name : {"x", "description", "fuzz-tag"}) {
        CHECK(page.GetMetaContent(name) == whole.GetMetaContent(name));
    }
    CHECK(page.GetBodyText() == whole.GetBodyText());
    std::string lateSections;
    for (const auto& section : page.Sections()) {
        lateSections += section->GetText();
    }
    CHECK(lateSections == wholeSections);
    CHECK(page.GetText() == rebuilt);

    // A page cut only as far as its head (with or without a body tag) reads
    // and takes edits as the page cut whole.
    {
        orlen::CHtmlPage lazy;
        lazy.SetText(text, 1);
        orlen::CHtmlPage cut;
        cut.SetText(text, 1);
        (void)cut.Sections();
        CHECK(lazy.GetMetaDataSet() == cut.GetMetaDataSet());
        lazy.SetTitle("n");
        cut.SetTitle("n");
        lazy.SetOrRemoveMeta("description", "d", 0);
        cut.SetOrRemoveMeta("description", "d", 0);
        CHECK(lazy.GetText() == cut.GetText());
    }

    (void)page.GetMetaDataSet();
    // A tag added where there was none and removed again leaves no trace.
    const bool hadTag = !page.IsNull(page.FindMetaByName("fuzz-tag"));
    if (page.SetMeta("fuzz-tag", "v", 0) == 1 && !hadTag) {
        page.RemoveMeta("fuzz-tag");
        CHECK(page.GetText() == rebuilt);
    }
    // Setting a title never shortens what follows the title element: the
    // text after the old value ends the page text after the new one too.
    const std::string before = page.GetText();
    const std::size_t afterTitle = TextBeforeTitleEnds(page);
    page.SetTitle("t<>");
    if (afterTitle != std::string::npos) {
        const std::string edited = page.GetText();
        const std::size_t tail = before.size() - afterTitle;
        CHECK(edited.size() >= tail);
        CHECK(edited.compare(edited.size() - tail, tail, before, afterTitle, tail) == 0);
    }
    page.SetOrRemoveMeta("description", " d ", 0);
    const std::string edited = page.GetText();
    if (page.BodyTextPosition() >= 0) {
        const std::string body = text.substr(static_cast<std::size_t>(page.BodyTextPosition()));
        CHECK(edited.compare(edited.size() - body.size(), body.size(), body) == 0);
    }
    return 0;
}
