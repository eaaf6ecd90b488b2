# Qt sources of the desktop program.
target_sources(orlen_gui PRIVATE
    ${CMAKE_CURRENT_SOURCE_DIR}/shell/about_dialog.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/shell/app_icons.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/shell/child_frame.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/shell/hideable_splitter.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/shell/main_frame.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/shell/qt_app_ui.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/shell/qt_settings_store.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/shell/splash_window.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/shell/timing_report.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/shell/vantle_app.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/resources/resources.qrc
)
