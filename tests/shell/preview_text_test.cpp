// The base address the live web preview gives a page's text.
#include "shell/preview_text.h"

#include <gtest/gtest.h>

namespace orlen {
namespace {

TEST(PreviewText, TheBaseGoesWhereNothingMovesAndNeverTwice) {
    const std::string base = "file:///srv/site/";
    const std::string tag = "<base href=\"file:///srv/site/\">";
    struct Case {
        const char* page;
        std::string expected;
    };
    const Case cases[] = {
        {"<!DOCTYPE html><html><HEAD lang=en><title>T</title></head><body>",
         "<!DOCTYPE html><html><HEAD lang=en>" + tag + "<title>T</title></head><body>"},
        // A header element is no head; the doctype stays first.
        {"<!doctype html>\n<header>h</header><body>",
         "<!doctype html>" + tag + "\n<header>h</header><body>"},
        {"\xef\xbb\xbf<p>bare</p>", "\xef\xbb\xbf" + tag + "<p>bare</p>"},
        {"", tag},
        // The page's own base wins; one in the body is not the page's.
        {"<head><BASE href=x></head><body>", "<head><BASE href=x></head><body>"},
        {"<head></head><body><base href=x>", "<head>" + tag + "</head><body><base href=x>"},
        // A head tag after the body is not looked at.
        {"<body><head>", tag + "<body><head>"},
        {"<head", "<head" + tag},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WithBaseHref(c.page, base), c.expected) << c.page;
    }
}

} // namespace
} // namespace orlen
