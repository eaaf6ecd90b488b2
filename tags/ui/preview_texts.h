// Texts and settings names of the search-result and shared-card previews.
#pragma once

#include <string_view>

namespace orlen::preview_texts {

inline constexpr std::string_view kSearchHeading = "Search result";
inline constexpr std::string_view kCardHeading = "Shared link";
inline constexpr std::string_view kDesktop = "Desktop";
inline constexpr std::string_view kMobile = "Mobile";
inline constexpr std::string_view kDesktopTip = "A result as a desktop browser shows it";
inline constexpr std::string_view kMobileTip = "A result as a phone shows it";
// A counter: characters, pixels, the pixel limit.
inline constexpr std::string_view kTitleCounter = "Title: %1 characters, %2 of %3 px";
inline constexpr std::string_view kDescriptionCounter = "Description: %1 characters, %2 of %3 px";
inline constexpr std::string_view kNoTitle = "(no title)";
inline constexpr std::string_view kNoDescription =
    "No description: search engines show a passage of the page instead.";
// Where the card's image would be, when it is not shown.
inline constexpr std::string_view kNoImage = "No image (og:image)";
inline constexpr std::string_view kRemoteImage = "Image on the web, not shown here:\n%1";
inline constexpr std::string_view kMissingImage = "Image not found:\n%1";
inline constexpr std::string_view kUnreadableImage = "Image cannot be read:\n%1";

// Settings: section and entries.
inline constexpr std::string_view kSection = "Previews";
inline constexpr std::string_view kMobileEntry = "Mobile";

} // namespace orlen::preview_texts
