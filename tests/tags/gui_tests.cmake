# Offscreen tests of the tag subsystem.
target_sources(orlen_gui_tests PRIVATE
)
