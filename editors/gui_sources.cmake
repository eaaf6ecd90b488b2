# Qt sources of the value editors (dialogs, date field, calendar).
target_sources(orlen_gui PRIVATE
)
