# Core tests of hostile and broken input.
target_sources(orlen_core_tests PRIVATE
)
