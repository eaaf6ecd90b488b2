// Finding a page's charset and converting between it and UTF-8.
#include "page/charset.h"
#include "page/html_page.h"

#include <gtest/gtest.h>

namespace orlen {
namespace {

Charset CharsetOf(const std::string& text) {
    CHtmlPage page;
    page.SetText(text, 1);
    return PageCharset(page, text);
}

TEST(Charset, DeclaredInTheHeadOrGuessedFromTheBytes) {
    EXPECT_EQ(CharsetOf("<head><meta charset=\"ISO-8859-1\"></head>"), Charset::Latin1);
    EXPECT_EQ(CharsetOf("<head><META HTTP-EQUIV=\"Content-Type\" "
                        "CONTENT=\"text/html; charset=windows-1252\"></head>"),
              Charset::Windows1252);
    EXPECT_EQ(CharsetOf("<head><meta http-equiv=content-type content='text/html;"
                        "Charset=UTF-8; x'></head>\xe9"),
              Charset::Utf8);
    EXPECT_EQ(CharsetOf("<head><meta charset=us-ascii></head>"), Charset::UsAscii);
    EXPECT_EQ(CharsetOf("<head></head>caf\xc3\xa9"), Charset::Utf8);
    EXPECT_EQ(CharsetOf("<head></head>caf\xe9"), Charset::Windows1252);
    // Unknown labels and declarations after the body fall back to the guess.
    EXPECT_EQ(CharsetOf("<head><meta charset=shift_jis></head>caf\xe9"), Charset::Windows1252);
    EXPECT_EQ(CharsetOf("<body><meta charset=iso-8859-1>caf\xc3\xa9"), Charset::Utf8);
}

TEST(Charset, Utf8ValidityRejectsOverlongsSurrogatesAndTruncation) {
    EXPECT_TRUE(IsValidUtf8("plain \xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80"));
    EXPECT_FALSE(IsValidUtf8("\xc0\xaf"));         // overlong "/"
    EXPECT_FALSE(IsValidUtf8("\xed\xa0\x80"));     // surrogate
    EXPECT_FALSE(IsValidUtf8("\xe2\x82"));         // cut short
    EXPECT_FALSE(IsValidUtf8("\xf4\x90\x80\x80")); // beyond U+10FFFF
    EXPECT_EQ(DecodeToUtf8("a\xff"
                           "b",
                           Charset::Utf8),
              "a\xef\xbf\xbd"
              "b");
}

TEST(Charset, SingleByteCharsetsRoundTripEveryByte) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all += static_cast<char>(b);
    }
    for (Charset c : {Charset::Latin1, Charset::Windows1252, Charset::UsAscii}) {
        const std::string utf8 = DecodeToUtf8(all, c);
        EXPECT_TRUE(IsValidUtf8(utf8));
        EXPECT_EQ(EncodeFromUtf8(utf8, c), all) << CharsetName(c);
    }
    EXPECT_EQ(DecodeToUtf8("\x80\xe9", Charset::Windows1252), "\xe2\x82\xac\xc3\xa9");
    EXPECT_EQ(DecodeToUtf8("\x80", Charset::Latin1), "\xc2\x80");
}

TEST(Charset, CharactersACharsetCannotHoldBecomeReferences) {
    EXPECT_EQ(EncodeFromUtf8("\xe2\x82\xac \xd0\x96", Charset::Latin1), "&#8364; &#1046;");
    EXPECT_EQ(EncodeFromUtf8("\xe2\x82\xac \xd0\x96", Charset::Windows1252), "\x80 &#1046;");
    EXPECT_EQ(EncodeFromUtf8("\xe2\x82\xac", Charset::Utf8), "\xe2\x82\xac");
    EXPECT_EQ(CharsetFromLabel(" Latin1 "), Charset::Latin1);
    EXPECT_FALSE(CharsetFromLabel("koi8-r").has_value());
}

} // namespace
} // namespace orlen
