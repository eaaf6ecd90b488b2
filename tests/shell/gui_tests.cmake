# Offscreen tests of the desktop program.
target_sources(orlen_gui_tests PRIVATE
    ${CMAKE_CURRENT_SOURCE_DIR}/shell/shell_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/shell/keeping_work_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/shell/settings_file_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/shell/timing_report_test.cpp
)
target_compile_definitions(orlen_gui_tests PRIVATE ORLEN_PATH="$<TARGET_FILE:orlen>")
add_dependencies(orlen_gui_tests orlen)
