// Command numbers of the desktop program's menus, toolbars and shortcuts.
#pragma once

#include "document/command_ids.h"

namespace orlen::cmd {

inline constexpr int kOptions = 32771;
inline constexpr int kViewMetaData = 32785;
inline constexpr int kViewWebPage = 32786;
inline constexpr int kViewSplit = 32787;
inline constexpr int kViewAllFields = 32788;
inline constexpr int kViewSite = 32789;
inline constexpr int kExportSite = 32790;
inline constexpr int kApplyTemplateToSelection = 32791;
inline constexpr int kUndoLastBatch = 32792;
inline constexpr int kViewPreviews = 32800;
inline constexpr int kLivePreview = 32801;
inline constexpr int kOnlineTutorials = 157;

inline constexpr int kPrint = 57607;
inline constexpr int kRecentFile1 = 57616; // to 57621
inline constexpr int kRecentFileCount = 6;
inline constexpr int kCopy = 57634;
inline constexpr int kCut = 57635;
inline constexpr int kPaste = 57637;
inline constexpr int kUndo = 57643;
inline constexpr int kAbout = 57664;
inline constexpr int kExit = 57665;
inline constexpr int kHelpTopics = 57667;
inline constexpr int kContextHelp = 57669;
inline constexpr int kHelp = 57670;
inline constexpr int kDefaultHelp = 57671;
inline constexpr int kNextPane = 57680;
inline constexpr int kPrevPane = 57681;
inline constexpr int kViewToolbar = 59392;
inline constexpr int kViewStatusBar = 59393;

} // namespace orlen::cmd
