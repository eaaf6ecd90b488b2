// Open Graph property tags, canonical and hreflang links and the page's
// language: read, set and removed like meta tags, before the first body tag
// only, each kind matched apart from the others.
#include "document/command_ids.h"
#include "document/scripted_ui.h"
#include "document/template_action.h"
#include "document/vantle_doc.h"

#include <gtest/gtest.h>

namespace orlen {
namespace {

TEST(HeadItems, SetAndRemoveByKind) {
    struct Case {
        const char* what;
        const char* page;
        const char* name;
        int kind;
        const char* value; // nullptr removes
        const char* expected;
    };
    const Case cases[] = {
        {"new property after the head tag", "<html><head><title>T</title></head><body>x",
         "og:title", kMetaProperty, "X",
         "<html><head>\n\t<meta property=\"og:title\" content=\"X\"/><title>T</title></head>"
         "<body>x"},
        {"property in upper case replaced in place",
         "<head><META PROPERTY=\"OG:Title\" CONTENT=\"old\" data-x=1></head><body>", "og:title",
         kMetaProperty, "new", "<head><meta property=\"og:title\" content=\"new\"/></head><body>"},
        {"a name tag of the same name is another tag",
         "<head><meta name=\"og:title\" content=\"N\"></head><body>", "og:title", kMetaProperty,
         "P",
         "<head><meta name=\"og:title\" content=\"N\">\n\t"
         "<meta property=\"og:title\" content=\"P\"/></head><body>"},
        {"removing a property leaves the name tag",
         "<head><meta name=og:type content=N><meta property=og:type content=P>\n\t</head>",
         "og:type", kMetaProperty, nullptr, "<head><meta name=og:type content=N></head>"},
        {"a property in the body is not the head's",
         "<head></head><body><meta property=og:url content=b>", "og:url", kMetaProperty, "h",
         "<head>\n\t<meta property=\"og:url\" content=\"h\"/></head><body><meta property=og:url "
         "content=b>"},
        {"new canonical link where new meta tags go",
         "<head><meta name=a content=1><title>T</title></head>", "canonical", kLinkItem,
         "https://e.org/a",
         "<head><meta name=a content=1>\n\t<link rel=\"canonical\" href=\"https://e.org/a\"/>"
         "<title>T</title></head>"},
        {"existing link keeps its other attributes",
         "<head><LINK REL=\"Canonical\" HREF=\"old\" TYPE=\"text/html\"></head><body>", "CANONICAL",
         kLinkItem, "new",
         "<head><link rel=\"Canonical\" href=\"new\" type=\"text/html\"></head><body>"},
        {"hreflang alternates are told apart by language",
         "<head><link rel=alternate hreflang=de href=/de/></head>", "alternate:fr", kLinkItem,
         "/fr/",
         "<head>\n\t<link rel=\"alternate\" hreflang=\"fr\" href=\"/fr/\"/>"
         "<link rel=alternate hreflang=de href=/de/></head>"},
        {"an alternate without hreflang is no item",
         "<head><link rel=alternate type=application/rss+xml href=/feed></head>", "alternate:en",
         kLinkItem, nullptr,
         "<head><link rel=alternate type=application/rss+xml href=/feed></head>"},
        {"removing a link takes its line break",
         "<head><title>T</title>\n\t<link rel=canonical href=/x></head>", "canonical", kLinkItem,
         nullptr, "<head><title>T</title></head>"},
        {"a link in the body is never touched", "<head></head><body><link rel=canonical href=/b>",
         "canonical", kLinkItem, "/h",
         "<head>\n\t<link rel=\"canonical\" href=\"/h\"/></head><body><link rel=canonical "
         "href=/b>"},
        {"language added to the html tag alone", "<HTML class=x><head></head><body>", "lang",
         kHtmlLang, "en", "<html class=x lang=\"en\"><head></head><body>"},
        {"language replaced", "<html lang=de dir=ltr><head></head>", "lang", kHtmlLang, "de-CH",
         "<html lang=\"de-CH\" dir=ltr><head></head>"},
        {"language removed, other attributes kept", "<html lang=de dir=ltr><head></head>", "lang",
         kHtmlLang, nullptr, "<html dir=ltr><head></head>"},
        {"the html tag after the body is not the page's", "<head></head><body><html lang=xx>",
         "lang", kHtmlLang, nullptr, "<head></head><body><html lang=xx>"},
    };
    for (const Case& c : cases) {
        CHtmlPage page;
        page.SetText(c.page, 1);
        if (c.value == nullptr) {
            EXPECT_EQ(page.RemoveMeta(c.name, c.kind), 1) << c.what;
        } else {
            EXPECT_EQ(page.SetMeta(c.name, c.value, c.kind), 1) << c.what;
            EXPECT_EQ(page.GetMetaContent(c.name, c.kind), c.value) << c.what;
        }
        EXPECT_EQ(page.GetText(), c.expected) << c.what;
    }
}

TEST(HeadItems, ReadInPageOrderWithTheirKinds) {
    CHtmlPage page;
    page.SetText("<!DOCTYPE html><html lang=\"en-GB\"><head><meta charset=\"utf-8\">"
                 "<meta property=\"og:title\" content=\"Card\">"
                 "<meta name=\"og:title\" content=\"Named\">"
                 "<link rel=\"stylesheet\" href=\"s.css\">"
                 "<link rel=\"canonical\" href=\"https://e.org/\">"
                 "<link rel=\"alternate\" hreflang=\"de\" href=\"https://e.org/de/\">"
                 "</head><body><link rel=canonical href=/body></body></html>",
                 1);
    const MetaDataSet set = page.GetMetaDataSet();
    ASSERT_EQ(set.tags.size(), 3u);
    EXPECT_EQ(set.tags[0], (MetaTag{"", "", kMetaHttpEquiv})); // the charset declaration
    EXPECT_EQ(set.tags[1], (MetaTag{"og:title", "Card", kMetaProperty}));
    EXPECT_EQ(set.tags[2], (MetaTag{"og:title", "Named", kMetaName}));
    ASSERT_EQ(set.links.size(), 2u);
    EXPECT_EQ(set.links[0], (MetaTag{"canonical", "https://e.org/", kLinkItem}));
    EXPECT_EQ(set.links[1], (MetaTag{"alternate:de", "https://e.org/de/", kLinkItem}));
    EXPECT_TRUE(set.hasLang);
    EXPECT_EQ(set.lang, "en-GB");
    EXPECT_EQ(page.GetMetaContent("OG:TITLE", kMetaProperty), "Card");
    EXPECT_EQ(page.GetMetaContent("og:title"), "Named");
    EXPECT_EQ(page.GetMetaContent("Alternate:DE", kLinkItem), "https://e.org/de/");

    // A page without an opening body tag keeps its links in the part it cuts.
    CHtmlPage noBody;
    noBody.SetText("<html lang=fr><head><title>T</title></head>" + std::string(5000, 'x') +
                       "<link rel=canonical href=/late>" + std::string(5000, 'y'),
                   1);
    EXPECT_EQ(noBody.GetMetaContent("canonical", kLinkItem), "/late");
    EXPECT_EQ(noBody.GetMetaContent("lang", kHtmlLang), "fr");
}

TEST(HeadItems, WritingRefusesWhatHasNoPlace) {
    CHtmlPage page;
    page.SetText("<p>no head, no html tag</p>", 1);
    EXPECT_EQ(page.SetMeta("lang", "en", kHtmlLang), 0);
    EXPECT_EQ(page.SetMeta("canonical", "/x", kLinkItem), 0);
    page.SetText("<head></head>", 1);
    EXPECT_EQ(page.SetMeta("stylesheet", "/x", kLinkItem), 0); // not a link item
    EXPECT_EQ(page.SetMeta("alternate:", "/x", kLinkItem), 0); // no language
    EXPECT_EQ(page.GetText(), "<head></head>");
    // A line break in a value is a space, as in a tag read from a page: the
    // page reads back as it was written.
    page.SetText("<html><head></head>", 1);
    EXPECT_EQ(page.SetMeta("lang", "en\nGB", kHtmlLang), 1);
    EXPECT_EQ(page.GetMetaContent("lang", kHtmlLang), "en GB");
    CHtmlPage again;
    again.SetText(page.GetText(), 1);
    EXPECT_EQ(again.GetText(), page.GetText());
    // A value with a double quote reads back as it was written.
    EXPECT_EQ(page.SetMeta("canonical", "/a\"b", kLinkItem), 1);
    EXPECT_EQ(page.GetMetaContent("canonical", kLinkItem), "/a\"b");
}

// Templates carry properties, links and the language with every action.
class HeadItemTemplates : public ::testing::Test {
protected:
    ScriptedUi ui;
    CVantleDoc doc{ui};
};

TEST_F(HeadItemTemplates, EveryActionOnEachKind) {
    struct Kind {
        const char* name;
        int kind;
        const char* pageWith;    // a page holding the item with value "p"
        const char* pageWithout; // the same page without it
    };
    const Kind kinds[] = {
        {"og:description", kMetaProperty,
         "<html><head><meta property=og:description content=p></head><body>",
         "<html><head></head><body>"},
        {"canonical", kLinkItem, "<html><head><link rel=canonical href=p></head><body>",
         "<html><head></head><body>"},
        {"alternate:de", kLinkItem,
         "<html><head><link rel=alternate hreflang=de href=p></head><body>",
         "<html><head></head><body>"},
        {"lang", kHtmlLang, "<html lang=p><head></head><body>", "<html><head></head><body>"},
    };
    struct Action {
        int action;
        const char* withPage; // result on the page with "p"; nullptr: absent
        const char* without;  // result on the page without it
    };
    const Action actions[] = {
        {AlwaysSet, "t", "t"},
        {NeverChange, "p", nullptr},
        {SetIfMissing, "p", "t"},
        {ReplaceIfPresent, "t", nullptr},
        {AlwaysRemove, nullptr, nullptr},
        {AppendAfter, "p t", " t"},
        {PrependBefore, "t p", "t "},
    };
    for (const Kind& k : kinds) {
        for (const Action& a : actions) {
            doc.NewTemplate();
            doc.SetTemplateMeta(k.name, "t", k.kind, a.action);
            doc.EditTemplate();
            ASSERT_EQ(doc.Template().GetMetaAction(k.name, k.kind), a.action) << k.name;
            for (const bool with : {true, false}) {
                doc.Page().SetText(with ? k.pageWith : k.pageWithout, 1);
                doc.OnCommand(cmd::kApplyTemplate);
                const char* expected = with ? a.withPage : a.without;
                CHtmlPage& page = doc.Page();
                const std::string trace = std::string(k.name) + " action " +
                                          std::to_string(a.action) + (with ? " on p" : " on none");
                if (expected == nullptr) {
                    EXPECT_TRUE(page.IsNull(page.FindMetaByName(k.name, k.kind))) << trace;
                } else {
                    EXPECT_EQ(page.GetMetaContent(k.name, k.kind), expected) << trace;
                }
                EXPECT_TRUE(page.GetText().ends_with("</head><body>")) << trace;
            }
        }
    }
}

TEST_F(HeadItemTemplates, ANewTemplateTakesThePagesItems) {
    doc.Page().SetText("<html lang=en><head><meta property=og:type content=article>"
                       "<link rel=canonical href=/c></head><body>",
                       1);
    ui.answers.push_back(Answer::Yes); // base the template on the page
    doc.NewTemplate();
    CTemplatePage& t = doc.Template();
    EXPECT_EQ(t.GetMetaContent("og:type", kMetaProperty), "article");
    EXPECT_EQ(t.GetMetaAction("og:type", kMetaProperty), SetIfMissing);
    EXPECT_EQ(t.GetMetaContent("canonical", kLinkItem), "/c");
    EXPECT_EQ(t.GetMetaAction("canonical", kLinkItem), SetIfMissing);
    EXPECT_EQ(t.GetMetaContent("lang", kHtmlLang), "en");
    EXPECT_EQ(t.GetMetaAction("lang", kHtmlLang), SetIfMissing);
    // Read back after a save as a template file holds them.
    CTemplatePage reread;
    reread.SetText(t.GetText(), 0);
    const auto items = reread.GetHeadItemsWithActions();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].item, (MetaTag{"lang", "en", kHtmlLang}));
    EXPECT_EQ(items[1].item, (MetaTag{"canonical", "/c", kLinkItem}));
    EXPECT_EQ(items[1].action, SetIfMissing);
}

} // namespace
} // namespace orlen
