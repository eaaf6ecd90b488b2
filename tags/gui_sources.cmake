# Qt sources of the tag subsystem (editing view).
target_sources(orlen_gui PRIVATE
    ${CMAKE_CURRENT_SOURCE_DIR}/tags/vantle_view.cpp
)
