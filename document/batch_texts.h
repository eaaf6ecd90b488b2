// The texts of template batches: applying a template to many pages, and
// undoing that.
#pragma once

#include <string_view>

namespace orlen::batch_texts {

// Why a page of a batch was not read: it is a folder, a FIFO, a device.
inline constexpr std::string_view kNotRegularFile = "not a regular file";
// A folder given to a batch, or met on its walk, that cannot be read.
inline constexpr std::string_view kCannotReadFolder = "cannot read this folder";
// A path given to a batch that is not there.
inline constexpr std::string_view kNoSuchFile = "No such file or directory";
// The old bytes of a page could not be kept for undo: the page is not
// changed. + the folder.
inline constexpr std::string_view kCannotKeepForUndo =
    "Its content could not be kept for undo, so it was not changed; the folder is ";

// How each page of a batch is classed, as the dry run prints it.
inline constexpr std::string_view kChanged = "changed";
inline constexpr std::string_view kUnchanged = "unchanged";
inline constexpr std::string_view kRefused = "refused";
inline constexpr std::string_view kFailed = "failed";
inline constexpr std::string_view kNotRead = "not read";

} // namespace orlen::batch_texts
