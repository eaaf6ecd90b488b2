// Character references decoded into the text an author means, and text
// escaped for its place with no more than it needs.
#include "page/entities.h"

#include <gtest/gtest.h>

namespace orlen {
namespace {

TEST(CharacterReferences, EveryFormDecodesAndAnythingElseStays) {
    struct Row {
        const char* source;
        const char* text;
    };
    const Row rows[] = {
        {"Tom &amp; Jerry", "Tom & Jerry"},
        {"caf&eacute;", "caf\xc3\xa9"},
        {"&AMP;&lt;&gt;&quot;&apos;", "&<>\"'"},
        {"a&#8211;b &#x2013; &#X2013; &#8211 c", "a\xe2\x80\x93"
                                                 "b \xe2\x80\x93 \xe2\x80\x93 \xe2\x80\x93 c"},
        {"&#150;&#x80;", "\xe2\x80\x93\xe2\x82\xac"}, // C1 numbers read as windows-1252
        {"&#129;", "\xc2\x81"},                       // undefined there: itself
        {"&#0;&#xD800;&#1114112;&#99999999999999;",
         "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"},
        {"&NotEqualTilde;", "\xe2\x89\x82\xcc\xb8"}, // two code points
        {"AT&T, R&D; a & b", "AT&T, R&D; a & b"},    // no references
        {"&amp &copy x", "&amp &copy x"},            // named ones need their ";"
        {"&unknown; &#; &#x; &#xg; &", "&unknown; &#; &#x; &#xg; &"},
        {"&&amp;&", "&&&"},
        {"&ampere;", "&ampere;"}, // not "&amp;" + "ere;"
        {"", ""},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(DecodeCharacterReferences(row.source), row.text) << row.source;
    }
}

TEST(CharacterReferences, EscapingWritesOnlyWhatThePlaceNeedsAndReadsBack) {
    EXPECT_EQ(EscapeAttributeText("Tom & \"Jerry\" <3 'x'"), "Tom &amp; &quot;Jerry&quot; <3 'x'");
    EXPECT_EQ(EscapeTitleText("Tom & \"Jerry\" <3 >"), "Tom &amp; \"Jerry\" &lt;3 >");
    for (const char* text :
         {"a & b", "&amp;", "&#8211;", "\"quoted\"", "<b>", "caf\xc3\xa9 &", "&"}) {
        EXPECT_EQ(DecodeCharacterReferences(EscapeAttributeText(text)), text) << text;
        EXPECT_EQ(DecodeCharacterReferences(EscapeTitleText(text)), text) << text;
    }
}

TEST(CharacterReferences, TitlesKeepTheirScriptsAndValuesGoIntoThePagesCharset) {
    // A title's server scripts stay; only the text around them is escaped.
    EXPECT_EQ(EscapeTitleText("<?php echo $t; ?> & <b> <% x %> <?no end"),
              "<?php echo $t; ?> &amp; &lt;b> <% x %> &lt;?no end");
    // As the page's source: escaped, then in its charset.
    EXPECT_EQ(AttributeTextToSource("Caf\xc3\xa9 & \"Co\" \xe2\x80\x93", Charset::Latin1),
              "Caf\xe9 &amp; &quot;Co&quot; &#8211;");
    EXPECT_EQ(TitleTextToSource("a < b & \xc3\xa9", Charset::Utf8), "a &lt; b &amp; \xc3\xa9");
    EXPECT_EQ(SourceToText("Caf\xe9 &amp; &#8211;", Charset::Latin1), "Caf\xc3\xa9 & \xe2\x80\x93");
}

} // namespace
} // namespace orlen
