# Qt sources of the Options sheet and the suggestion dialogs.
target_sources(orlen_gui PRIVATE
    ${CMAKE_CURRENT_SOURCE_DIR}/tags/options_sheet.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/tags/suggestion_dialogs.cpp
)
