# Core tests of keyword and description suggestion.
target_sources(orlen_core_tests PRIVATE
    ${CMAKE_CURRENT_SOURCE_DIR}/tags/suggestions_test.cpp
)
