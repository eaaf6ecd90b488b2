// Reading a site's pages for the overview: which files are pages, how much
// of a page is read for its head, and the CSV of the overview.
#include "../temp_dir.h"
#include "document/file_listing.h"
#include "tags/site_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace orlen {
namespace {

TEST(SiteScan, WalksThePagesWithoutTemplatesOrOtherTypes) {
    test::TempDir dir;
    dir.Write("index.html", "<html></html>");
    dir.Write("site.mtpl", "<head></head>");
    dir.Write("notes.txt", "text");
    dir.Write("sub/a.htm", "<html></html>");
    dir.Write("sub/b.mtpl", "<head></head>");
    std::vector<std::string> pages;
    WalkSitePages(dir.Path().string(), kDefaultFileTypes,
                  [&](const std::string& relative) { pages.push_back(relative); });
    EXPECT_EQ(pages, (std::vector<std::string>{"sub/a.htm", "index.html"}));
}

TEST(SiteScan, ReadsOnlyTheStartOfAPageThatDeclaresItsCharset) {
    test::TempDir dir;
    const std::string body(1 << 20, 'x');
    const std::string path = dir.Write(
        "big.html", "<html><head><meta charset=\"utf-8\"><title>Big</title></head><body>" + body +
                        "</body></html>");
    CHtmlPage head;
    std::string text, error;
    ASSERT_TRUE(ReadPageHead(path, head, text, error)) << error;
    EXPECT_EQ(head.GetTitle(), "Big");
    EXPECT_LT(text.size(), body.size());
}

TEST(SiteScan, ReadsAHeadLongerThanTheFirstBlock) {
    test::TempDir dir;
    // A script of 200 KiB in the head puts the title beyond the first read.
    const std::string script(200 << 10, 'a');
    const std::string path = dir.Write(
        "long.html", "<html><head><meta charset=\"utf-8\"><script>" + script +
                         "</script><title>After the script</title></head><body>x</body></html>");
    CHtmlPage head;
    std::string text, error;
    ASSERT_TRUE(ReadPageHead(path, head, text, error)) << error;
    EXPECT_EQ(head.GetTitle(), "After the script");
}

TEST(SiteScan, ReadsAllOfAPageThatDeclaresNoCharset) {
    test::TempDir dir;
    // Without a declaration the charset is told from all the bytes: a
    // Latin-1 byte near the end must be among those read.
    const std::string body(1 << 20, 'x');
    const std::string path =
        dir.Write("plain.html",
                  "<html><head><title>Plain</title></head><body>" + body + "\xe9</body></html>");
    CHtmlPage head;
    std::string text, error;
    ASSERT_TRUE(ReadPageHead(path, head, text, error)) << error;
    EXPECT_NE(text.find('\xe9'), std::string::npos);
}

TEST(SiteScan, AFileThatCannotBeReadIsReportedNotThrown) {
    test::TempDir dir;
    CHtmlPage head;
    std::string text, error;
    EXPECT_FALSE(ReadPageHead(dir / "missing.html", head, text, error));
    EXPECT_FALSE(error.empty());
    std::filesystem::create_directories(dir.Path() / "folder.html");
    error.clear();
    EXPECT_FALSE(ReadPageHead(dir / "folder.html", head, text, error));
    EXPECT_FALSE(error.empty());
}

TEST(SiteScan, CsvQuotesFieldsAsRfc4180Asks) {
    PageAudit page;
    page.path = "a,b.html";
    page.hasTitle = true;
    page.title = "Say \"hi\"";
    page.titleChars = 8;
    page.titlePixels = 70;
    page.description = "two\r\nlines";
    page.robots = "noindex";
    page.findings = {{"title-too-short", Severity::Warning, "m"},
                     {"robots-noindex", Severity::Warning, "m"}};
    PageAudit latin1;
    latin1.path = "caf\xe9.html"; // a name that is no UTF-8 is shown as Windows-1252
    const std::string csv = SiteCsv({page, latin1});
    EXPECT_EQ(csv, "file,title,title characters,title pixels,description,description characters,"
                   "description pixels,keywords,robots,findings\r\n"
                   "\"a,b.html\",\"Say \"\"hi\"\"\",8,70,\"two\r\nlines\",0,0,,noindex,"
                   "warning:title-too-short warning:robots-noindex\r\n"
                   "caf\xc3\xa9.html,,0,0,,0,0,,,\r\n");
}

} // namespace
} // namespace orlen
