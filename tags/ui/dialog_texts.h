// Texts of the Options sheet and the keyword and description dialogs:
// captions, page titles, labels and button texts, in one place.
#pragma once

#include "page/ui/qt_text.h"

#include <QString>

#include <string_view>

namespace orlen::dialog_texts {

// The Options sheet and its pages.
inline constexpr std::string_view kOptionsCaption = "Options";
inline constexpr std::string_view kStandardPageTitle = "Standard meta tags";
inline constexpr std::string_view kCustomPageTitle = "User defined meta tags";
inline constexpr std::string_view kFileTypesPageTitle = "File types";
inline constexpr std::string_view kDisplayModeHeading =
    "When displaying only main meta-data fields -";
// The radio buttons, indexed by display mode (0, 1, 2).
inline constexpr std::string_view kDisplayModeTexts[] = {
    "Always display",
    "Display if content exists",
    "Never display",
};
inline constexpr std::string_view kAddTag = "Add ...";
inline constexpr std::string_view kEditTag = "Edit";
inline constexpr std::string_view kRemoveTag = "Remove";
inline constexpr std::string_view kExtension = "Extension";
inline constexpr std::string_view kAddType = "Add";
inline constexpr std::string_view kReplaceType = "Replace";
inline constexpr std::string_view kRemoveType = "Remove";
inline constexpr std::string_view kWriteCrLf = "Write CR LF line ends";

// The limits of the site checks: the page's title and its spin boxes, in
// the order of CSiteLimitsPage::Limit.
inline constexpr std::string_view kSiteLimitsPageTitle = "Site checks";
inline constexpr std::string_view kSiteLimitsHeading =
    "Titles and descriptions outside these limits are reported in the site overview:";
inline constexpr std::string_view kSiteLimitLabels[] = {
    "Title: at least (characters)",      "Title: at most (characters)",
    "Title: at most (pixels)",           "Description: at least (characters)",
    "Description: at most (characters)", "Description: at most (pixels)",
};

// Defining a user's own meta tag.
inline constexpr std::string_view kDefineTagCaption = "Define Meta Tag";
inline constexpr std::string_view kTagName = "Name";
inline constexpr std::string_view kHttpEquiv = "Is an http-equiv tag";
inline constexpr std::string_view kProperty = "Is an Open Graph tag (property attribute)";
inline constexpr std::string_view kMultiLine = "Multi-line edit box";

// Keyword suggestion.
inline constexpr std::string_view kKeywordsCaption = "Keyword suggestions";
inline constexpr std::string_view kSelectKeywords = "Select keywords";
inline constexpr std::string_view kSelectAll = "Select all";
inline constexpr std::string_view kAppendList = "Append list";

// Description suggestion.
inline constexpr std::string_view kDescriptionCaption = "Page description";
inline constexpr std::string_view kEditDescription =
    "Edit suggested description text (taken from the start of the page)";

using orlen::ToQString;

} // namespace orlen::dialog_texts
