# Qt sources of the flat menu and toolbar drawing.
target_sources(orlen_gui PRIVATE
    ${CMAKE_CURRENT_SOURCE_DIR}/shell/menu_style.cpp
)
