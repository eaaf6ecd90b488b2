// Command numbers of the document's menu commands.
#pragma once

namespace orlen::cmd {

inline constexpr int kApplyButton = 1;        // the editing view's "Apply" banner button
inline constexpr int kEditTemplateButton = 2; // its "Edit template" / "End editing" button

inline constexpr int kBrowse = 32772;
inline constexpr int kOpenTemplate = 32773;
inline constexpr int kSaveTemplateAs = 32774;
inline constexpr int kSaveTemplate = 32775;
inline constexpr int kEditTemplate = 32776;
inline constexpr int kApplyTemplate = 32777;
inline constexpr int kCloseTemplate = 32778;
inline constexpr int kNewTemplate = 32779;

inline constexpr int kFileNew = 57600;
inline constexpr int kFileOpen = 57601;
inline constexpr int kFileSave = 57603;
inline constexpr int kFileSaveAs = 57604;

} // namespace orlen::cmd
