# Core tests of the menu colour arithmetic.
target_sources(orlen_core_tests PRIVATE
    ${CMAKE_CURRENT_SOURCE_DIR}/shell/menu_colours_test.cpp
)
