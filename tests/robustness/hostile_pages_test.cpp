// Pages no editor should ever meet, met anyway: binary files, NUL bytes,
// huge pages and lines, absurd nesting and attribute counts, broken text
// encodings. None of them may crash the program, and the body of every page
// is written back exactly as it was read.
#include "page/charset.h"
#include "page/html_page.h"
#include "page/line_reader.h"
#include "tags/suggestions.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace orlen {
namespace {

// True when text ends with the page's body as it was read.
bool KeepsBody(CHtmlPage& page, std::string_view read) {
    if (page.BodyTextPosition() < 0) {
        return false;
    }
    const std::string_view body = read.substr(static_cast<std::size_t>(page.BodyTextPosition()));
    const std::string& text = page.GetText();
    return text.size() >= body.size() &&
           std::string_view(text).substr(text.size() - body.size()) == body;
}

TEST(HostilePage, NulBytesInHeadAndBodyAreKept) {
    static const char kRaw[] = "<html><head><title>a\0b</title>"
                               "<meta name=\"x\0y\" content=\"\0\">"
                               "</head><body>\0\0<p>z\0</p></body>\0";
    const std::string text = LinesToCrLf(std::string(kRaw, sizeof kRaw - 1));
    CHtmlPage page;
    page.SetText(text, 1);
    EXPECT_EQ(page.GetTitle(), std::string("a\0b", 3));
    EXPECT_EQ(page.SetTitle(std::string("t\0", 2)), 1);
    EXPECT_EQ(page.SetMeta("description", "d", 0), 1);
    EXPECT_TRUE(KeepsBody(page, text));
    EXPECT_EQ(page.GetTitle(), std::string("t\0", 2));
    EXPECT_NE(page.GetBodyText().find('z'), std::string::npos);
}

TEST(HostilePage, HundredMegabytePageAndFiftyMegabyteLine) {
    // Built in memory: a small head, then a body of many short lines.
    std::string big = "<html><head><title>big</title></head>\r\n<body>\r\n";
    const std::string line = "Fresh bread and cakes, every morning from six o'clock.\r\n";
    while (big.size() < 100u * 1024 * 1024) {
        big += line;
    }
    big += "</body></html>\r\n";
    {
        CHtmlPage page;
        page.SetText(big, 1);
        EXPECT_EQ(page.SetMeta("keywords", "bread", 0), 1);
        EXPECT_TRUE(KeepsBody(page, big));
        EXPECT_GT(page.GetText().size(), big.size());
    }
    big.clear();
    big.shrink_to_fit();

    // One line of 50 MB with no line end, tags in it, read as the editor
    // reads a file.
    std::string raw = "<html><head><title>one line</title></head><body><p>";
    raw.append(50u * 1024 * 1024, 'x');
    raw += "</p></body></html>";
    const std::string text = LinesToCrLf(raw);
    EXPECT_EQ(text.size(), raw.size() + 2); // one CR LF at the end
    CHtmlPage page;
    page.SetText(text, 1);
    EXPECT_EQ(page.GetTitle(), "one line");
    EXPECT_EQ(page.SetTitle("still one line"), 1);
    EXPECT_TRUE(KeepsBody(page, text));
    EXPECT_EQ(page.GetBodyText().size(), 50u * 1024 * 1024);
}

TEST(HostilePage, TagsNestedAHundredThousandDeep) {
    constexpr int kDepth = 100000;
    std::string text = "<html><head><title>deep</title></head><body>";
    for (int i = 0; i < kDepth; ++i) {
        text += i % 2 == 0 ? "<div>" : "<span>";
    }
    text += "bottom word bottom word bottom";
    for (int i = kDepth - 1; i >= 0; --i) {
        text += i % 2 == 0 ? "</div>" : "</span>";
    }
    text += "</body></html>";

    CHtmlPage page;
    page.SetText(text, 1);
    EXPECT_EQ(page.SetMeta("description", "deep", 0), 1);
    EXPECT_TRUE(KeepsBody(page, text));
    CHtmlPage again;
    again.SetText(page.GetText(), 1);
    EXPECT_EQ(again.GetText(), page.GetText());

    const std::string body = page.GetBodyText();
    EXPECT_NE(body.find("bottom word"), std::string::npos);
    EXPECT_EQ(SuggestKeywords(body, " the "), "bottom word ");
    EXPECT_EQ(SuggestDescription(body), "bottom word bottom word bottom");

    // Unclosed, too: nothing ever closes them.
    std::string open = "<html><head></head><body>";
    for (int i = 0; i < kDepth; ++i) {
        open += "<b><i>";
    }
    open += "end";
    CHtmlPage unclosed;
    unclosed.SetText(open, 1);
    EXPECT_EQ(unclosed.GetBodyText(), "end");
    EXPECT_TRUE(KeepsBody(unclosed, open));
}

TEST(HostilePage, TagWithAMillionAttributes) {
    std::string tag = "<meta name=\"robots\" content=\"noindex\"";
    for (int i = 0; i < 1000000; ++i) {
        tag += " a" + std::to_string(i) + "=v";
    }
    tag += ">";
    const std::string text = "<html><head>" + tag + "</head><body>text</body></html>";
    CHtmlPage page;
    page.SetText(text, 1);
    EXPECT_EQ(page.GetMetaContent("robots"), "noindex");
    EXPECT_EQ(page.SetMeta("robots", "nofollow", 0), 1);
    EXPECT_EQ(page.GetMetaContent("robots"), "nofollow");
    EXPECT_TRUE(KeepsBody(page, text));
    // The rewritten tag is the plain meta tag: the attributes went with the
    // old tag text, the body is untouched.
    EXPECT_LT(page.GetText().size(), 200u);
}

TEST(HostilePage, PngBytesReadAsAPage) {
    const unsigned char png[] = {0x89, 'P',  'N',  'G', '\r', '\n', 0x1a, '\n', 0,    0,
                                 0,    13,   'I',  'H', 'D',  'R',  0,    0,    0,    1,
                                 0,    0,    0,    1,   8,    6,    0,    0,    0,    0x1f,
                                 0x15, 0xc4, 0x89, '<', 0xff, '>',  0x00, 0xfe, '\r', '\r'};
    const std::string raw(reinterpret_cast<const char*>(png), sizeof png);
    const std::string text = LinesToCrLf(raw);
    CHtmlPage page;
    page.SetText(text, 1);
    EXPECT_EQ(page.GetText(), text); // read and rebuilt unchanged
    EXPECT_EQ(page.HasMetaDataPosition(), 0);
    EXPECT_EQ(page.SetMeta("description", "x", 0), 0);
    EXPECT_EQ(page.GetText(), text);
}

TEST(HostilePage, InvalidUtf8AndAFalseCharsetDeclaration) {
    // Declares UTF-8, holds Latin-1 and broken sequences.
    const std::string lying = "<html><head><meta charset=\"utf-8\"><title>Caf\xe9 \xc3</title>"
                              "</head><body>cr\xe8me \xf0\x9f br\xfbl\xe9"
                              "e</body></html>";
    CHtmlPage page;
    page.SetText(lying, 1);
    EXPECT_EQ(DeclaredCharsetLabel(page), "utf-8");
    EXPECT_EQ(PageCharset(page, lying), Charset::Utf8);
    const std::string title = DecodeToUtf8(page.GetTitle(), Charset::Utf8);
    EXPECT_EQ(title, "Caf\xef\xbf\xbd \xef\xbf\xbd"); // U+FFFD for each broken byte
    EXPECT_EQ(page.SetTitle("Caf\xc3\xa9"), 1);
    EXPECT_TRUE(KeepsBody(page, lying));
    (void)SuggestKeywords(page.GetBodyText(), "");

    // Declares Latin-1, holds UTF-8: every byte is a Latin-1 character.
    const std::string other = "<html><head><meta http-equiv=\"Content-Type\" "
                              "content=\"text/html; charset=iso-8859-1\"><title>Caf\xc3\xa9"
                              "</title></head><body>\xc3\xa9</body></html>";
    CHtmlPage latin;
    latin.SetText(other, 1);
    EXPECT_EQ(PageCharset(latin, other), Charset::Latin1);
    EXPECT_EQ(DecodeToUtf8(latin.GetTitle(), Charset::Latin1), "Caf\xc3\x83\xc2\xa9");
    EXPECT_EQ(latin.SetMeta("keywords", "caf\xc3\xa9", 0), 1);
    EXPECT_TRUE(KeepsBody(latin, other));

    // A declared charset nobody knows is read as if none were declared.
    const std::string unknown = "<html><head><meta charset=\"x-klingon\"></head>"
                                "<body>plain</body></html>";
    CHtmlPage odd;
    odd.SetText(unknown, 1);
    EXPECT_FALSE(CharsetFromLabel("x-klingon").has_value());
    (void)PageCharset(odd, unknown);
    EXPECT_TRUE(KeepsBody(odd, unknown));
}

} // namespace
} // namespace orlen
