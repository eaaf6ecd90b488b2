#include "shell/help_book.h"

#include <gtest/gtest.h>

namespace orlen {
namespace {

TEST(HelpBook, ContentsAreTheLinksOfTheContentsListInOrder) {
    const std::string html = R"(<html><head><title>Help</title></head><body>
<p>See <a href="intro.html">the intro</a>.</p>
<ul><li><a href="other.html">Another list</a></li></ul>
<!-- <ul class="contents"><li><a href="commented.html">Gone</a></li></ul> -->
<UL CLASS="contents">
  <li><a href="start.html">Getting
      started</a> – open a page.</li>
  <li><a href="tags.html#rows"><b>Tags</b> &amp; rows</a></li>
  <li>Nested:<ul><li><a href='deep.html'>Deeper</a></li></ul></li>
  <li><a name="anchor-only">No target</a></li>
</ul>
<p><a href="after.html">After the list</a></p>
</body></html>)";
    const std::vector<HelpTopic> expected = {
        {"start.html", "Getting started"},
        {"tags.html#rows", "Tags & rows"},
        {"deep.html", "Deeper"},
    };
    EXPECT_EQ(HelpContents(html), expected);
}

TEST(HelpBook, PagesWithoutAContentsListOrCutShortGiveWhatTheyHave) {
    EXPECT_TRUE(HelpContents("").empty());
    EXPECT_TRUE(HelpContents("<p><a href=\"x.html\">x</a></p>").empty());
    const std::vector<HelpTopic> cut =
        HelpContents("<ul class=\"contents\"><li><a href=\"a.html\">A "
                     "page</a><li><a href=\"b.html\">B");
    ASSERT_EQ(cut.size(), 2u);
    EXPECT_EQ(cut[0].title, "A page");
    EXPECT_EQ(cut[1].file, "b.html");
    EXPECT_EQ(cut[1].title, "B");
    EXPECT_EQ(HelpContents("<ul class=\"contents\"><li><a href=\"a.html\"").size(), 0u);
}

} // namespace
} // namespace orlen
