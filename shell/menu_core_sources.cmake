# Qt-free sources of the menu and toolbar drawing (colour arithmetic).
target_sources(orlen_core PRIVATE
    ${CMAKE_CURRENT_SOURCE_DIR}/shell/menu_colours.cpp
)
