// Cutting pages into sections, rebuilding them, and reading files as lines.
#include "page/line_reader.h"
#include "page_test_util.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

namespace orlen {
namespace {

using test::Describe;
using test::Rebuilt;

TEST(PageScan, CutsTextTagsCommentsAndScripts) {
    CHtmlPage page;
    page.SetText("a < b > c", 0);
    EXPECT_EQ(Describe(page), "T:a |G:<b >|T: c");

    page.SetText("<!----><!-- x -->", 0);
    EXPECT_EQ(Describe(page), "C:<!---->|C:<!-- x -->");

    page.SetText("<?php echo 1; ?>after", 0);
    EXPECT_EQ(Describe(page), "S:<?php echo 1; ?>|T:after");

    page.SetText("<% a > b", 0);
    EXPECT_EQ(Describe(page), "S:<% a > b");

    page.SetText("<a title='x > y'>z", 0);
    EXPECT_EQ(Describe(page), "G:<a title='x > y'>|T:z");
    EXPECT_EQ(page.Sections().size(), 2u);
}

TEST(PageScan, ScriptAndStyleContentIsTextUpToTheClosingTag) {
    CHtmlPage page;
    const std::string head = "<HEAD><SCRIPT>\r\nif (hour < 12 && x > 2) { a = '<b>'; }\r\n"
                             "</SCRIPT><style>p > a { color: red }</STYLE></HEAD>";
    page.SetText(head, 0);
    EXPECT_EQ(Describe(page), "G:<head>|G:<script>|T:\r\nif (hour < 12 && x > 2) { a = '<b>'; "
                              "}\r\n|G:</script>|G:<style>|T:p > a { color: red }|G:</style>|"
                              "G:</head>");
    // A meta tag written by a script is no meta tag of the page.
    page.SetText("<head><script>document.write('<meta name=a content=1>')</script></head>", 0);
    EXPECT_TRUE(page.IsNull(page.FindMetaByName("a")));
    // Without a closing tag the rest of the page is the script's text.
    page.SetText("<script>a < b\r\n<body>", 1);
    EXPECT_EQ(page.GetText(), "<script>a < b\r\n<body>");
    EXPECT_TRUE(page.IsNull(page.OpeningBody()));
    // An empty element, and a self-closed script tag, start no text.
    page.SetText("<script></script><script/><b>", 0);
    EXPECT_EQ(Describe(page), "G:<script>|G:</script>|G:<script/>|G:<b>");
}

TEST(PageScan, KeepsEveryTailThatHasNoEnd) {
    // A "<" with nothing to close it: the tail stays as text.
    CHtmlPage page;
    page.SetText("x <y", 0);
    EXPECT_EQ(Describe(page), "T:x |T:<y");
    EXPECT_EQ(page.GetText(), "x <y");

    // An unclosed comment keeps the rest of the page verbatim, tags included.
    page.SetText("<HEAD><!--x<B >\r\n", 0);
    EXPECT_EQ(page.GetText(), "<head><!--x<B >\r\n");
    EXPECT_EQ(page.Sections().back()->GetType(), kSectionComment);

    // A tag whose ">" is inside an unterminated quote.
    page.SetText("<P>one<a title=\"x>\r\n<B>two</B>\r\n", 0);
    EXPECT_EQ(page.GetText(), "<p>one<a title=\"x>\r\n<B>two</B>\r\n");

    // A lone "<" at the very end, and one right before the last ">".
    EXPECT_EQ(Rebuilt("abc<", 0), "abc<");
    EXPECT_EQ(Rebuilt("<>", 0), "<>");
    EXPECT_EQ(Rebuilt("<<>", 0), "<<>");
    EXPECT_EQ(Rebuilt("<", 0), "<");
    EXPECT_EQ(Rebuilt("", 0), "");
}

TEST(PageRebuild, NormalizesTagsAndKeepsTheBodyVerbatim) {
    EXPECT_EQ(Rebuilt("<HTML><HEAD><TITLE>A</TITLE></HEAD>\r\n", 0),
              "<html><head><title>A</title></head>\r\n");

    const std::string body = "<Body BGCOLOR=White>x</Body>\r\n<P  CLASS=A>y\r\n";
    EXPECT_EQ(Rebuilt("<HEAD >" + body, 1), "<head >" + body);
    CHtmlPage page;
    page.SetText("<HEAD >" + body, 1);
    EXPECT_EQ(page.BodyTextPosition(), 7);
    EXPECT_EQ(page.SavedBody(), body);

    // Without the flag the body is normalized like the head.
    EXPECT_EQ(Rebuilt("<HEAD >" + body, 0),
              "<head ><body bgcolor=White>x</body>\r\n<p class=A>y\r\n");
    // A closing body tag is not the start of the body.
    EXPECT_EQ(Rebuilt("</BODY><B>x", 1), "</body><b>x");
    // Only the first opening body tag counts, even when it is the first
    // section of the page.
    EXPECT_EQ(Rebuilt("<BODY><B>x<BODY>", 1), "<BODY><B>x<BODY>");
}

TEST(PageRebuild, ReloadingReplacesEverything) {
    CHtmlPage page;
    page.SetText("<head><meta name=a content=1></head><body>", 1);
    page.SetText("<p>", 0);
    EXPECT_EQ(page.GetText(), "<p>");
    EXPECT_EQ(page.SavedBody(), "");
    EXPECT_EQ(page.BodyTextPosition(), -1);
    EXPECT_TRUE(page.IsNull(page.OpeningBody()));
    std::string name, content;
    int httpEquiv = 0;
    EXPECT_EQ(page.GetMeta(0, name, content, httpEquiv), 0);
}

TEST(PageSection, UntypedSectionComplains) {
    test::RecordingSink sink;
    CPageSection section;
    EXPECT_EQ(section.GetType(), kSectionUntyped);
    EXPECT_EQ(section.GetText(), "Error - this shouldn't have been called");
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0], "Oh dear! GetText called from an untyped section.");
}

TEST(LineReader, EndsEveryLineWithCrLf) {
    EXPECT_EQ(LinesToCrLf(""), "");
    EXPECT_EQ(LinesToCrLf("a"), "a\r\n");
    EXPECT_EQ(LinesToCrLf("a\nb\n"), "a\r\nb\r\n");
    EXPECT_EQ(LinesToCrLf("a\r\nb"), "a\r\nb\r\n");
    EXPECT_EQ(LinesToCrLf("a\rb\r"), "a\r\nb\r\n");
    EXPECT_EQ(LinesToCrLf("\n\n"), "\r\n\r\n");
    EXPECT_EQ(LinesToCrLf("a\r\r\nb"), "a\r\n\r\nb\r\n");
    const std::string withNul("a\0b\xff\n", 5);
    EXPECT_EQ(LinesToCrLf(withNul), std::string("a\0b\xff\r\n", 6));
}

// The conversion, byte by byte as its rule says; what the fast one must give.
std::string CrLfByRule(const std::string& bytes) {
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' || bytes[i] == '\n') {
            out += "\r\n";
            if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
                ++i;
            }
        } else {
            out += bytes[i];
        }
    }
    if (!bytes.empty() && bytes.back() != '\r' && bytes.back() != '\n') {
        out += "\r\n";
    }
    return out;
}

// Whatever the mix of line ends and whether or not the string has room to
// grow into, the conversion in place gives what the rule gives.
TEST(LineReader, ConvertsInPlaceByTheRule) {
    std::mt19937 rng(8);
    const char alphabet[] = {'a', 'b', '\r', '\n', '\0'};
    for (int i = 0; i < 20000; ++i) {
        const std::size_t length = rng() % 40;
        std::string bytes;
        for (std::size_t k = 0; k < length; ++k) {
            bytes += alphabet[rng() % sizeof alphabet];
        }
        const std::string expected = CrLfByRule(bytes);
        std::string tight = bytes;
        tight.shrink_to_fit();
        LinesToCrLfInPlace(tight);
        ASSERT_EQ(tight, expected) << i;
        std::string roomy = bytes;
        roomy.reserve(CapacityForLines(bytes.size()) * 4);
        LinesToCrLfInPlace(roomy);
        ASSERT_EQ(roomy, expected) << i;
        ASSERT_EQ(LinesToCrLf(bytes), expected) << i;
    }
    // A long page of long lines, and one already in CR LF, which stays as it is.
    std::string page;
    for (int line = 0; line < 5000; ++line) {
        page += std::string(static_cast<std::size_t>(line % 97), 'x') + (line % 3 ? "\n" : "\r");
    }
    std::string converted = page;
    LinesToCrLfInPlace(converted);
    EXPECT_EQ(converted, CrLfByRule(page));
    std::string again = converted;
    LinesToCrLfInPlace(again);
    EXPECT_EQ(again, converted);
}

TEST(PageFile, LoadsAsLinesAndStoresTheRebuiltText) {
    CHtmlPage page;
    std::istringstream in("<HTML><HEAD></HEAD>\n<BODY>\nx</BODY>");
    ASSERT_EQ(page.Load(in, 1), 1);
    std::ostringstream out;
    ASSERT_EQ(page.Store(out), 1);
    EXPECT_EQ(out.str(), "<html><head></head>\r\n<BODY>\r\nx</BODY>\r\n");

    std::istringstream bad;
    bad.setstate(std::ios::badbit);
    EXPECT_EQ(page.Load(bad, 1), 0);
}

} // namespace
} // namespace orlen
