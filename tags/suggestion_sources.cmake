# Qt-free sources of keyword and description suggestion.
target_sources(orlen_core PRIVATE
    ${CMAKE_CURRENT_SOURCE_DIR}/tags/suggestions.cpp
)
