# Core tests of hostile and broken input.
target_sources(orlen_core_tests PRIVATE
    ${CMAKE_CURRENT_SOURCE_DIR}/robustness/hostile_pages_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/robustness/hostile_files_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/robustness/saving_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/robustness/whole_pages_test.cpp
)
