# Qt-free sources of the tag subsystem (catalogue, options logic).
target_sources(orlen_core PRIVATE
    ${CMAKE_CURRENT_SOURCE_DIR}/tags/tag_catalogue.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/tags/options_model.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/shell/settings_store.cpp
)
