// The template page: meta tags and title with their actions.
#include "document/template_page.h"
#include "page/page_messages.h"

#include <gtest/gtest.h>

namespace orlen {
namespace {

const std::string kNewTemplate = "<html><head></head><body>made by</body></html>";

TEST(TemplatePage, MetaTagsCarryTheirActionAndFollowTheHeadWithoutLineBreaks) {
    CTemplatePage t;
    t.SetText(kNewTemplate, 0);
    EXPECT_EQ(t.SetMetaWithAction("author", "Ann", 0, 3), 1);
    EXPECT_EQ(t.SetMetaWithAction("Refresh", "", 1, 1), 1);
    EXPECT_EQ(t.GetText(), "<html><head><meta name=\"author\" content=\"Ann\" action=\"3\"/>"
                           "<meta http-equiv=\"Refresh\" content=\"\" action=\"1\"/>"
                           "</head><body>made by</body></html>");
    // In place, by name without regard to case.
    EXPECT_EQ(t.SetMetaWithAction("AUTHOR", "say \"hi\"", 0, 7), 1);
    EXPECT_EQ(t.GetText(), "<html><head><meta name=\"AUTHOR\" content='say \"hi\"' action=\"7\"/>"
                           "<meta http-equiv=\"Refresh\" content=\"\" action=\"1\"/>"
                           "</head><body>made by</body></html>");
    EXPECT_EQ(t.GetMetaAction("author"), 7);
    EXPECT_EQ(t.GetMetaAction("refresh"), 1);

    CTemplatePage noHead;
    noHead.SetText("<p>x</p>", 0);
    EXPECT_EQ(noHead.SetMetaWithAction("a", "b", 0, 1), 0);
    EXPECT_EQ(noHead.GetText(), "<p>x</p>");
}

TEST(TemplatePage, MetaActionsReadAsLeadingDigits) {
    CTemplatePage t;
    t.SetText("<head><meta name=a action=\"12abc\"><meta name=b action=x><meta name=c>"
              "<meta name=d action><meta name=e action=\"\"><meta name=A action=5>"
              "<meta name=f action=-3></head>",
              0);
    EXPECT_EQ(t.GetMetaAction("a"), 12); // the first tag of a name wins
    EXPECT_EQ(t.GetMetaAction("b"), 0);
    EXPECT_EQ(t.GetMetaAction("c"), -1);
    EXPECT_EQ(t.GetMetaAction("d"), -1);
    EXPECT_EQ(t.GetMetaAction("e"), -1);
    EXPECT_EQ(t.GetMetaAction("f"), 0);
    EXPECT_EQ(t.GetMetaAction("missing"), -1);
}

TEST(TemplatePage, TitleIsAddedBeforeTheClosingHeadWithItsAction) {
    CTemplatePage t;
    t.SetText(kNewTemplate, 0);
    std::string title = "x";
    int action = 0;
    EXPECT_EQ(t.GetTitleWithAction(title, action), 0);
    EXPECT_EQ(title, "");
    EXPECT_EQ(action, -1);

    EXPECT_EQ(t.SetTitleWithAction("T", 3), 1);
    EXPECT_EQ(t.GetText(),
              "<html><head><title action=\"3\">T</title></head><body>made by</body></html>");
    EXPECT_EQ(t.SetTitleWithAction("U <v>", 6), 1);
    EXPECT_EQ(t.GetText(), "<html><head><title action=\"6\">U &lt;v&gt;</title></head><body>"
                           "made by</body></html>");
    EXPECT_EQ(t.GetTitleWithAction(title, action), 1);
    EXPECT_EQ(title, "U &lt;v&gt;");
    EXPECT_EQ(action, 6);
}

TEST(TemplatePage, TitleActionIsAnIntegerAttribute) {
    CTemplatePage t;
    std::string title;
    int action = 9;
    t.SetText("<title action>x</title>", 0);
    EXPECT_EQ(t.GetTitleWithAction(title, action), 1);
    EXPECT_EQ(action, 1);
    t.SetText("<title action=false>x</title>", 0);
    t.GetTitleWithAction(title, action);
    EXPECT_EQ(action, 0);
    t.SetText("<title>x</title>", 0);
    t.GetTitleWithAction(title, action);
    EXPECT_EQ(action, 0);
    // A body tag before the title: no title.
    t.SetText("<body><title action=2>x</title>", 0);
    EXPECT_EQ(t.GetTitleWithAction(title, action), 0);
    EXPECT_EQ(action, -1);
}

TEST(TemplatePage, WritesNeverLandAfterTheFirstBodyTag) {
    CTemplatePage t;
    t.SetText("<html><body><head><meta name=a content=1 action=1></head></body>", 0);
    EXPECT_EQ(t.SetMetaWithAction("a", "2", 0, 1), 0);
    EXPECT_EQ(t.SetTitleWithAction("T", 1), 0);
    EXPECT_EQ(t.GetText(), "<html><body><head><meta name=a content=1 action=1></head></body>");
}

} // namespace
} // namespace orlen
