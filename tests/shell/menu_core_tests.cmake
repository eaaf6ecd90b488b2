# Core tests of the menu colour arithmetic.
target_sources(orlen_core_tests PRIVATE
)
