# Qt sources of the flat menu and toolbar drawing.
target_sources(orlen_gui PRIVATE
)
