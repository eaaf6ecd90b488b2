# Qt sources of the Options sheet and the suggestion dialogs.
target_sources(orlen_gui PRIVATE
)
