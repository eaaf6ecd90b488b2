# Offscreen tests of the menu and toolbar drawing.
target_sources(orlen_gui_tests PRIVATE
    ${CMAKE_CURRENT_SOURCE_DIR}/shell/menu_style_test.cpp
)
