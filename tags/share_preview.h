// What a search-result entry and a shared-link card show for a page: texts
// cut to the widths a result line gives them, the breadcrumb under the
// title, and the card's texts with the fallbacks the platforms use. The
// window paints them; this only decides what they say.
#pragma once

#include "tags/site_audit.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace orlen {

// A text cut to a width in pixels of Liberation Sans at a pixel size:
// white space collapsed, and when it is too wide, cut after the last whole
// word that fits with "…" after it (inside a word only when a single word is
// too wide).
struct FittedText {
    std::string text;      // what is shown
    bool cut = false;      // whether "…" ends it in place of the rest
    int pixels = 0;        // the width of the whole text, uncut
    std::size_t chars = 0; // the characters of the whole text
};
FittedText FitToPixels(std::string_view utf8, int pixelSize, int maxPixels);

// The widths a search-result entry gives its title and description: the
// site checks' limits on a desktop, narrower ones on a phone.
struct SnippetWidths {
    int titlePixels;
    int descriptionPixels;
};
inline constexpr SnippetWidths kMobileWidths = {500, 680};
inline SnippetWidths DesktopWidths(const AuditLimits& limits) {
    return {limits.titleMaxPixels, limits.descriptionMaxPixels};
}

// How a counter of characters or pixels looks against its limit: fine,
// close to it (amber: within a tenth below it, or under a minimum), past it
// (red).
enum class CounterLevel { Fine, Close, Over };
CounterLevel LevelOf(int value, int limit, int minimum = 0);

// The grey line over a result's title: the page's canonical address as
// scheme and host, then its path, or, without one, the site folder's name
// and the page's folders and file, joined with " › ". pagePath and siteFolder are
// file-system paths ("" when the page has none yet).
std::string Breadcrumb(std::string_view canonical, std::string_view pagePath,
                       std::string_view siteFolder);

// The texts of a shared-link card, each falling back as the platforms do:
// og:title, then twitter:title, then the title; the same for the
// description; og:image, then twitter:image; og:site_name, then the host
// of og:url or of the canonical address, then the site folder's name.
struct CardSource {
    std::string title, description;
    std::string ogTitle, ogDescription, ogImage, ogSiteName, ogUrl;
    std::string twitterTitle, twitterDescription, twitterImage;
    std::string canonical;
    std::string siteFolder;
};
struct CardText {
    std::string title;
    std::string description;
    std::string image; // as the page names it; "" for none
    std::string siteName;
};
CardText ComposeCard(const CardSource& source);

// The local file an image address names, relative to the page's folder (or
// a file: URL); "" for a remote address (http:, https:, //host), a data:
// URL, or when the page has no folder yet. Whether the file exists is for
// the caller to see.
std::string LocalImagePath(std::string_view image, std::string_view pagePath);

} // namespace orlen
