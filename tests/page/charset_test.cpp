// Finding a page's charset and converting between it and UTF-8.
#include "page/charset.h"
#include "page/html_page.h"

#include <optional>

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
    // A declared label that is no supported charset is unsupported;
    // declarations after the body do not count.
    EXPECT_EQ(CharsetOf("<head><meta charset=iso-2022-jp></head>caf\xe9"), Charset::Unsupported);
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
    EXPECT_FALSE(CharsetFromLabel("utf-16le").has_value());
}

TEST(Charset, EveryCharsetReadsAndWritesItsOwnBytes) {
    struct Row {
        const char* label; // as a page declares it
        const char* name;  // the charset it names
        const char* bytes; // text in that charset
        const char* text;  // the same text in UTF-8
    };
    const Row rows[] = {
        {"ISO-8859-2", "ISO-8859-2",
         "\xb9kola \xe8"
         "aj",
         "\xc5\xa1kola \xc4\x8d"
         "aj"},
        {"latin2", "ISO-8859-2", "\xa9", "\xc5\xa0"},
        {"iso-8859-5", "ISO-8859-5", "\xb6", "\xd0\x96"},
        {"ISO-8859-7", "ISO-8859-7", "\xe1", "\xce\xb1"},
        {"iso-8859-8-i", "ISO-8859-8-I", "\xf9", "\xd7\xa9"},
        {"iso-8859-9", "ISO-8859-9", "\xfd", "\xc4\xb1"},
        {"ISO-8859-15", "ISO-8859-15", "\xa4", "\xe2\x82\xac"},
        {"l6", "ISO-8859-10", "\xa1", "\xc4\x84"},
        {"iso-8859-16", "ISO-8859-16", "\xa4", "\xe2\x82\xac"},
        {"windows-1250", "windows-1250", "\x9a", "\xc5\xa1"},
        {"cp1251", "windows-1251", "\xc6\xe8\xe2", "\xd0\x96\xd0\xb8\xd0\xb2"},
        {"windows-1256", "windows-1256", "\xc7", "\xd8\xa7"},
        {"windows-1258", "windows-1258", "Vi\xeat", "Vi\xc3\xaat"},
        {"KOI8-R", "KOI8-R", "\xf6", "\xd0\x96"},
        {"koi8-u", "KOI8-U", "\xa4", "\xd1\x94"},
        {"Shift_JIS", "Shift_JIS", "\x93\xfa\x96\x7b", "\xe6\x97\xa5\xe6\x9c\xac"},
        {"sjis", "Shift_JIS", "\x83\x5c", "\xe3\x82\xbd"}, // a trail byte "\\"
        {"EUC-JP", "EUC-JP", "\xc6\xfc\xcb\xdc", "\xe6\x97\xa5\xe6\x9c\xac"},
        {"gb2312", "GBK", "\xd6\xd0\xce\xc4", "\xe4\xb8\xad\xe6\x96\x87"},
        {"GB18030", "gb18030", "\x81\x30\x81\x30", "\xc2\x80"},
        {"big5", "Big5", "\xa4\xa4\xa4\xe5", "\xe4\xb8\xad\xe6\x96\x87"},
        {"euc-kr", "EUC-KR", "\xc7\xd1\xb1\xb9", "\xed\x95\x9c\xea\xb5\xad"},
        {"ks_c_5601-1987", "EUC-KR", "\xc7\xd1", "\xed\x95\x9c"},
    };
    for (const Row& row : rows) {
        const std::optional<Charset> charset = CharsetFromLabel(row.label);
        ASSERT_TRUE(charset.has_value()) << row.label;
        EXPECT_EQ(CharsetName(*charset), row.name) << row.label;
        EXPECT_EQ(CharsetOf(std::string("<head><meta charset=\"") + row.label + "\"></head>"),
                  *charset)
            << row.label;
        EXPECT_EQ(DecodeToUtf8(row.bytes, *charset), row.text) << row.label;
        EXPECT_EQ(EncodeFromUtf8(row.text, *charset), row.bytes) << row.label;
        // What the charset cannot hold becomes a reference; ASCII stays.
        // gb18030 holds every character.
        const std::string emoji = "a<\xf0\x9f\x98\x80>";
        if (std::string_view(row.name) == "gb18030") {
            EXPECT_EQ(DecodeToUtf8(EncodeFromUtf8(emoji, *charset), *charset), emoji);
        } else {
            EXPECT_EQ(EncodeFromUtf8(emoji, *charset), "a<&#128512;>") << row.label;
        }
    }
}

TEST(Charset, BrokenBytesAndUnknownCharsetsNeverLoseTheRest) {
    const Charset sjis = *CharsetFromLabel("shift_jis");
    // A lead byte without its trail, in the middle and at the end.
    EXPECT_EQ(DecodeToUtf8("a\x93 b\x93", sjis), "a\xef\xbf\xbd b\xef\xbf\xbd");
    EXPECT_EQ(DecodeToUtf8("\xff\xfe", *CharsetFromLabel("euc-kr")), "\xef\xbf\xbd\xef\xbf\xbd");
    // Invalid UTF-8 typed in becomes U+FFFD, written as a reference where
    // the charset has no such character.
    EXPECT_EQ(EncodeFromUtf8("a\xff"
                             "b",
                             *CharsetFromLabel("koi8-r")),
              "a&#65533;b");
    // An unsupported charset shows its bytes as Latin-1.
    EXPECT_EQ(DecodeToUtf8("\x1b$B", Charset::Unsupported), "\x1b$B");
    EXPECT_EQ(DecodeToUtf8("\xe9", Charset::Unsupported), "\xc3\xa9");
    for (const char* label : {"iso-2022-jp", "utf-16", "UTF-16LE", "x-user-defined", "bogus"}) {
        CHtmlPage page;
        const std::string text = std::string("<head><meta charset=") + label + "></head>";
        page.SetText(text, 1);
        const CharsetChoice choice = ChoosePageCharset(page, text);
        EXPECT_EQ(choice.charset, Charset::Unsupported) << label;
        EXPECT_EQ(choice.source, CharsetSource::Unsupported) << label;
        EXPECT_EQ(choice.label, label);
    }
}

TEST(Charset, UndeclaredPagesAreDetected) {
    // "Eat some more of these soft French rolls and have some tea", and the
    // start of a sentence about Moscow, in windows-1251.
    const std::string cp1251 =
        "<html><head><title>\xd1\xfa\xe5\xf8\xfc</title></head><body><p>\xd1\xfa\xe5\xf8\xfc "
        "\xe6\xe5 \xe5\xf9\xb8 \xfd\xf2\xe8\xf5 \xec\xff\xe3\xea\xe8\xf5 "
        "\xf4\xf0\xe0\xed\xf6\xf3\xe7\xf1\xea\xe8\xf5 \xe1\xf3\xeb\xee\xea "
        "\xe4\xe0 \xe2\xfb\xef\xe5\xe9 \xf7\xe0\xfe. \xcc\xee\xf1\xea\xe2\xe0 "
        "\xf1\xf2\xee\xeb\xe8\xf6\xe0 \xd0\xee\xf1\xf1\xe8\xe8.</p></body></html>";
    CHtmlPage page;
    page.SetText(cp1251, 1);
    const CharsetChoice choice = ChoosePageCharset(page, cp1251);
    EXPECT_EQ(choice.source, CharsetSource::Detected);
    EXPECT_EQ(choice.charset, *CharsetFromLabel("windows-1251"));
    EXPECT_EQ(choice.label, "windows-1251");
    EXPECT_EQ(DecodeToUtf8(page.GetTitle(), choice.charset),
              "\xd0\xa1\xd1\x8a\xd0\xb5\xd1\x88\xd1\x8c");
    // Too few letters to tell: windows-1252, and said so.
    page.SetText("<head></head>caf\xe9", 1);
    EXPECT_EQ(ChoosePageCharset(page, "<head></head>caf\xe9").source, CharsetSource::Fallback);
}

} // namespace
} // namespace orlen
