# Core tests of the tag subsystem.
target_sources(orlen_core_tests PRIVATE
)
