// The checks of a whole site on hand-made pages: every finding, lengths in
// characters and pixels, duplicates across pages, limits in the settings.
#include "shell/settings_store.h"
#include "tags/site_audit.h"
#include "tags/text_width.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace orlen {
namespace {

PageAudit Audit(const std::string& text, const AuditLimits& limits = {}) {
    CHtmlPage head;
    head.SetHeadText(text);
    return AuditPage("p.html", head, text, limits);
}

std::vector<std::string> Ids(const PageAudit& page) {
    std::vector<std::string> ids;
    for (const Finding& f : page.findings) {
        ids.push_back(f.id);
    }
    return ids;
}

const Finding* FindingOf(const PageAudit& page, std::string_view id) {
    for (const Finding& f : page.findings) {
        if (f.id == id) {
            return &f;
        }
    }
    return nullptr;
}

const std::string kGoodTitle = "Bakery opening hours and the bread of the day";
const std::string kGoodDescription =
    "When the bakery in the old town is open, which breads come out of the oven each day, "
    "and how to order.";

std::string Page(const std::string& head) {
    return "<html><head><meta charset=\"utf-8\">" + head + "</head><body>x</body></html>";
}

std::string GoodHead() {
    return "<title>" + kGoodTitle + "</title><meta name=\"description\" content=\"" +
           kGoodDescription + "\">";
}

TEST(SiteAudit, AGoodPageHasNoFindingsAndItsValuesAreText) {
    const PageAudit page =
        Audit(Page("<title>Caf&eacute; &amp; bakery in Harbour Street, opening hours</title>"
                   "<meta name=\"description\" content=\"" +
                   kGoodDescription +
                   "\"><meta name=keywords content=\"bread, cake\">"
                   "<meta name=robots content=\"index, follow\">"));
    // Only the note that the keywords tag is one search engines ignore.
    EXPECT_EQ(Ids(page), std::vector<std::string>{"obsolete-tag"});
    EXPECT_EQ(page.findings[0].message.substr(0, 10), "keywords: ");
    EXPECT_EQ(page.title, "Caf\xc3\xa9 & bakery in Harbour Street, opening hours");
    EXPECT_EQ(page.titleChars, 46);
    EXPECT_EQ(page.keywords, "bread, cake");
    EXPECT_EQ(page.robots, "index, follow");
    EXPECT_EQ(page.path, "p.html");
}

TEST(SiteAudit, TitleFindings) {
    EXPECT_EQ(Ids(Audit(Page("<meta name=description content=\"" + kGoodDescription + "\">"))),
              std::vector<std::string>{"title-missing"});
    EXPECT_EQ(Ids(Audit(Page("<title> \n </title><meta name=description content=\"" +
                             kGoodDescription + "\">"))),
              std::vector<std::string>{"title-empty"});
    const PageAudit twice = Audit(Page(GoodHead() + "<title>Another</title>"));
    EXPECT_EQ(Ids(twice), std::vector<std::string>{"title-multiple"});
    EXPECT_EQ(twice.title, kGoodTitle); // the first one counts
    EXPECT_EQ(Ids(Audit(Page("<title>Short</title><meta name=description content=\"" +
                             kGoodDescription + "\">"))),
              std::vector<std::string>{"title-too-short"});
    // White space runs count as one space, as a browser shows them.
    const PageAudit spaced = Audit(Page("<title>  Bakery\r\n opening   hours and the bread of the "
                                        "day </title><meta name=description content=\"" +
                                        kGoodDescription + "\">"));
    EXPECT_EQ(spaced.title, kGoodTitle);
    EXPECT_EQ(Ids(spaced), std::vector<std::string>{});
}

// 60 characters is the limit, but wide letters reach 580 px sooner: the
// pixel limit is its own finding.
TEST(SiteAudit, LengthsCountInCharactersAndPixels) {
    const std::string narrow(58, 'i');
    const std::string wide(40, 'W');
    const PageAudit n = Audit(Page("<title>" + narrow + "</title>"));
    EXPECT_EQ(n.titleChars, 58);
    EXPECT_EQ(n.titlePixels, TextWidthPixels(narrow, kTitlePixelSize));
    EXPECT_EQ(FindingOf(n, "title-too-long"), nullptr);
    const PageAudit w = Audit(Page("<title>" + wide + "</title>"));
    EXPECT_EQ(w.titleChars, 40);
    EXPECT_GT(w.titlePixels, 580);
    ASSERT_NE(FindingOf(w, "title-too-long"), nullptr);
    EXPECT_NE(FindingOf(w, "title-too-long")
                  ->message.find("40 characters, " + std::to_string(w.titlePixels) + " px"),
              std::string::npos);
    // Limits are the settings' own.
    AuditLimits loose;
    loose.titleMaxPixels = 2000;
    EXPECT_EQ(FindingOf(Audit(Page("<title>" + wide + "</title>"), loose), "title-too-long"),
              nullptr);
}

TEST(SiteAudit, TextWidthsFollowArialsAdvances) {
    // Arial's advances at 2048 units per em: "W" 1933, "i" 455, space 569.
    EXPECT_EQ(TextWidthPixels("W", 2048), 1933);
    EXPECT_EQ(TextWidthPixels("i i", 2048), 455 + 569 + 455);
    EXPECT_EQ(TextWidthPixels("", 20), 0);
    // Non-ASCII: "é" as wide as "e"; Cyrillic in the font; CJK one em each.
    EXPECT_EQ(TextWidthPixels("\xc3\xa9", 2048), TextWidthPixels("e", 2048));
    EXPECT_EQ(TextWidthPixels("\xd0\x96", 2048), 1891);
    EXPECT_EQ(TextWidthPixels("\xe6\x97\xa5\xe6\x9c\xac", 20), 40);
    EXPECT_EQ(CharacterCount("\xe6\x97\xa5\xe6\x9c\xac"), 2u);
    // Broken UTF-8 counts character by character and never reads past the end.
    EXPECT_EQ(CharacterCount("a\xe6\x97"), 3u);
    EXPECT_EQ(CharacterCount("\xc0\x80"), 2u);
}

TEST(SiteAudit, DescriptionFindings) {
    const std::string title = "<title>" + kGoodTitle + "</title>";
    EXPECT_EQ(Ids(Audit(Page(title))), std::vector<std::string>{"description-missing"});
    EXPECT_EQ(Ids(Audit(Page(title + "<meta name=Description content=\"\">"))),
              std::vector<std::string>{"description-empty"});
    EXPECT_EQ(Ids(Audit(Page(title + "<meta name=description content=\"Too short.\">"))),
              std::vector<std::string>{"description-too-short"});
    EXPECT_EQ(Ids(Audit(Page(title + "<meta name=description content=\"" + std::string(170, 'a') +
                             "\">"))),
              std::vector<std::string>{"description-too-long"});
    EXPECT_EQ(Ids(Audit(Page(GoodHead() + "<meta name=description content=\"other\">"))),
              std::vector<std::string>{"description-multiple"});
}

TEST(SiteAudit, RobotsCharsetsKeywordsAndUnnamedTags) {
    const std::string good = GoodHead();
    EXPECT_EQ(Ids(Audit(Page(good + "<meta name=robots content=\"NOINDEX,follow\">"))),
              std::vector<std::string>{"robots-noindex"});
    EXPECT_EQ(Ids(Audit(Page(good + "<meta name=robots content=none>"))),
              (std::vector<std::string>{"robots-noindex", "robots-nofollow"}));
    EXPECT_EQ(Ids(Audit(Page(good + "<meta charset=UTF-8>"))),
              std::vector<std::string>{"charset-declared-twice"});
    const PageAudit conflict = Audit(
        Page(good + "<meta http-equiv=Content-Type content=\"text/html; charset=iso-8859-1\">"));
    EXPECT_EQ(Ids(conflict), std::vector<std::string>{"charset-conflict"});
    EXPECT_NE(conflict.findings[0].message.find("utf-8, iso-8859-1"), std::string::npos);
    EXPECT_EQ(Ids(Audit(Page(good + "<meta name=keywords content=\"  \">"))),
              (std::vector<std::string>{"keywords-empty", "obsolete-tag"}));
    // Tags the web has dropped are notes, whatever their case; the same
    // name as the other kind of tag is not one of them.
    EXPECT_EQ(Ids(Audit(Page(good + "<meta http-equiv=PRAGMA content=no-cache>"
                                    "<meta http-equiv=Window-Target content=_top>"
                                    "<meta name=Expires content=0>"))),
              (std::vector<std::string>{"obsolete-tag", "obsolete-tag"}));
    // Open Graph and microdata tags are named; one with nothing is not.
    EXPECT_EQ(Ids(Audit(Page(good + "<meta property=og:title content=x>"
                                    "<meta itemprop=name content=y><meta content=z>"))),
              std::vector<std::string>{"meta-unnamed"});

    // No charset declared: only a page beyond ASCII is a finding.
    const std::string undeclared = "<html><head>" + good + "</head><body>caf\xc3\xa9</body>";
    const PageAudit u = Audit(undeclared);
    EXPECT_EQ(Ids(u), std::vector<std::string>{"charset-undeclared"});
    EXPECT_NE(u.findings[0].message.find("UTF-8"), std::string::npos);
    EXPECT_EQ(Ids(Audit("<html><head>" + good + "</head><body>cafe</body>")),
              std::vector<std::string>{});
}

TEST(SiteAudit, APageWithoutAHeadCannotTakeMetaData) {
    const PageAudit page = Audit("<p>Only a paragraph.</p>");
    ASSERT_FALSE(page.findings.empty());
    EXPECT_EQ(page.findings[0].id, "page-no-head");
    EXPECT_EQ(page.findings[0].severity, Severity::Error);
    EXPECT_EQ(page.WorstSeverity(), static_cast<int>(Severity::Error));
}

TEST(SiteAudit, DuplicatesAcrossPagesNameTheOthers) {
    std::vector<PageAudit> pages;
    for (const char* name : {"a.html", "b.html", "c.html", "d.html"}) {
        CHtmlPage head;
        const std::string title =
            std::string(name) == "d.html" ? "Different " + kGoodTitle : kGoodTitle;
        const std::string text = Page("<title>" + title + "</title>");
        head.SetHeadText(text);
        pages.push_back(AuditPage(name, head, text, {}));
    }
    AddDuplicateFindings(pages);
    ASSERT_NE(FindingOf(pages[0], "title-duplicate"), nullptr);
    EXPECT_EQ(FindingOf(pages[0], "title-duplicate")->message, "The same title as b.html, c.html");
    EXPECT_EQ(FindingOf(pages[2], "title-duplicate")->message, "The same title as a.html, b.html");
    EXPECT_EQ(FindingOf(pages[3], "title-duplicate"), nullptr);
    // Missing descriptions are not the same description.
    EXPECT_EQ(FindingOf(pages[0], "description-duplicate"), nullptr);

    // Run again after a page changed: the old findings go.
    pages[1].title = "Changed";
    AddDuplicateFindings(pages);
    EXPECT_EQ(FindingOf(pages[0], "title-duplicate")->message, "The same title as c.html");
    EXPECT_EQ(FindingOf(pages[1], "title-duplicate"), nullptr);
    EXPECT_EQ(std::count_if(pages[0].findings.begin(), pages[0].findings.end(),
                            [](const Finding& f) { return f.id == "title-duplicate"; }),
              1);

    // A title shared by many pages names three of the others and counts
    // the rest.
    std::vector<PageAudit> many(6, pages[0]);
    for (std::size_t i = 0; i < many.size(); ++i) {
        many[i].path = std::to_string(i);
    }
    AddDuplicateFindings(many);
    EXPECT_EQ(FindingOf(many[0], "title-duplicate")->message,
              "The same title as 1, 2, 3 and 2 more");
}

TEST(SiteAudit, LimitsLiveInTheSettings) {
    MemorySettingsStore settings;
    EXPECT_EQ(AuditLimits::Load(settings), AuditLimits{});
    AuditLimits changed;
    changed.titleMaxChars = 70;
    changed.descriptionMaxPixels = 1000;
    changed.Store(settings);
    EXPECT_EQ(AuditLimits::Load(settings), changed);
}

} // namespace
} // namespace orlen
