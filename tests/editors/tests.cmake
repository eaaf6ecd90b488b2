# Core tests of the value editors.
target_sources(orlen_core_tests PRIVATE
)
