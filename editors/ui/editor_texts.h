// Texts of the value editors (Expires, Cache-Control, Refresh, Robots):
// captions, labels, button texts and the date field's month names, in one
// place.
#pragma once

#include "page/ui/qt_text.h"

#include <QString>

#include <string_view>

namespace orlen::editor_texts {

// Shared by every editor.
inline constexpr std::string_view kOk = "OK";
inline constexpr std::string_view kCancel = "Cancel";
// The caption of the editors' message boxes.
inline constexpr std::string_view kMessageCaption = "Orlen";

// Expires.
inline constexpr std::string_view kExpiresCaption = "Expires";
inline constexpr std::string_view kExpiresDate = "Expires date -";
inline constexpr std::string_view kClear = "Clear";

// The date field and its calendar.
inline constexpr std::string_view kMonthNames[] = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December",
};
// Sunday first.
inline constexpr std::string_view kWeekdayLetters[] = {"S", "M", "T", "W", "T", "F", "S"};
inline constexpr std::string_view kPreviousYear = "<<";
inline constexpr std::string_view kPreviousMonth = "<";
inline constexpr std::string_view kNextYear = ">>";
inline constexpr std::string_view kNextMonth = ">";

// Cache-Control.
inline constexpr std::string_view kCacheControlCaption = "Cache-Control";
inline constexpr std::string_view kDontLimit = "Don't limit";
inline constexpr std::string_view kPreventCaching = "Prevent cached copies";
inline constexpr std::string_view kMaximumAge = "Maximum age";
inline constexpr std::string_view kSeconds = "seconds";

// Refresh.
inline constexpr std::string_view kRefreshCaption = "Refresh";
inline constexpr std::string_view kNoRefresh = "Do not include refresh META tag";
inline constexpr std::string_view kRefreshAfter = "Refresh after - (seconds)";
inline constexpr std::string_view kRefreshUrl = "Refresh with (URL, optional)";

// Robots.
inline constexpr std::string_view kRobotsCaption = "Robots";
inline constexpr std::string_view kNoIndex = "Prevent robots adding this page to search engines";
inline constexpr std::string_view kNoFollow = "Prevent robots following links in this page";
inline constexpr std::string_view kNoArchive = "No cached copy in search results (noarchive)";
inline constexpr std::string_view kNoSnippet = "No text snippet or video preview (nosnippet)";
inline constexpr std::string_view kNoImageIndex = "Keep the page's images out of image search "
                                                  "(noimageindex)";
inline constexpr std::string_view kNoTranslate = "No offer to translate the page (notranslate)";
inline constexpr std::string_view kMaxSnippet = "Longest text snippet (max-snippet), characters:";
inline constexpr std::string_view kMaxImagePreview = "Largest image preview (max-image-preview):";
inline constexpr std::string_view kMaxVideoPreview = "Longest video preview (max-video-preview), "
                                                     "seconds:";
inline constexpr std::string_view kUnavailableAfter = "Drop from search results after "
                                                      "(unavailable_after):";
inline constexpr std::string_view kNoLimit = "-1 = no limit";
inline constexpr std::string_view kNotSaid = "(not said)";
inline constexpr std::string_view kDatePlaceholder = "2027-12-31";

using orlen::ToQString;

} // namespace orlen::editor_texts
