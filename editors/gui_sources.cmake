# Qt sources of the value editors (dialogs, date field, calendar).
target_sources(orlen_gui PRIVATE
    ${CMAKE_CURRENT_SOURCE_DIR}/editors/value_dialogs.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/editors/expires_dialog.cpp
)
