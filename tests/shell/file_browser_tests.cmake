# Offscreen tests of the desktop program.
target_sources(orlen_gui_tests PRIVATE
    ${CMAKE_CURRENT_SOURCE_DIR}/shell/file_tree_view_test.cpp
)
