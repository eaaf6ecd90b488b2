# Qt-free sources of the tag subsystem (catalogue, suggestions, options logic).
target_sources(orlen_core PRIVATE
)
