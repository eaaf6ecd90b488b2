// Every text the document and template logic shows or writes.
#pragma once

#include <string>
#include <string_view>

namespace orlen::doc_texts {

// A text with its "%1" and "%2" filled in.
inline std::string FillIn(std::string_view pattern, std::string_view first,
                          std::string_view second = {}) {
    std::string out(pattern);
    if (auto at = out.find("%1"); at != std::string::npos) {
        out.replace(at, 2, first);
    }
    if (auto at = out.find("%2"); at != std::string::npos) {
        out.replace(at, 2, second);
    }
    return out;
}

inline constexpr std::string_view kUntitled = "Untitled";
inline constexpr std::string_view kUnnamedTemplate = "unnamed template";

// The product's web page, linked from new pages and templates.
inline constexpr std::string_view kProductUrl = "https://orlen-editor.org/";
inline constexpr std::string_view kProductName = "Orlen";

inline constexpr std::string_view kEmptyPageText =
    "<html><head></head><body>Empty file created by  "
    "<a href='https://orlen-editor.org/'>Orlen meta-data editor</a></body></html>";
// Templates are text: stored in UTF-8 and declared so, whatever the charset
// of the pages they are based on or applied to.
inline constexpr std::string_view kNewTemplateText =
    "<html><head><meta charset=\"utf-8\"></head><body>Meta tag template file created by "
    "<a href='https://orlen-editor.org/'>Orlen meta-data editor</a></body></html>";

// Questions and messages.
inline constexpr std::string_view kSaveChangesTo = "Save changes to ";     // + template name
inline constexpr std::string_view kSavePagePrompt = "Save changes to %1?"; // %1: path or title
inline constexpr std::string_view kBaseTemplateOnPage = "Base new template on current page?";
inline constexpr std::string_view kFailedToReadTemplate =
    "Failed to read template file %1.\n%2"; // path, reason
inline constexpr std::string_view kUnableToSaveTemplate = "File error, unable to save "; // + path
inline constexpr std::string_view kNoMetaDataPosition =
    "Unable to find correct position for meta-data, no changes will be written to this file.";
inline constexpr std::string_view kOpenPageFailed = "Unable to open %1.\n%2"; // path, reason
inline constexpr std::string_view kSavePageFailed = "Unable to save %1.\n%2"; // path, reason
// Asked on Save when another program changed the page's file after it was
// opened or last saved; No keeps the edits unsaved and the file as it is.
inline constexpr std::string_view kChangedOnDisk =
    "%1 has been changed by another program since it was opened.\n"
    "Do you want to overwrite those changes with yours?"; // path

// Why a file was not read or written, after kOpenPageFailed or
// kSavePageFailed.
inline constexpr std::string_view kNotRegularFile = "Not a regular file";
inline constexpr std::string_view kReadOnlyFile = "The file is read-only";
// A page saved in place because its folder takes no new files: path, and
// the folder its old content was kept in until the save was complete.
inline constexpr std::string_view kSavedInPlace =
    "%1 was written in place, since its folder takes no new files; its old content was kept "
    "in %2 until the save was complete";
inline constexpr std::string_view kOldContentKeptIn = "; the old content is kept in "; // + path
// A save of a batch (orlen-meta apply) finds, just before it replaces the
// file, that another program has written it since it was read.
inline constexpr std::string_view kChangedSinceRead =
    "Another program has changed the file since it was read";
// The new content replaced the file, but the folder's record of that could
// not be flushed to disk, so a crash may still bring the old file back.
inline constexpr std::string_view kFolderNotSynced =
    "The file was replaced, but its folder could not be flushed to disk: "; // + reason

// A page declaring a charset that cannot be read and written faithfully:
// its meta-data is shown as Latin-1 and never changed.
inline constexpr std::string_view kUnsupportedCharset =
    "%1 declares the charset \"%2\", which Orlen cannot write: its meta-data is shown "
    "read-only and will not be changed."; // path, label

// File dialog filters, in the "Name|pattern|...||" form.
inline constexpr std::string_view kTemplateFilter =
    "Templates (*.mtpl)|*.mtpl|All files (*.*)|*.*||";
inline constexpr std::string_view kTemplateExtension = "mtpl";
// What Save As gives a page named without an extension.
inline constexpr std::string_view kPageExtension = "html";
inline constexpr std::string_view kAllFilesFilter = "All files (*.*)|*.*||";

} // namespace orlen::doc_texts
