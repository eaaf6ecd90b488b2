# Qt-free sources of the value editors (HTTP dates, value grammars).
target_sources(orlen_core PRIVATE
    ${CMAKE_CURRENT_SOURCE_DIR}/editors/http_date.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/editors/value_grammars.cpp
)
