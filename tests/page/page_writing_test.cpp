// Setting and removing the title and meta tags of a page.
#include "page_test_util.h"

#include "page/entities.h"

#include <gtest/gtest.h>

namespace orlen {
namespace {

class PageWriting : public ::testing::Test {
protected:
    std::string After(const std::string& text) {
        page.SetText(text, 1);
        return page.GetText();
    }
    CHtmlPage page;
    test::RecordingSink sink;
};

TEST_F(PageWriting, NewMetaTagsGoAfterTheHeadTagThenAfterEachOther) {
    page.SetText("<head><title>T</title></head>", 1);
    EXPECT_EQ(page.HasMetaDataPosition(), 1);
    EXPECT_EQ(page.SetMeta("description", "x", 0), 1);
    EXPECT_EQ(page.GetText(),
              "<head>\n\t<meta name=\"description\" content=\"x\"/><title>T</title></head>");
    EXPECT_EQ(page.SetMeta("Refresh", "5", 1), 1);
    EXPECT_EQ(page.GetText(), "<head>\n\t<meta name=\"description\" content=\"x\"/>"
                              "\n\t<meta http-equiv=\"Refresh\" content=\"5\"/>"
                              "<title>T</title></head>");
    EXPECT_EQ(page.GetMetaContent("refresh"), "5");
}

TEST_F(PageWriting, NewMetaTagsFollowTheLastMetaTagOfTheHead) {
    page.SetText("<head><meta name=a content=1><title>T</title><meta name=b content=2>"
                 "</head><meta name=c content=3>",
                 0);
    page.SetMeta("new", "v", 0);
    EXPECT_EQ(page.GetText(), "<head><meta name=a content=1><title>T</title>"
                              "<meta name=b content=2>\n\t<meta name=\"new\" content=\"v\"/>"
                              "</head><meta name=c content=3>");
}

TEST_F(PageWriting, ExistingTagIsReplacedInPlaceByName) {
    page.SetText("<head><meta NAME=\"keywords\" CONTENT=\"old\" lang=en><meta name=keywords "
                 "content=dup></head>",
                 1);
    EXPECT_EQ(page.SetMeta("Keywords", "new", 0), 1);
    EXPECT_EQ(page.GetText(), "<head><meta name=\"Keywords\" content=\"new\"/>"
                              "<meta name=keywords content=dup></head>");
}

TEST_F(PageWriting, QuotesValuesSoTheyReadBackUnchanged) {
    page.SetText("<head></head>", 1);
    page.SetMeta("description", "say \"hi\"", 0);
    EXPECT_NE(page.GetText().find("content='say \"hi\"'"), std::string::npos);
    EXPECT_EQ(page.GetMetaContent("description"), "say \"hi\"");

    page.SetMeta("author", "O'Brien", 0);
    EXPECT_EQ(page.GetMetaContent("author"), "O'Brien");

    // Both quote kinds: double quotes with &quot;, and the tag stays whole.
    page.SetMeta("both", "\"It's\"", 0);
    EXPECT_NE(page.GetText().find("content=\"&quot;It's&quot;\"/>"), std::string::npos);
    EXPECT_EQ(page.GetMetaContent("both"), "&quot;It's&quot;");
    EXPECT_EQ(page.GetMetaDataSet().tags.size(), 3u);
}

TEST_F(PageWriting, PageWithoutHeadOrMetaTakesNoNewTag) {
    page.SetText("<html><body>x</body></html>", 1);
    EXPECT_EQ(page.HasMetaDataPosition(), 0);
    EXPECT_EQ(page.SetMeta("a", "b", 0), 0);
    EXPECT_EQ(page.GetText(), "<html><body>x</body></html>");
    EXPECT_EQ(page.SetTitle("t"), 0);
    EXPECT_EQ(page.GetText(), "<html><body>x</body></html>");
}

TEST_F(PageWriting, WritesNeverLandFromTheFirstBodyTagOn) {
    const std::string body = "<body><meta name=a content=late><title>x</title><head></head>"
                             "</body>\r\n";
    page.SetText("<html>" + body, 1);
    // A head tag or title only after the body is no place to write.
    EXPECT_EQ(page.HasMetaDataPosition(), 0);
    EXPECT_EQ(page.SetMeta("a", "changed", 0), 0);
    EXPECT_EQ(page.SetTitle("t"), 0);
    page.RemoveMeta("a");
    EXPECT_EQ(page.GetText(), "<html>" + body);
    // Reading by name still sees the tag after the body.
    EXPECT_EQ(page.GetMetaContent("a"), "late");

    // With a head, the same name goes into the head as a new tag.
    page.SetText("<head></head>" + body, 1);
    EXPECT_EQ(page.SetMeta("a", "new", 0), 1);
    EXPECT_EQ(page.GetText(), "<head>\r\n\t<meta name=\"a\" content=\"new\"/></head>" + body);
}

TEST_F(PageWriting, RemoveTakesTheLineBreakOfTheTagWithIt) {
    // One tag a line: the blank text after the tag goes with it.
    page.SetText("<head>\r\n<meta name=a content=1>\r\n<meta name=b content=2><meta name=c "
                 "content=3>\r\n</head>",
                 1);
    EXPECT_EQ(page.RemoveMeta("A"), 1);
    EXPECT_EQ(page.GetText(),
              "<head>\r\n<meta name=b content=2><meta name=c content=3>\r\n</head>");
    EXPECT_EQ(page.RemoveMeta("b"), 1); // followed by a tag: the neighbour stays
    EXPECT_EQ(page.GetText(), "<head>\r\n<meta name=c content=3>\r\n</head>");
    EXPECT_EQ(page.RemoveMeta("c"), 1);
    EXPECT_EQ(page.GetText(), "<head>\r\n</head>");
    EXPECT_EQ(page.RemoveMeta("missing"), 1);

    // Tags indented by CR LF TAB, as new tags are written: the indent in
    // front of the tag goes with it.
    page.SetText("<head>\r\n\t<meta name=a content=1>\r\n\t<meta name=b content=2>\r\n</head>", 1);
    page.RemoveMeta("b");
    EXPECT_EQ(page.GetText(), "<head>\r\n\t<meta name=a content=1>\r\n</head>");
    page.RemoveMeta("a");
    EXPECT_EQ(page.GetText(), "<head>\r\n</head>");

    // A tag that is the very last section.
    page.SetText("<head><meta name=z content=1>", 0);
    EXPECT_EQ(page.RemoveMeta("z"), 1);
    EXPECT_EQ(page.GetText(), "<head>");
}

TEST_F(PageWriting, SetOrRemoveTrimsTheContent) {
    page.SetText("<head><meta name=a content=1></head>", 1);
    page.SetOrRemoveMeta("a", " \t\r\n\v\f", 0);
    EXPECT_EQ(page.GetText(), "<head></head>");
    page.SetOrRemoveMeta("a", "  a ", 0);
    EXPECT_EQ(page.GetMetaContent("a"), "a");
}

TEST_F(PageWriting, SettingThenRemovingLeavesTheHeadAsNormalized) {
    const std::string original = "<HTML><HEAD>\r\n<META NAME=\"x\" CONTENT=\"1\">\r\n"
                                 "<TITLE>T</TITLE>\r\n</HEAD><BODY>\r\nText</BODY>\r\n";
    const std::string normalized = After(original);
    for (const char* name : {"description", "keywords", "robots"}) {
        page.SetMeta(name, "some value", 0);
    }
    page.SetMeta("x", "2", 0);
    for (const char* name : {"robots", "description", "keywords"}) {
        page.RemoveMeta(name);
    }
    page.SetMeta("x", "1", 0);
    EXPECT_EQ(page.GetMetaContent("x"), "1");
    EXPECT_EQ(page.GetText(), "<html><head>\r\n<meta name=\"x\" content=\"1\"/>\r\n"
                              "<title>T</title>\r\n</head><BODY>\r\nText</BODY>\r\n");
    EXPECT_NE(page.GetText(), normalized); // the meta tag itself is rewritten
}

TEST_F(PageWriting, TitleIsEscapedAndReplacedInPlace) {
    page.SetText("<head><title>old</title></head>", 1);
    EXPECT_EQ(page.SetTitle("A <B> & C"), 1);
    EXPECT_EQ(page.GetText(), "<head><title>A &lt;B&gt; & C</title></head>");
    EXPECT_EQ(page.GetTitle(), "A &lt;B&gt; & C");

    page.SetText("<head><title></title></head>", 1);
    EXPECT_EQ(page.SetTitle("New"), 1);
    EXPECT_EQ(page.GetText(), "<head><title>New</title></head>");
    EXPECT_TRUE(sink.messages.empty());

    // "<?>" is a whole server-script block, as a page read back cuts it: it
    // stays as it is and the rest is escaped, so the page reads back the same.
    page.SetText("<head><title></title></head>", 1);
    EXPECT_EQ(page.SetTitle("a <?> b\n\n?> c"), 1);
    EXPECT_EQ(page.GetText(), "<head><title>a <?> b\n\n?&gt; c</title></head>");
    CHtmlPage again;
    again.SetText(page.GetText(), 1);
    EXPECT_EQ(again.GetText(), page.GetText());
    EXPECT_EQ(EscapeTitleText("a <?> b ?> <%>"), "a <?> b ?> <%>");
}

TEST_F(PageWriting, TitleIsAddedBeforeTheClosingHead) {
    page.SetText("<head></head>", 1);
    EXPECT_EQ(page.SetTitle("New"), 1);
    EXPECT_EQ(page.GetText(), "<head><title>New</title></head>");
    EXPECT_EQ(page.GetTitle(), "New");

    page.SetText("<html><p>no head</p>", 1);
    EXPECT_EQ(page.SetTitle("New"), 0);
    EXPECT_EQ(page.GetText(), "<html><p>no head</p>");
}

TEST_F(PageWriting, UnclosedTitleIsReportedAndClosed) {
    page.SetText("<head><title><b>x</b></title></head>", 1);
    EXPECT_EQ(page.SetTitle("New"), 1);
    EXPECT_EQ(page.GetText(), "<head><title>New</title><b>x</b></title></head>");
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0], "<b>\r\nIs not </title>?");

    // The title text is the last section: the closing tag goes at the end.
    sink.messages.clear();
    page.SetText("<title>old", 0);
    EXPECT_EQ(page.SetTitle("New"), 1);
    EXPECT_EQ(page.GetText(), "<title>New</title>");
    EXPECT_EQ(sink.messages.size(), 1u);
}

TEST_F(PageWriting, MetaIndexFollowsInsertionsAndRemovals) {
    page.SetText("<head><meta name=a content=1></head><body>", 1);
    page.SetMeta("b", "2", 0);
    page.SetMeta("c", "3", 0);
    page.RemoveMeta("a");
    std::vector<std::string> names;
    for (const MetaTag& tag : page.GetMetaDataSet().tags) {
        names.push_back(tag.name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"b", "c"}));
}

} // namespace
} // namespace orlen
