// Texts of the desktop program: captions, messages, menu and toolbar texts,
// and the status-bar prompt and tooltip of every command.
#pragma once

#include <string_view>

namespace orlen::shell_texts {

inline constexpr std::string_view kAppTitle = "Orlen";
inline constexpr std::string_view kProductName = "Orlen meta-data editor";
inline constexpr std::string_view kVersion = "1.5";
inline constexpr std::string_view kIdleStatus = "For Help, press F1";
// The accessible name of the status bar field that shows the page's charset.
inline constexpr std::string_view kCharsetFieldName = "Charset";
// The help window: its caption and buttons.
inline constexpr std::string_view kHelpWindowTitle = "Orlen Help";
inline constexpr std::string_view kHelpBack = "Back";
inline constexpr std::string_view kHelpForward = "Forward";
inline constexpr std::string_view kHelpContents = "Contents";
inline constexpr std::string_view kSelectProjectDirectory = "Select project directory";
inline constexpr std::string_view kTutorialUrl = "https://orlen-editor.org/tutorials/";
inline constexpr std::string_view kRecentFilePlaceholder = "Recent File";
// Exporting the site overview: the file dialog's filter, the name it
// suggests, and the failure.
inline constexpr std::string_view kExportSiteFilter =
    "CSV files (*.csv)|*.csv|JSON lines (*.json)|*.json||";
inline constexpr std::string_view kExportSiteName = "site-overview.csv";
inline constexpr std::string_view kExportSiteFailed = "Unable to write %1.";

// Recovery copies of unsaved edits, offered at start: the page's path (its
// name when never saved) or the template's, then when it was last edited.
inline constexpr std::string_view kRecoverPrompt = "Recover unsaved changes to %1?";
inline constexpr std::string_view kRecoverEditedAt = "The changes were last edited on %1.";
inline constexpr std::string_view kRecoverPageChanged =
    "%1 has been changed by another program since the unsaved changes were made. They are "
    "shown as unsaved edits of the page as it is now; check them before you save.";
inline constexpr std::string_view kRecoverOnNewPage =
    "%1 could not be opened, so its unsaved changes were put on a new page; use Save As to "
    "keep them.";
inline constexpr std::string_view kRecoveryUnreadable =
    "A recovery copy of unsaved changes could not be read and was not applied. It was set "
    "aside as %1.";
inline constexpr std::string_view kRecoveryNotWritten =
    "Unsaved changes could not be kept for recovery: %1";
// The folder under the user's data folder that holds them.
inline constexpr std::string_view kRecoveryFolder = "recovery";

// Where the window's panes were left: the part of the height, in
// thousandths, the preview takes in split view.
inline constexpr std::string_view kLayoutSection = "Layout";
inline constexpr std::string_view kPreviewShareEntry = "PreviewShare";
// Whether the search and social previews are shown beside the form, and
// whether the web page preview shows the page as edited.
inline constexpr std::string_view kPreviewPanelEntry = "SocialPreviews";
inline constexpr std::string_view kLivePreviewEntry = "LivePreview";

// Settings of the recent-file list.
inline constexpr std::string_view kRecentSection = "Recent File List";
inline constexpr std::string_view kRecentEntry = "File%1"; // 1 to 6

// Status-bar prompt and tooltip of a command, as "prompt\ntooltip".
struct CommandText {
    int id;
    std::string_view text;
};

inline constexpr CommandText kCommandTexts[] = {
    {57600, "Create a new document\nNew"},
    {57601, "Open an existing document\nOpen"},
    {57603, "Save the active document\nSave"},
    {57604, "Save the active document with a new name\nSave As"},
    {57607, "Print the web page preview\nPrint"},
    {57634, "Copy the selection and put it on the Clipboard\nCopy"},
    {57635, "Cut the selection and put it on the Clipboard\nCut"},
    {57637, "Insert Clipboard contents\nPaste"},
    {57643, "Undo the last action\nUndo"},
    {57664, "Display program information, version number and copyright\nAbout"},
    {57665, "Quit the application; prompts to save documents\nExit"},
    {57667, "List Help topics\nHelp Topics"},
    {59392, "Show or hide the toolbar\nToggle ToolBar"},
    {59393, "Show or hide the status bar\nToggle StatusBar"},
    {32771, "Change the display and file options\nOptions"},
    {32772, "Open File Browse Window\nBrowse files"},
    {32773, "Open a meta-data template\nOpen template"},
    {32774, "Save meta-data template as\nSave template as"},
    {32775, "Save meta-data template\nSave template"},
    {32776, "Edit meta-data template\nEdit template"},
    {32777, "Apply meta-data template\nApply template"},
    {32778, "Close meta-data template\nClose template"},
    {32779, "Create a new meta-data template\nNew template"},
    {32785, "Display the meta-data editing view\nEdit view"},
    {32786, "Display a preview of the web page\nWeb preview"},
    {32787, "\nSplit view"},
    {32788,
     "Switch between displaying all the meta-data fields and a restricted set\nAll/restricted "
     "fields"},
    {32789, "Display the overview of every page of the project directory\nSite overview"},
    {32800, "Show how the page looks in search results and as a shared link\nSearch and social "
            "previews"},
    {32801, "Show the page as edited in the web page preview, not as saved\nLive web preview"},
    {32790, "Write the site overview to a CSV or JSON file\nExport site overview"},
    {157, "Open the online tutorials and updates page\nOnline tutorials"},
};

inline constexpr std::string_view kTabMetaData = "Meta-data";
inline constexpr std::string_view kTabWebPage = "Web page";
inline constexpr std::string_view kTabSite = "Site";
inline constexpr std::string_view kTabMetaDataTip = "Display the meta-data editing view";
inline constexpr std::string_view kTabWebPageTip = "Display a preview of the web page";
inline constexpr std::string_view kTabSiteTip = "Display the overview of every page of the site";

} // namespace orlen::shell_texts
