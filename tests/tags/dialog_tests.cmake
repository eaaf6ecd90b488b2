# Offscreen tests of the Options sheet and the suggestion dialogs.
target_sources(orlen_gui_tests PRIVATE
    ${CMAKE_CURRENT_SOURCE_DIR}/tags/options_sheet_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/tags/suggestion_dialogs_test.cpp
)
