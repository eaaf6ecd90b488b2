# Qt sources of the tag subsystem (editing view, dialogs, Options sheet).
target_sources(orlen_gui PRIVATE
)
