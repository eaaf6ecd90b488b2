// What the search-result and shared-card previews say: texts cut at a pixel
// width, counters against limits, breadcrumbs, the card's fallbacks and the
// local file an image names.
#include "../temp_dir.h"
#include "tags/share_preview.h"
#include "tags/text_width.h"

#include <gtest/gtest.h>

namespace orlen {
namespace {

TEST(SharePreview, TextsAreCutAfterAWholeWordWithinTheWidth) {
    const std::string ellipsis = "\xe2\x80\xa6";
    FittedText fitted = FitToPixels("  Short\n\ttitle  ", 20, 580);
    EXPECT_EQ(fitted.text, "Short title");
    EXPECT_FALSE(fitted.cut);
    EXPECT_EQ(fitted.chars, 11u);
    EXPECT_EQ(fitted.pixels, TextWidthPixels("Short title", 20));

    const std::string words =
        "Meta-data editing for whole sites, with previews of how search engines and social "
        "networks show each page \xe2\x80\x93 caf\xc3\xa9 edition";
    for (const int width : {60, 200, 333, 580}) {
        fitted = FitToPixels(words, 20, width);
        ASSERT_TRUE(fitted.cut) << width;
        EXPECT_LE(TextWidthPixels(fitted.text, 20), width) << fitted.text;
        ASSERT_TRUE(fitted.text.ends_with(ellipsis));
        const std::string kept = fitted.text.substr(0, fitted.text.size() - ellipsis.size());
        EXPECT_EQ(words.substr(0, kept.size()), kept);
        // Whole words, once the first one fits: a space follows what is kept.
        if (width > 60) {
            EXPECT_EQ(words[kept.size()], ' ') << fitted.text;
        } else {
            EXPECT_EQ(kept, "Met");
        }
        EXPECT_EQ(fitted.pixels, TextWidthPixels(words, 20));
    }
    // One word wider than the line is cut inside, never between the bytes
    // of a character.
    fitted =
        FitToPixels("\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9", 20, 60);
    EXPECT_TRUE(fitted.cut);
    EXPECT_LE(TextWidthPixels(fitted.text, 20), 60);
    EXPECT_EQ((CharacterCount(fitted.text) - 1) * 2, fitted.text.size() - ellipsis.size());
    // Too narrow for anything but the ellipsis.
    EXPECT_EQ(FitToPixels("Word", 20, 3).text, ellipsis);
}

TEST(SharePreview, CountersTurnAmberNearTheLimitAndRedPastIt) {
    EXPECT_EQ(LevelOf(50, 60), CounterLevel::Fine);
    EXPECT_EQ(LevelOf(54, 60), CounterLevel::Fine);
    EXPECT_EQ(LevelOf(55, 60), CounterLevel::Close);
    EXPECT_EQ(LevelOf(60, 60), CounterLevel::Close);
    EXPECT_EQ(LevelOf(61, 60), CounterLevel::Over);
    EXPECT_EQ(LevelOf(10, 60, 30), CounterLevel::Close); // too short
    EXPECT_EQ(LevelOf(0, 920), CounterLevel::Fine);
}

TEST(SharePreview, BreadcrumbFromTheCanonicalAddressOrThePath) {
    const std::string sep = " \xe2\x80\xba ";
    EXPECT_EQ(Breadcrumb("https://User@Example.ORG/docs/guide/?q=1#top", "/s/x.html", "/s"),
              "https://example.org" + sep + "docs" + sep + "guide");
    EXPECT_EQ(Breadcrumb("", "/home/ann/site/docs/intro.html", "/home/ann/site"),
              "site" + sep + "docs" + sep + "intro.html");
    EXPECT_EQ(Breadcrumb("", "/home/ann/site/index.html", "/home/ann/site/"),
              "site" + sep + "index.html");
    // Not inside the site folder (a sibling whose name starts the same).
    EXPECT_EQ(Breadcrumb("", "/home/ann/site2/a/p.html", "/home/ann/site"), "a" + sep + "p.html");
    EXPECT_EQ(Breadcrumb("ftp://e.org/x", "", "/home/ann/site"), "site");
    EXPECT_EQ(Breadcrumb("", "", ""), "");
}

TEST(SharePreview, CardTextsFallBackAsThePlatformsDo) {
    CardSource s;
    s.title = "Page title";
    s.description = "Page description";
    s.siteFolder = "/srv/www/example";
    CardText card = ComposeCard(s);
    EXPECT_EQ(card.title, "Page title");
    EXPECT_EQ(card.description, "Page description");
    EXPECT_EQ(card.image, "");
    EXPECT_EQ(card.siteName, "example");

    s.twitterTitle = "Tweet title";
    s.twitterImage = "t.png";
    s.canonical = "https://www.example.org/p";
    card = ComposeCard(s);
    EXPECT_EQ(card.title, "Tweet title");
    EXPECT_EQ(card.image, "t.png");
    EXPECT_EQ(card.siteName, "www.example.org");

    s.ogTitle = "  Open\nGraph  ";
    s.ogDescription = "OG description";
    s.ogImage = " img/card.jpg ";
    s.ogSiteName = "Example";
    s.ogUrl = "https://other.example/p";
    card = ComposeCard(s);
    EXPECT_EQ(card.title, "Open Graph");
    EXPECT_EQ(card.description, "OG description");
    EXPECT_EQ(card.image, "img/card.jpg");
    EXPECT_EQ(card.siteName, "Example");
    s.ogSiteName = " ";
    EXPECT_EQ(ComposeCard(s).siteName, "other.example");
}

TEST(SharePreview, LocalImagesAreFoundBesideThePageRemoteOnesNever) {
    test::TempDir dir;
    dir.Write("site/img/card.png", "png");
    dir.Write("site/docs/page.html", "<html>");
    const std::string page = (dir / "site/docs/page.html");
    EXPECT_EQ(LocalImagePath("../img/card.png", page), (dir / "site/img/card.png"));
    EXPECT_EQ(LocalImagePath("../img/my%20card.png?v=2#x", page), (dir / "site/img/my card.png"));
    EXPECT_EQ(LocalImagePath("/img/card.png", page), (dir / "site/img/card.png"));
    EXPECT_EQ(LocalImagePath("/img/none.png", page), "");
    EXPECT_EQ(LocalImagePath("file:///tmp/x.png", page), "/tmp/x.png");
    for (const char* remote : {"https://e.org/c.png", "//cdn.e.org/c.png", "HTTP://e.org/c.png",
                               "data:image/png;base64,AAAA", ""}) {
        EXPECT_EQ(LocalImagePath(remote, page), "") << remote;
    }
    EXPECT_EQ(LocalImagePath("card.png", ""), ""); // a page never saved
}

} // namespace
} // namespace orlen
