# Offscreen tests of the desktop program.
target_sources(orlen_gui_tests PRIVATE
    ${CMAKE_CURRENT_SOURCE_DIR}/shell/shell_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/shell/settings_file_test.cpp
)
