// Texts of the site overview: column headings, filter entries, the summary
// line, and the progress panel, in one place.
#pragma once

#include <string_view>

namespace orlen::site_texts {

// Column headings, in the order of CSiteModel::Column.
inline constexpr std::string_view kColumnTitles[] = {
    "File",     "Title",  "Title length", "Description", "Description length",
    "Keywords", "Robots", "Findings",
};
// A length cell: characters, pixels.
inline constexpr std::string_view kLength = "%1 chars, %2 px";

inline constexpr std::string_view kFilterPlaceholder = "Filter by file, title or description";
inline constexpr std::string_view kFilterAll = "All pages";
inline constexpr std::string_view kFilterErrors = "Pages with errors";
inline constexpr std::string_view kFilterWarnings = "Pages with warnings or errors";

// The summary line: pages, pages with errors, pages with warnings.
inline constexpr std::string_view kSummary = "%1 pages, %2 with errors, %3 with warnings";
inline constexpr std::string_view kSummaryShown = " (%1 shown)";
inline constexpr std::string_view kSummaryScanning = " - scanning...";
inline constexpr std::string_view kSummaryCancelled = " - scan cancelled";
inline constexpr std::string_view kNoProject =
    "No project directory: choose one with File > Browse.";

inline constexpr std::string_view kCancel = "Cancel";
inline constexpr std::string_view kProgressFormat = "Scanning pages: %v of %m";

// Editing a cell in place.
inline constexpr std::string_view kSaveFailed = "The page %1 was not saved.";
// Undo of the last cell edit (Ctrl+Z in the table).
inline constexpr std::string_view kUndone = "The last edit of %1 was undone.";
inline constexpr std::string_view kUndoChangedOnDisk =
    "The last edit of %1 was not undone: the page has changed on disk since.";

} // namespace orlen::site_texts
