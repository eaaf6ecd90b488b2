# Offscreen tests of the value editors.
target_sources(orlen_gui_tests PRIVATE
    ${CMAKE_CURRENT_SOURCE_DIR}/editors/value_dialogs_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/editors/expires_dialog_test.cpp
)
