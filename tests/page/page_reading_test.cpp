// Reading the title, meta tags and body text of a page.
#include "page_test_util.h"

#include <gtest/gtest.h>

namespace orlen {
namespace {

CHtmlPage* Load(CHtmlPage& page, const std::string& text) {
    page.SetText(text, 1);
    return &page;
}

TEST(PageTitle, IsTheTextRightAfterTheFirstTitleTag) {
    CHtmlPage page;
    EXPECT_EQ(Load(page, "<title>A &amp; B</title>")->GetTitle(), "A &amp; B");
    EXPECT_EQ(Load(page, "<title>  spaced \r\n</title>")->GetTitle(), "  spaced \r\n");
    EXPECT_EQ(Load(page, "<title></title>")->GetTitle(), "");
    EXPECT_EQ(Load(page, "<head></head>")->GetTitle(), "");
    EXPECT_EQ(Load(page, "<title>")->GetTitle(), "");
    EXPECT_EQ(Load(page, "<body><title>late</title>")->GetTitle(), "");
    EXPECT_EQ(Load(page, "<title><b>x</b></title>")->GetTitle(), "");
    EXPECT_EQ(Load(page, "<TITLE>first</TITLE><title>second</title>")->GetTitle(), "first");
}

TEST(PageMeta, EnumeratesTheHeadsMetaTagsInOrder) {
    CHtmlPage page;
    Load(page, "<head><META NAME=\"Description\" CONTENT=\"x\">"
               "<meta http-equiv=\"Refresh\" content=\"5\">"
               "<meta charset=utf-8>"
               "<meta name=keywords>"
               "</head><body><meta name=late content=y></body>");
    const MetaDataSet set = page.GetMetaDataSet();
    ASSERT_EQ(set.tags.size(), 4u);
    EXPECT_EQ(set.tags[0], (MetaTag{"Description", "x", 0}));
    EXPECT_EQ(set.tags[1], (MetaTag{"Refresh", "5", 1}));
    EXPECT_EQ(set.tags[2], (MetaTag{"", "", 1}));
    EXPECT_EQ(set.tags[3], (MetaTag{"keywords", "", 0}));

    std::string name = "stale", content = "stale";
    int httpEquiv = 7;
    EXPECT_EQ(page.GetMeta(4, name, content, httpEquiv), 0);
    EXPECT_EQ(name, "");
    EXPECT_EQ(content, "");
    EXPECT_EQ(page.GetMeta(-1, name, content, httpEquiv), 0);

    // Finding by name ignores case, covers http-equiv and the whole page.
    EXPECT_FALSE(page.IsNull(page.FindMetaByName("description")));
    EXPECT_FALSE(page.IsNull(page.FindMetaByName("REFRESH")));
    EXPECT_EQ(page.GetMetaContent("late"), "y");
    EXPECT_EQ(page.GetMetaContent("nothing"), "");
    EXPECT_TRUE(page.IsNull(page.FindMetaByName("nothing")));
}

TEST(PageMeta, NameAndHttpEquivWithTheSameWordAreOneKey) {
    CHtmlPage page;
    Load(page, "<head><meta http-equiv=Expires content=1><meta name=expires content=2></head>");
    EXPECT_EQ(page.GetMetaContent("EXPIRES"), "1");
}

TEST(PageBodyText, SeparatesWordsByTagsButNotByBoldAndItalic) {
    CHtmlPage page;
    EXPECT_EQ(Load(page, "<body><p>One<br>two</p><b>three</b></body>")->GetBodyText(),
              "One two three");
    EXPECT_EQ(Load(page, "<body><p>One<br>two</p> <b>three</b></body>")->GetBodyText(),
              "One two  three");
    EXPECT_EQ(Load(page, "<head><title>T</title></head>")->GetBodyText(), "");
    EXPECT_EQ(Load(page, "<body>ab<i>cd</i>ef<!-- c -->gh<?php x ?>ij</body>tail")->GetBodyText(),
              "abcd ef ghij");
    // Script and style text is text between tags.
    EXPECT_EQ(Load(page, "<body><script>var a;</script>x</body>")->GetBodyText(), "var a; x");
}

TEST(PageBodyText, CollapsesWhiteSpaceOnlyOutsideLayoutElements) {
    CHtmlPage page;
    // Inside <p> the text comes back as written; the pair rule halves runs.
    EXPECT_EQ(Load(page, "<body><p>a\r\n\r\nb    c</p></body>")->GetBodyText(), "a  b  c");
    // Inside <script> (no layout group) runs collapse to one space.
    EXPECT_EQ(Load(page, "<body><script>a \r\n\t b</script></body>")->GetBodyText(), "a b");
    // Bytes above 127 are letters, never white space.
    EXPECT_EQ(Load(page, "<body><script>caf\xe9\xa0x</script></body>")->GetBodyText(),
              "caf\xe9\xa0x");
}

TEST(PageSectionIteration, TracksOpenElementsAcrossUnmatchedClosings) {
    CHtmlPage page;
    Load(page, "<body><p><textarea>x  y</span></textarea><p>a  b</p></body>");
    std::string text;
    std::vector<std::string> texts;
    for (int type = page.FirstSection(kSectionText | kSectionTag, text); type != 0;
         type = page.NextSection(text)) {
        if (type == kSectionText) {
            texts.push_back(text);
        }
    }
    // "</span>" matches nothing and leaves <textarea> open (collapsing);
    // after "</textarea>" the top is <p> again (kept as written).
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], "x y");
    EXPECT_EQ(texts[1], "a  b");

    // A mask without text, script or tag bits means all three.
    int count = 0;
    for (int type = page.FirstSection(0, text); type != 0; type = page.NextSection(text)) {
        ++count;
    }
    EXPECT_EQ(count, 9); // body, p, textarea, text, /span, /textarea, p, text, /p
}

TEST(PageSectionIteration, ClosingTagPopsEverythingAboveItsPartner) {
    CHtmlPage page;
    Load(page, "<body><textarea><p><b>a  b</textarea>c  d</body>");
    std::string text;
    std::vector<std::string> texts;
    for (int type = page.FirstSection(kSectionText | kSectionTag, text); type != 0;
         type = page.NextSection(text)) {
        if (type == kSectionText) {
            texts.push_back(text);
        }
    }
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], "a  b"); // top is <b>: kept
    EXPECT_EQ(texts[1], "c  d"); // </textarea> popped b, p and textarea; top is body
}

} // namespace
} // namespace orlen
