# Core tests of the value editors.
target_sources(orlen_core_tests PRIVATE
    ${CMAKE_CURRENT_SOURCE_DIR}/editors/http_date_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/editors/value_grammars_test.cpp
)
