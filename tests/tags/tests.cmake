# Core tests of the tag subsystem.
target_sources(orlen_core_tests PRIVATE
    ${CMAKE_CURRENT_SOURCE_DIR}/tags/tag_catalogue_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/tags/options_model_test.cpp
)
