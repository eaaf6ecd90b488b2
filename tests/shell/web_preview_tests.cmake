# Offscreen tests of the desktop program.
target_sources(orlen_gui_tests PRIVATE
    ${CMAKE_CURRENT_SOURCE_DIR}/shell/web_preview_view_test.cpp
)
