# Core tests of keyword and description suggestion.
target_sources(orlen_core_tests PRIVATE
)
