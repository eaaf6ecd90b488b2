// The texts of applying a template to the pages selected in the window, and
// of undoing that.
#pragma once

#include <string_view>

namespace orlen::batch_ui_texts {

// The menu items, with their access keys.
inline constexpr std::string_view kApplyToSelection = "Apply template to se&lection\u2026";
inline constexpr std::string_view kApplyToSelectionPrompt =
    "Apply the open template to the selected pages and folders";
inline constexpr std::string_view kUndoLastBatch = "Undo last &batch";
inline constexpr std::string_view kUndoLastBatchPrompt =
    "Put back the pages the last template batch changed";

// The preview dialog.
inline constexpr std::string_view kPreviewTitle = "Apply template to selection";
inline constexpr std::string_view kPreviewIntro =
    "Applying the template \"%1\" to %2 pages. Nothing has been written yet."; // name, pages
inline constexpr std::string_view kPageColumn = "Page";
inline constexpr std::string_view kClassColumn = "Result";
inline constexpr std::string_view kReasonColumn = "Reason";
inline constexpr std::string_view kHeadBefore = "Head now";
inline constexpr std::string_view kHeadAfter = "Head after applying";
inline constexpr std::string_view kNoHeadChange = "The template changes nothing in this page.";
inline constexpr std::string_view kApply = "Apply";
inline constexpr std::string_view kCancel = "Cancel";

// The progress dialog.
inline constexpr std::string_view kReadingTitle = "Reading pages";
inline constexpr std::string_view kApplyingTitle = "Applying template";
inline constexpr std::string_view kProgress = "%1 pages done, %2 left"; // done, left
inline constexpr std::string_view kCancelling = "Cancelling: finishing the pages written\u2026";

// The summary and the messages.
inline constexpr std::string_view kSummary =
    "Template applied: %1 changed, %2 unchanged, %3 refused, %4 failed."; // counts
inline constexpr std::string_view kSummaryCancelled =
    "Cancelled: %1 pages were not read and are unchanged."; // count
inline constexpr std::string_view kFailuresHeading = "Not changed:";
inline constexpr std::string_view kNothingToApply =
    "The selection holds no page the template can be applied to.";
inline constexpr std::string_view kUndoRecordFailed =
    "The batch did not start: the previous content of the pages could not be kept in %1.\n%2";
inline constexpr std::string_view kUndoDone =
    "%1 pages were put back as they were before the batch.";
inline constexpr std::string_view kUndoChangedSince =
    "Changed since the batch, and left as they are:";
inline constexpr std::string_view kUndoFailed = "Could not be put back (undo can be tried again):";
inline constexpr std::string_view kNothingToUndo = "There is no batch to undo.";

// The folder of the user's cache that holds the previous bytes of the last
// batch's pages.
inline constexpr std::string_view kUndoFolderName = "last-batch";

} // namespace orlen::batch_ui_texts
