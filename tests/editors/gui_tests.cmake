# Offscreen tests of the value editors.
target_sources(orlen_gui_tests PRIVATE
)
