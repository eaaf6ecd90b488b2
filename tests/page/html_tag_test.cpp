#include "page/element_table.h"
#include "page/html_tag.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace orlen {
namespace {

TEST(HtmlTagNormalize, LowersNamesAndCollapsesSpacesButKeepsQuotedText) {
    EXPECT_EQ(CHtmlTag("<META NAME = \"Keywords\"   CONTENT='A, B' >").Normalized(),
              "<meta name=\"Keywords\" content='A, B' >");
    EXPECT_EQ(CHtmlTag("<HEAD >").Normalized(), "<head >");
    EXPECT_EQ(CHtmlTag("<  P\tCLASS=Big\r\nID=x>").Normalized(), "<p class=Big id=x>");
    EXPECT_EQ(CHtmlTag("<a title=\"Line\r\nbreak\tand   spaces\">").Normalized(),
              "<a title=\"Line  break and   spaces\">");
    EXPECT_EQ(CHtmlTag("<br />").Normalized(), "<br />");
    EXPECT_EQ(CHtmlTag("<img src=a.gif/>").Normalized(), "<img src=a.gif/>");
}

TEST(HtmlTagNormalize, ClosesWhatIsLeftOpenAndIgnoresTextAfterTheEnd) {
    EXPECT_EQ(CHtmlTag("<a href=\"x").Normalized(), "<a href=\"x\">");
    EXPECT_EQ(CHtmlTag("<b").Normalized(), "<b>");
    EXPECT_EQ(CHtmlTag("<b>tail").Normalized(), "<b>");
    EXPECT_EQ(CHtmlTag("b>").Normalized(), "<b>");
}

TEST(HtmlTagNormalize, NeverTurnsATagIntoAScriptCommentOrDeclaration) {
    EXPECT_EQ(CHtmlTag("<\r\n?php x>").Normalized(), "< ?php x>");
    EXPECT_EQ(CHtmlTag("<  %= y>").Normalized(), "< %=y>");
    EXPECT_EQ(CHtmlTag("< !-- z>").Normalized(), "< !-- z>");
    EXPECT_EQ(CHtmlTag("< / B>").Normalized(), "</ b>");
}

TEST(HtmlTagNormalize, DeclarationsKeepCaseAndTheSpaceBeforeQuotedParts) {
    CHtmlTag doctype("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\" "
                     "\"http://www.w3.org/TR/html4/strict.dtd\">");
    EXPECT_EQ(doctype.Declaration(), 1);
    EXPECT_EQ(doctype.Normalized(), "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\" "
                                    "\"http://www.w3.org/TR/html4/strict.dtd\">");
    EXPECT_EQ(doctype.Name(), "!DOCTYPE");
    EXPECT_EQ(doctype.Kind(), TagKind::Opening);
    // The space before an opening quote is kept outside declarations too.
    EXPECT_EQ(CHtmlTag("<a  \"x\">").Normalized(), "<a \"x\">");
    EXPECT_EQ(CHtmlTag("<a b= \"x\">").Normalized(), "<a b=\"x\">");
}

TEST(HtmlTagNameAndKind, FollowTheSlashAndTheEmptyElements) {
    struct Case {
        const char* raw;
        const char* name;
        TagKind kind;
    };
    const Case cases[] = {
        {"</TITLE>", "title", TagKind::Closing},
        {"<title>", "title", TagKind::Opening},
        {"<br>", "br", TagKind::Empty},
        {"<meta name=x>", "meta", TagKind::Empty},
        {"<p/>", "p", TagKind::Empty},
        {"<Body BGCOLOR=White>", "body", TagKind::Opening},
        {"<unknown-tag x>", "unknown-tag", TagKind::Opening},
        {"<>", "", TagKind::Opening},
        {"<!DOCTYPE html>", "!DOCTYPE", TagKind::Opening},
    };
    for (const Case& c : cases) {
        CHtmlTag tag(c.raw);
        EXPECT_EQ(tag.Name(), c.name) << c.raw;
        EXPECT_EQ(tag.Kind(), c.kind) << c.raw;
    }
}

TEST(HtmlTagAttributes, ReadQuotedUnquotedAndBareValues) {
    CHtmlTag tag("<META NAME=\"Description\" CONTENT='It''s' lang=EN-us checked>");
    std::string value;
    EXPECT_EQ(tag.GetAttribute("name", value), 1);
    EXPECT_EQ(value, "Description");
    EXPECT_EQ(tag.GetAttribute("lang", value), 1);
    EXPECT_EQ(value, "EN-us");
    EXPECT_EQ(tag.GetAttribute("checked", value), 1);
    EXPECT_EQ(value, "");
    EXPECT_EQ(tag.GetAttribute("missing", value), 0);
    EXPECT_EQ(value, "");
    // A prefix of an attribute name is not the attribute.
    EXPECT_EQ(tag.GetAttribute("nam", value), 0);
    EXPECT_EQ(tag.GetAttribute("", value), 0);
}

TEST(HtmlTagAttributes, WordsInsideQuotedValuesAreNotAttributes) {
    CHtmlTag tag("<meta content=\"Enter your name here\" name=\"description\">");
    EXPECT_EQ(tag.Attribute("name"), "description");
    CHtmlTag onlyInside("<meta content=\"what is in a name = rose\">");
    std::string value;
    EXPECT_EQ(onlyInside.GetAttribute("name", value), 0);
}

TEST(HtmlTagAttributes, IntegerValues) {
    CHtmlTag tag("<input disabled a=TRUE b=false c=42 d=0x1F e=010 f=abc g=-7 h=99999999999>");
    int value = -1;
    EXPECT_EQ(tag.GetIntAttribute("disabled", value), 1);
    EXPECT_EQ(value, 1);
    EXPECT_EQ(tag.GetIntAttribute("a", value), 1);
    EXPECT_EQ(value, 1);
    EXPECT_EQ(tag.GetIntAttribute("b", value), 1);
    EXPECT_EQ(value, 0);
    tag.GetIntAttribute("c", value);
    EXPECT_EQ(value, 42);
    tag.GetIntAttribute("d", value);
    EXPECT_EQ(value, 31);
    tag.GetIntAttribute("e", value);
    EXPECT_EQ(value, 8);
    EXPECT_EQ(tag.GetIntAttribute("f", value), 1);
    EXPECT_EQ(value, 0);
    tag.GetIntAttribute("g", value);
    EXPECT_EQ(value, -7);
    tag.GetIntAttribute("h", value);
    EXPECT_EQ(value, 2147483647);
    EXPECT_EQ(tag.GetIntAttribute("zz", value), 0);
    EXPECT_EQ(value, 0);
}

TEST(HtmlTagSetAttribute, AddsReplacesAndQuotes) {
    CHtmlTag tag("<title>");
    tag.SetAttribute("action", "3");
    EXPECT_EQ(tag.Normalized(), "<title action=\"3\">");
    tag.SetAttribute("action", "5");
    EXPECT_EQ(tag.Normalized(), "<title action=\"5\">");
    EXPECT_EQ(tag.Name(), "title");

    CHtmlTag unquotedLast("<title action=1>");
    unquotedLast.SetAttribute("action", "3");
    EXPECT_EQ(unquotedLast.Normalized(), "<title action=\"3\">");

    CHtmlTag unquotedMiddle("<title action=1 lang=en>");
    unquotedMiddle.SetAttribute("action", "7");
    EXPECT_EQ(unquotedMiddle.Normalized(), "<title action=\"7\" lang=en>");

    CHtmlTag single("<a title='x'>");
    single.SetAttribute("title", "say \"hi\"");
    EXPECT_EQ(single.Normalized(), "<a title='say \"hi\"'>");
    EXPECT_EQ(single.Attribute("title"), "say \"hi\"");

    CHtmlTag bare("<a title=\"x\" id=y>");
    bare.SetAttribute("title", "");
    EXPECT_EQ(bare.Normalized(), "<a title id=y>");

    CHtmlTag selfClosed("<meta name=\"a\" content=\"b\"/>");
    selfClosed.SetAttribute("action", "2");
    EXPECT_EQ(selfClosed.Normalized(), "<meta name=\"a\" content=\"b\" action=\"2\"/>");
}

TEST(HtmlTagSetAttribute, ValueWithBothQuotesStaysInsideTheTag) {
    CHtmlTag tag("<a>");
    tag.SetAttribute("title", "He said \"it's\"");
    EXPECT_EQ(tag.Normalized(), "<a title=\"He said &quot;it's&quot;\">");
    EXPECT_EQ(tag.Attribute("title"), "He said &quot;it's&quot;");
    EXPECT_EQ(CHtmlTag(tag.Normalized()).Normalized(), tag.Normalized());
}

TEST(ElementTable, HasItsRowsAndProperties) {
    const ElementEntry* rows = ElementTableRows();
    std::set<std::string_view> names;
    for (int i = 0; i < kElementTableSize; ++i) {
        names.insert(rows[i].name);
    }
    EXPECT_EQ(names.size(), 112u); // "layer" and "nolayer" appear twice
    EXPECT_EQ(rows[0].name, "html");
    EXPECT_EQ(rows[kElementTableSize - 1].name, "bdo");

    for (const char* empty :
         {"base", "link", "meta", "isindex", "hr", "col", "br", "img", "param", "embed", "frame",
          "wbr", "bgsound", "spacer", "keygen", "area", "input", "basefont"}) {
        EXPECT_TRUE(LookupElement(empty).HasEmptyContent()) << empty;
        EXPECT_FALSE(LookupElement(empty).KeepsTextLayout()) << empty;
    }
    for (const char* plain :
         {"head", "style", "script", "server", "frameset", "noframes", "option", "textarea"}) {
        EXPECT_FALSE(LookupElement(plain).KeepsTextLayout()) << plain;
        EXPECT_FALSE(LookupElement(plain).HasEmptyContent()) << plain;
    }
    for (const char* flow : {"p", "body", "b", "td", "layer", "nolayer", "bdo", "title"}) {
        EXPECT_TRUE(LookupElement(flow).KeepsTextLayout()) << flow;
    }
    EXPECT_FALSE(LookupElement("P").KeepsTextLayout()); // exact, case-sensitive
    EXPECT_FALSE(LookupElement("nosuch").KeepsTextLayout());
}

} // namespace
} // namespace orlen
