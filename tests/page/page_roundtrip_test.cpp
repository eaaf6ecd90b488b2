// Properties over many generated pages: the body survives to the byte, a
// rebuilt page is a fixed point of loading, and adding then removing a tag
// leaves the page as it was.
#include "page/charset.h"
#include "page/line_reader.h"
#include "page_test_util.h"

#include <gtest/gtest.h>

#include <iterator>
#include <random>

namespace orlen {
namespace {

class PageGenerator {
public:
    explicit PageGenerator(unsigned seed) : rng_(seed) {}

    struct Page {
        std::string text;
        std::size_t bodyAt = std::string::npos; // where the first <body> starts
    };

    // A head of well-formed tags in random case and spacing, then a body of
    // anything at all: stray "<", unclosed quotes and comments, scripts,
    // NUL and high bytes, mixed line ends.
    Page Make() {
        Page page;
        std::string& t = page.text;
        if (Chance(3)) {
            t += "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\">" + LineEnd();
        }
        t += Cased("<html>") + LineEnd();
        const bool hasHead = !Chance(6);
        if (hasHead) {
            t += Cased("<head") + Spaces() + ">" + LineEnd();
        }
        const int headItems = Pick(8);
        for (int i = 0; i < headItems; ++i) {
            switch (Pick(5)) {
            case 0:
                t += Cased("<title>") + Words() + Cased("</title>");
                break;
            case 1:
                t += Cased("<meta") + Spaces() + Cased("name") + "=" + Quoted(Words()) + Spaces() +
                     Cased("content") + Spaces() + "=" + Spaces() + Quoted(Words()) +
                     (Chance(2) ? "/>" : ">");
                break;
            case 2:
                t += "<!--" + Words() + "-->";
                break;
            case 3:
                t += "<?php echo \"" + Words() + "\"; ?>";
                break;
            default:
                t += Cased("<link rel=stylesheet href=\"a.css\">");
            }
            t += LineEnd();
        }
        if (hasHead) {
            t += Cased("</head>") + LineEnd();
        }
        page.bodyAt = t.size();
        t += Cased("<body") + (Chance(2) ? Spaces() + Cased("bgcolor=White") : "") + ">";
        const int bodyItems = Pick(40);
        for (int i = 0; i < bodyItems; ++i) {
            t += Noise();
        }
        if (Chance(2)) {
            t += Cased("</body></html>") + LineEnd();
        }
        return page;
    }

private:
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    bool Chance(int oneIn) { return Pick(oneIn) == 0; }

    std::string Cased(std::string s) {
        for (char& c : s) {
            if (c >= 'a' && c <= 'z' && Chance(3)) {
                c = static_cast<char>(c - 'a' + 'A');
            }
        }
        return s;
    }
    std::string Spaces() {
        static const char* kinds[] = {" ", "  ", "\t", "\r\n  ", " \n"};
        return kinds[Pick(5)];
    }
    std::string LineEnd() {
        static const char* kinds[] = {"\n", "\r\n", "\r", ""};
        return kinds[Pick(4)];
    }
    std::string Words() {
        static const char* words[] = {"Alpha", "beta", "Gamma", "d\xe9lta", "&amp;",
                                      "x",     "e'f",  "k=v",   "name",     "content"};
        std::string out;
        const int n = Pick(5);
        for (int i = 0; i < n; ++i) {
            if (i > 0) {
                out += ' ';
            }
            out += words[Pick(10)];
        }
        return out;
    }
    std::string Quoted(const std::string& s) {
        if (s.find('\'') != std::string::npos) {
            return "\"" + s + "\"";
        }
        return Chance(2) ? "'" + s + "'" : "\"" + s + "\"";
    }
    std::string Noise() {
        static const char* bits[] = {"<P CLASS=A>",
                                     "text ",
                                     "a < b ",
                                     "<!-- c ",
                                     "-->",
                                     "<?x ",
                                     "?>",
                                     "<%",
                                     "%>",
                                     "\"",
                                     "'",
                                     "<a title='q > r'>",
                                     "</A>",
                                     "<BODY>",
                                     "</BODY>",
                                     "<meta name=x>",
                                     "<title>t</title>",
                                     "<head>",
                                     "\r",
                                     "\n",
                                     "\r\n",
                                     "\t",
                                     "", // stands for a NUL byte
                                     "\xff\xfe",
                                     "<",
                                     ">",
                                     "<<>>",
                                     "<br/>",
                                     "<SCRIPT>if (a<b) x();</SCRIPT>",
                                     "< META name=y content=z>",
                                     "<\nmeta name=y content=w>",
                                     "</meta name=x content=v>"};
        const int n = static_cast<int>(sizeof bits / sizeof bits[0]);
        const int i = Pick(n);
        if (bits[i][0] == '\0') {
            return std::string("\0", 1);
        }
        return bits[i];
    }

    std::mt19937 rng_;
};

constexpr int kPages = 3000;

TEST(PageRoundTrip, BodyIsKeptToTheByteAndRebuildingIsAFixedPoint) {
    test::RecordingSink quiet;
    PageGenerator generator(20261208);
    for (int i = 0; i < kPages; ++i) {
        const PageGenerator::Page generated = generator.Make();
        const std::string asRead = LinesToCrLf(generated.text);
        // Where the generated body tag lands once line ends are CR LF.
        const std::string head = generated.text.substr(0, generated.bodyAt);
        std::size_t bodyAt = LinesToCrLf(head).size();
        if (!head.empty() && head.back() != '\r' && head.back() != '\n') {
            bodyAt -= 2; // the head's last line runs on into the body tag
        }
        CHtmlPage page;
        page.SetText(asRead, 1);
        const std::string rebuilt = page.GetText();

        ASSERT_GE(page.BodyTextPosition(), 0) << "page " << i;
        const std::string body = asRead.substr(static_cast<std::size_t>(page.BodyTextPosition()));
        ASSERT_GE(rebuilt.size(), body.size()) << "page " << i;
        EXPECT_EQ(rebuilt.substr(rebuilt.size() - body.size()), body) << "page " << i;
        EXPECT_EQ(static_cast<std::size_t>(page.BodyTextPosition()), bodyAt) << "page " << i;

        CHtmlPage again;
        again.SetText(rebuilt, 1);
        EXPECT_EQ(again.GetText(), rebuilt) << "page " << i;
        EXPECT_EQ(again.GetMetaDataSet(), page.GetMetaDataSet()) << "page " << i;
    }
}

TEST(PageRoundTrip, AddingThenRemovingATagLeavesThePageAsItWas) {
    test::RecordingSink quiet;
    PageGenerator generator(7);
    int writable = 0;
    for (int i = 0; i < kPages; ++i) {
        CHtmlPage page;
        page.SetText(LinesToCrLf(generator.Make().text), 1);
        const std::string before = page.GetText();
        if (page.SetMeta("orlen-test-tag", "value", i % 2) == 0) {
            EXPECT_EQ(page.HasMetaDataPosition(), 0);
            EXPECT_EQ(page.GetText(), before) << "page " << i;
            continue;
        }
        ++writable;
        EXPECT_EQ(page.GetMetaContent("ORLEN-TEST-TAG"), "value");
        EXPECT_NE(page.GetText(), before);
        page.RemoveMeta("orlen-test-tag");
        EXPECT_EQ(page.GetText(), before) << "page " << i;
    }
    EXPECT_GT(writable, kPages / 2);
}

TEST(PageRoundTrip, MetaTagsReadTheSameAfterEditsAsAfterReloading) {
    // Edits keep the page's own list of meta tags up to date; a fresh load
    // of the edited text must read exactly the same tags.
    test::RecordingSink quiet;
    PageGenerator generator(99);
    std::mt19937 rng(5);
    const char* names[] = {"description", "Keywords", "author", "x-one", "REFRESH", "robots"};
    for (int i = 0; i < 500; ++i) {
        CHtmlPage page;
        page.SetText(LinesToCrLf(generator.Make().text), 1);
        for (int step = 0; step < 12; ++step) {
            const char* name = names[rng() % 6];
            switch (rng() % 4) {
            case 0:
                page.RemoveMeta(name);
                break;
            case 1:
                page.SetTitle("t" + std::to_string(step));
                break;
            default:
                page.SetOrRemoveMeta(name, (rng() % 3 == 0) ? " " : "v" + std::to_string(step),
                                     static_cast<int>(rng() % 2));
            }
            CHtmlPage fresh;
            fresh.SetText(page.GetText(), 0);
            ASSERT_EQ(page.GetMetaDataSet().tags, fresh.GetMetaDataSet().tags)
                << "page " << i << " step " << step;
        }
    }
}

TEST(PageRoundTrip, ReadingOnlyTheHeadReadsTheSameMetaData) {
    test::RecordingSink quiet;
    PageGenerator generator(31);
    for (int i = 0; i < kPages; ++i) {
        const std::string text = LinesToCrLf(generator.Make().text);
        CHtmlPage whole;
        whole.SetText(text, 1);
        CHtmlPage head;
        head.SetHeadText(text);
        ASSERT_EQ(head.GetMetaDataSet(), whole.GetMetaDataSet()) << "page " << i;
        ASSERT_EQ(DeclaredCharsetLabel(head), DeclaredCharsetLabel(whole)) << "page " << i;
    }
}

// A page loaded with bodyVerbatim cuts its body only when asked; whatever is
// asked first, the answers are those of a page cut whole at once.
TEST(PageRoundTrip, CuttingTheBodyLateGivesTheSamePage) {
    test::RecordingSink quiet;
    PageGenerator generator(4711);
    const auto texts = [](const CHtmlPage& page) {
        std::vector<std::string> out;
        for (const auto& section : page.Sections()) {
            out.push_back(std::to_string(section->GetType()) + ":" + section->GetText());
        }
        return out;
    };
    for (int i = 0; i < kPages; ++i) {
        const std::string text = LinesToCrLf(generator.Make().text);
        CHtmlPage whole;
        whole.SetText(text, 0);
        const auto expected = texts(whole);
        // First question: a search that may end in the body, in every
        // spelling a meta tag can have there.
        CHtmlPage bySearch;
        bySearch.SetText(text, 1);
        for (const char* name : {"x", "y", "absent"}) {
            ASSERT_EQ(bySearch.GetMetaContent(name), whole.GetMetaContent(name))
                << "page " << i << " " << name;
        }
        ASSERT_EQ(texts(bySearch), expected) << "page " << i;

        // First question: the body text, after an edit of the head.
        CHtmlPage byBodyText;
        byBodyText.SetText(text, 1);
        CHtmlPage wholeEdited;
        wholeEdited.SetText(text, 1);
        (void)wholeEdited.Sections();
        byBodyText.SetOrRemoveMeta("description", "late", 0);
        wholeEdited.SetOrRemoveMeta("description", "late", 0);
        ASSERT_EQ(byBodyText.GetBodyText(), wholeEdited.GetBodyText()) << "page " << i;
        ASSERT_EQ(byBodyText.GetText(), wholeEdited.GetText()) << "page " << i;
        ASSERT_EQ(byBodyText.GetMetaDataSet(), wholeEdited.GetMetaDataSet()) << "page " << i;

        // First question: the closing body tag.
        CHtmlPage byLandmark;
        byLandmark.SetText(text, 1);
        const bool hasClosing = !whole.IsNull(whole.ClosingBody());
        ASSERT_EQ(!byLandmark.IsNull(byLandmark.ClosingBody()), hasClosing) << "page " << i;
        ASSERT_EQ(texts(byLandmark), expected) << "page " << i;
    }
}

// A page without an opening body tag is cut only as far as the last tag that
// meta-data reading or writing looks at; the rest is kept as read. Reading,
// editing and rebuilding such a page give what they give on the page cut
// whole, and so does cutting the rest later.
TEST(PageRoundTrip, PagesWithoutABodyTagAnswerAsIfCutWhole) {
    test::RecordingSink quiet;
    PageGenerator generator(2026);
    const auto texts = [](const CHtmlPage& page) {
        std::vector<std::string> out;
        for (const auto& section : page.Sections()) {
            out.push_back(std::to_string(section->GetType()) + ":" + section->GetText());
        }
        return out;
    };
    int lazilyKept = 0;
    for (int i = 0; i < kPages; ++i) {
        PageGenerator::Page generated = generator.Make();
        std::string& raw = generated.text;
        raw.erase(generated.bodyAt, raw.find('>', generated.bodyAt) + 1 - generated.bodyAt);
        const std::string text = LinesToCrLf(raw);

        CHtmlPage lazy;
        lazy.SetText(text, 1);
        CHtmlPage whole;
        whole.SetText(text, 1);
        (void)whole.Sections();
        CHtmlPage head;
        head.SetHeadText(text);
        ASSERT_EQ(lazy.GetMetaDataSet(), whole.GetMetaDataSet()) << "page " << i;
        ASSERT_EQ(head.GetMetaDataSet(), whole.GetMetaDataSet()) << "page " << i;
        ASSERT_EQ(DeclaredCharsetLabel(lazy), DeclaredCharsetLabel(whole)) << "page " << i;
        ASSERT_EQ(lazy.HasMetaDataPosition(), whole.HasMetaDataPosition()) << "page " << i;
        ASSERT_EQ(lazy.GetText(), whole.GetText()) << "page " << i;

        // Each edit lands where it lands on the page cut whole.
        const auto edits = {
            +[](CHtmlPage& p) { p.SetTitle("New <t>"); },
            +[](CHtmlPage& p) { p.SetOrRemoveMeta("description", "d", 0); },
            +[](CHtmlPage& p) { p.SetOrRemoveMeta("x", "", 0); },
            +[](CHtmlPage& p) { p.SetMeta("y", "w", 1); },
        };
        int step = 0;
        for (const auto& edit : edits) {
            edit(lazy);
            edit(whole);
            ASSERT_EQ(lazy.GetText(), whole.GetText()) << "page " << i << " edit " << step;
            ASSERT_EQ(lazy.GetMetaDataSet(), whole.GetMetaDataSet())
                << "page " << i << " edit " << step;
            ++step;
        }
        // The uncut rest, cut now, gives the sections of the whole cut.
        CHtmlPage late;
        late.SetText(text, 1);
        CHtmlPage cutAtOnce;
        cutAtOnce.SetText(text, 0);
        lazilyKept += late.BodyTextPosition() < 0 ? 1 : 0;
        ASSERT_EQ(texts(late), texts(cutAtOnce)) << "page " << i;
    }
    // Most generated pages have no body tag left (a few have one in their
    // noise), so most of them took the lazy path.
    EXPECT_GT(lazilyKept, kPages / 2);
}

// The head's insertion point, for changing the list the way a caller may.
class HeadEditor : public CHtmlPage {
public:
    using CHtmlPage::InsertionPoint;
};

// Changes to the section list made before the body is cut give what they
// give on a page cut whole: the landmarks stay those of the page as loaded,
// and what goes after the opening body tag stays right after it.
TEST(PageRoundTrip, ListChangesBeforeTheCutGiveWhatTheyGiveAfterIt) {
    test::RecordingSink quiet;
    const std::string text = "<html><head><title>T</title></head>\r\n<body>\r\n<p>one</p>"
                             "\r\n</body>after</html>\r\n";
    const auto tag = [](const char* raw) { return std::make_unique<CTagSection>(raw); };
    for (const char* inserted : {"<body class=early>", "</body>"}) {
        HeadEditor late;
        HeadEditor whole;
        late.SetText(text, 1);
        whole.SetText(text, 1);
        (void)whole.Sections();
        late.InsertAfter(late.InsertionPoint(), tag(inserted));
        whole.InsertAfter(whole.InsertionPoint(), tag(inserted));
        EXPECT_EQ(late.GetText(), whole.GetText()) << inserted;
        EXPECT_EQ(late.GetBodyText(), whole.GetBodyText()) << inserted;
    }

    CHtmlPage late;
    CHtmlPage whole;
    late.SetText(text, 1);
    whole.SetText(text, 1);
    (void)whole.Sections();
    late.InsertAfter(late.OpeningBody(), std::make_unique<CTextSection>("first "));
    whole.InsertAfter(whole.OpeningBody(), std::make_unique<CTextSection>("first "));
    EXPECT_EQ(late.GetBodyText(), whole.GetBodyText());
    EXPECT_EQ(late.GetBodyText().substr(0, 5), "first");

    // A walk from the opening body tag reaches the end of the page.
    CHtmlPage walked;
    walked.SetText(text, 1);
    std::string seen;
    for (auto pos = walked.OpeningBody(); pos != walked.End(); ++pos) {
        seen += (*pos)->GetText();
    }
    EXPECT_EQ(seen, text.substr(text.find("<body>")));
}

// Changes to the section list itself that reach past the head cut the rest
// first, so they give what they give on a page cut whole.
TEST(PageRoundTrip, ListChangesPastTheHeadCutTheRestFirst) {
    test::RecordingSink quiet;
    const std::string text = "<html><head><title>T</title></head>\r\n<body>\r\n<p>kept</p>\r\n"
                             "</body></html>\r\n";
    CHtmlPage late;
    CHtmlPage whole;
    late.SetText(text, 1);
    whole.SetText(text, 1);
    (void)whole.Sections();

    late.InsertBefore(late.End(), std::make_unique<CTextSection>("tail"));
    whole.InsertBefore(whole.End(), std::make_unique<CTextSection>("tail"));
    EXPECT_EQ(late.GetBodyText(), whole.GetBodyText());

    CHtmlPage removed;
    removed.SetText(text, 1);
    removed.Remove(removed.OpeningBody());
    EXPECT_NE(removed.GetText().find("<p>kept</p>"), std::string::npos) << removed.GetText();
}

// Pages keep their own line ends: LF, CR LF, a bare CR, or a mixture, with or
// without a final one. Rebuilding gives the bytes read; adding a tag and
// removing it again gives them too; a tag inserted uses the page's first
// line end, so an LF page gains no CR.
TEST(PageRoundTrip, LineEndsAreKeptAndInsertedOnesFollowThePage) {
    std::mt19937 rng(20261208);
    const char* const ends[] = {"\n", "\r\n", "\r"};
    const char* const lines[] = {
        "<html>",    "<head>", "<title>T</title>", "<meta name=\"a\" content=\"b\">",
        "text line", "",       "<!-- note -->",    "<script>if (a < b) x();</script>",
    };
    const char* const bodyLines[] = {"<P>Body", "  indented", "</BODY></HTML>", "", "\tTab"};
    for (int round = 0; round < 400; ++round) {
        const int style = round % 4; // LF, CR LF, CR, mixed
        auto end = [&] { return std::string(style < 3 ? ends[style] : ends[rng() % 3]); };
        std::string page;
        for (int i = 0, n = 1 + static_cast<int>(rng() % 6); i < n; ++i) {
            page += lines[rng() % std::size(lines)] + end();
        }
        page += "</head>" + end() + "<body>";
        for (int i = 0, n = static_cast<int>(rng() % 5); i < n; ++i) {
            page += end() + bodyLines[rng() % std::size(bodyLines)];
        }
        if (rng() % 2 == 0) {
            page += end();
        }
        CHtmlPage p;
        p.SetText(page, 1);
        ASSERT_EQ(p.GetText(), page) << round;
        ASSERT_EQ(p.SetMeta("x-added", "v", 0), 1);
        const std::string added = p.GetText();
        const std::size_t first = page.find_first_of("\r\n");
        const std::string lineEnd = first == std::string::npos            ? "\n"
                                    : page.compare(first, 2, "\r\n") == 0 ? "\r\n"
                                                                          : page.substr(first, 1);
        EXPECT_NE(added.find(lineEnd + "\t<meta name=\"x-added\""), std::string::npos) << round;
        if (style == 0) {
            EXPECT_EQ(added.find('\r'), std::string::npos) << round;
        }
        p.RemoveMeta("x-added");
        EXPECT_EQ(p.GetText(), page) << round;
    }
}

} // namespace
} // namespace orlen
