# Qt-free sources of keyword and description suggestion.
target_sources(orlen_core PRIVATE
)
