# Offscreen tests of the tag subsystem.
target_sources(orlen_gui_tests PRIVATE
    ${CMAKE_CURRENT_SOURCE_DIR}/tags/vantle_view_test.cpp
)
