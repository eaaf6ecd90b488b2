# Qt sources of the desktop program.
target_sources(orlen_gui PRIVATE
    ${CMAKE_CURRENT_SOURCE_DIR}/shell/web_preview_view.cpp
)
