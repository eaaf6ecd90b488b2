// Pages come back whole: what follows a title, the code of script and style
// elements, unquoted attribute values and server-generated titles survive a
// read, an edit and a rebuild.
#include "../page/page_test_util.h"
#include "document/scripted_ui.h"
#include "document/vantle_doc.h"

#include <gtest/gtest.h>

namespace orlen {
namespace {

enum class Op { Rebuild, SetTitle, AppendTitle, PrependTitle };

struct Row {
    const char* name;
    const char* page;
    Op op;
    const char* value;    // the title set, or the template title applied
    const char* title;    // the title as read before the change
    const char* expected; // the page text afterwards
};

std::string Edited(const Row& row) {
    if (row.op == Op::Rebuild || row.op == Op::SetTitle) {
        CHtmlPage page;
        page.SetText(row.page, 1);
        EXPECT_EQ(page.GetTitle(), row.title) << row.name;
        if (row.op == Op::SetTitle) {
            EXPECT_EQ(page.SetTitle(row.value), 1) << row.name;
        }
        return page.GetText();
    }
    ScriptedUi ui;
    CVantleDoc doc{ui};
    doc.NewTemplate();
    doc.SetTemplateTitle(row.value, row.op == Op::AppendTitle ? 6 : 7);
    doc.EditTemplate();
    doc.Page().SetText(row.page, 1);
    EXPECT_EQ(doc.Page().GetTitle(), row.title) << row.name;
    doc.ApplyTemplate();
    return doc.Page().GetText();
}

TEST(WholePages, TitlesScriptsAndAttributeValuesSurviveEditing) {
    const Row rows[] = {
        // What follows a title tag and could not be cut into sections is
        // never the title, and never overwritten or escaped.
        {"tail: tag with an unclosed quote",
         "<html><head><title><a href=\"x>\n</head><body>All "
         "the body text.</body></html>",
         Op::SetTitle, "New", "",
         "<html><head><title>New</title><a href=\"x>\n</head><body>All the body text.</body>"
         "</html>"},
        {"tail: a < with no > after it", "<head><title>< body, <and more", Op::SetTitle, "New", "",
         "<head><title>New</title>< body, <and more"},
        {"tail after title text", "<head><title>Old<a href='x>\n<body>b", Op::SetTitle, "New",
         "Old", "<head><title>New</title><a href='x>\n<body>b"},
        {"tail: append action", "<head><title><a href=\"x>\n</head><body>b</body>", Op::AppendTitle,
         "T", "", "<head><title> T</title><a href=\"x>\n</head><body>b</body>"},
        {"tail: prepend action", "<head><title><a href=\"x>\n</head><body>b</body>",
         Op::PrependTitle, "T", "", "<head><title>T </title><a href=\"x>\n</head><body>b</body>"},
        // A script or style element ends only at a closing tag that a
        // browser reads as one.
        {"script: end tag split in a string",
         "<HEAD><SCRIPT>document.write(\"<script src=x.js></script\"+\">\"); if (N<Max) "
         "Go();</SCRIPT></HEAD><BODY>b",
         Op::Rebuild, "", "",
         "<head><script>document.write(\"<script src=x.js></script\"+\">\"); if (N<Max) "
         "Go();</script></head><BODY>b"},
        {"script: longer name", "<head><script>a = '</scripts>'; if (A<B) C();</script ></head>",
         Op::Rebuild, "", "", "<head><script>a = '</scripts>'; if (A<B) C();</script ></head>"},
        {"script: end tag with a slash", "<head><script>if (A<B) C();</SCRIPT/></head>",
         Op::Rebuild, "", "", "<head><script>if (A<B) C();</script/></head>"},
        {"style: end tag in a string",
         "<head><STYLE>a::after{content:'</stylex'} B{}</STYLE\n>"
         "<TITLE>T</TITLE></head>",
         Op::SetTitle, "U", "T",
         "<head><style>a::after{content:'</stylex'} B{}</style ><title>U</title></head>"},
        {"script: end tag at the end of the text", "<head><script>if (A<B) C();</script",
         Op::Rebuild, "", "", "<head><script>if (A<B) C();</script"},
        // Unquoted attribute values keep their bytes; names are lowered.
        {"unquoted href", "<LINK REL=stylesheet HREF=/CSS/Main.css><body>", Op::Rebuild, "", "",
         "<link rel=stylesheet href=/CSS/Main.css><body>"},
        {"unquoted content", "<head><META NAME=rating CONTENT=General></head>", Op::Rebuild, "", "",
         "<head><meta name=rating content=General></head>"},
        {"unquoted around spaces", "<head><META NAME = Rating\tCONTENT =General ></head>",
         Op::Rebuild, "", "", "<head><meta name=Rating content=General ></head>"},
        {"unquoted value with = and quotes", "<A HREF=Page.php?A=B&C='D' TITLE=\"Q\">", Op::Rebuild,
         "", "", "<a href=Page.php?A=B&C='D' title=\"Q\">"},
        // A title made by a server script is read and replaced as a whole.
        {"script title", "<head><title><?php echo $pageTitle; ?> - Crumb</title></head>",
         Op::SetTitle, "Shop", "<?php echo $pageTitle; ?> - Crumb",
         "<head><title>Shop</title></head>"},
        {"script title in the middle", "<head><title>A <% =t %> B <?= $x ?></title></head>",
         Op::SetTitle, "C", "A <% =t %> B <?= $x ?>", "<head><title>C</title></head>"},
        {"script title: append action", "<head><title><?php echo $t; ?></title></head><body>",
         Op::AppendTitle, "| Shop", "<?php echo $t; ?>",
         "<head><title><?php echo $t; ?> | Shop</title></head><body>"},
        {"script title with a tag inside", "<head><title><?php x ?><b>y</b></title></head>",
         Op::SetTitle, "N", "", "<head><title>N</title><?php x ?><b>y</b></title></head>"},
        {"script title never closed", "<head><title><?php x ?> y</head><body>b", Op::SetTitle, "N",
         "", "<head><title>N</title><?php x ?> y</head><body>b"},
    };
    for (const Row& row : rows) {
        test::RecordingSink sink;
        EXPECT_EQ(Edited(row), row.expected) << row.name;
    }
}

TEST(WholePages, SettingATitleNeverShortensWhatFollowsIt) {
    // Whatever follows the title element, the text after the new title's
    // closing tag ends with everything that followed the old value.
    const char* const tails[] = {
        "<a href=\"x>\n</head><body>b",
        "< no end",
        "<!-- never closed",
        "<?php never closed",
        "<b>x</b></title></head><body>",
        "</title><body>",
    };
    for (const char* tail : tails) {
        test::RecordingSink sink;
        CHtmlPage page;
        page.SetText(std::string("<head><title>") + tail, 1);
        page.SetTitle("New");
        const std::string text = page.GetText();
        ASSERT_EQ(text.rfind("<head><title>New</title>", 0), 0u) << tail;
        EXPECT_EQ(text.substr(text.size() - std::string(tail).size()), tail) << tail;
    }
}

} // namespace
} // namespace orlen
