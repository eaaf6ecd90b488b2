# Offscreen tests of the menu and toolbar drawing.
target_sources(orlen_gui_tests PRIVATE
)
