# Installation and packaging.
#
# The installed layout mirrors the build tree's rule that the programs find
# their data beside themselves: the programs go to bin/, and what lies beside
# them in the build tree (common_words.txt, help/) goes to share/orlen/, which
# the programs look in, relative to their own folder, when their folder does
# not hold the file.
include(GNUInstallDirs)

set(ORLEN_DATA_DIR ${CMAKE_INSTALL_DATADIR}/orlen)
set(ORLEN_DESKTOP_DIR ${CMAKE_CURRENT_SOURCE_DIR}/resources/desktop)

install(TARGETS orlen-meta RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/resources/common_words.txt
        DESTINATION ${ORLEN_DATA_DIR})

# The man pages, compressed as Debian keeps man pages. The editor's page
# comes only with the editor.
set(ORLEN_MAN_PAGES orlen-meta)
if(NOT ORLEN_CORE_ONLY)
    list(APPEND ORLEN_MAN_PAGES orlen)
endif()
find_program(ORLEN_GZIP gzip)
set(ORLEN_MAN_OUTPUTS)
foreach(page ${ORLEN_MAN_PAGES})
    set(source ${CMAKE_CURRENT_SOURCE_DIR}/resources/man/${page}.1)
    if(ORLEN_GZIP)
        set(gz ${CMAKE_BINARY_DIR}/man/${page}.1.gz)
        add_custom_command(OUTPUT ${gz}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
            COMMAND ${ORLEN_GZIP} -9 -n -c ${source} > ${gz}
            DEPENDS ${source}
            COMMENT "Compressing the ${page} man page"
            VERBATIM)
        list(APPEND ORLEN_MAN_OUTPUTS ${gz})
        install(FILES ${gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    else()
        install(FILES ${source} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    endif()
endforeach()
if(ORLEN_MAN_OUTPUTS)
    add_custom_target(orlen-man ALL DEPENDS ${ORLEN_MAN_OUTPUTS})
endif()

if(NOT ORLEN_CORE_ONLY)
    install(TARGETS orlen RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/resources/help/
            DESTINATION ${ORLEN_DATA_DIR}/help)

    # Desktop integration: the launcher, the template file type, the
    # application's description for software centres.
    install(FILES ${ORLEN_DESKTOP_DIR}/orlen.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${ORLEN_DESKTOP_DIR}/orlen-template.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME orlen.xml)
    install(FILES ${ORLEN_DESKTOP_DIR}/org.orlen_editor.Orlen.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

    # The application icon: the SVG itself, and PNGs of the theme's bitmap
    # sizes drawn from it at build time.
    set(ORLEN_ICON_SVG ${CMAKE_CURRENT_SOURCE_DIR}/resources/icons/orlen.svg)
    set(ORLEN_ICON_DIR ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
    install(FILES ${ORLEN_ICON_SVG} DESTINATION ${ORLEN_ICON_DIR}/scalable/apps)

    add_executable(orlen-render-icon tools/render_icon.cpp)
    target_link_libraries(orlen-render-icon PRIVATE Qt6::Gui Qt6::Svg)
    orlen_warnings(orlen-render-icon)
    set(ORLEN_ICON_PNGS)
    foreach(size 16 22 24 32 48 64 128 256)
        set(png ${CMAKE_BINARY_DIR}/icons/${size}x${size}/orlen.png)
        add_custom_command(OUTPUT ${png}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}x${size}
            COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
                    $<TARGET_FILE:orlen-render-icon> ${ORLEN_ICON_SVG} ${size} ${png}
            DEPENDS orlen-render-icon ${ORLEN_ICON_SVG}
            COMMENT "Drawing the ${size}x${size} application icon"
            VERBATIM)
        list(APPEND ORLEN_ICON_PNGS ${png})
        install(FILES ${png} DESTINATION ${ORLEN_ICON_DIR}/${size}x${size}/apps)
    endforeach()
    add_custom_target(orlen-icons ALL DEPENDS ${ORLEN_ICON_PNGS})
endif()

# The Debian package: `make deb`, or cpack in the release build.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orlen)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Orlen developers")
set(CPACK_PACKAGE_CONTACT "The Orlen developers <orlen@orlen-editor.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for the title and meta tags of HTML pages")
set(CPACK_PACKAGE_DESCRIPTION
    "Orlen edits the meta-data of web pages: the title and the meta tags in a\n"
    "page's head. Pages are picked from a tree of a project folder and edited in a\n"
    "form with one row per tag, with editors for Robots, Cache-Control, Expires\n"
    "and Refresh, keyword and description suggestions, a preview of the page and\n"
    "meta-tag templates. Everything from the body on is written back exactly as\n"
    "it was read.\n"
    "\n"
    "The package also holds orlen-meta, a command-line tool on the same core for\n"
    "batch work over whole sites.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGE_INSTALL_DIRECTORY orlen)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://orlen-editor.org/")
# The shared libraries the programs link (Qt 6 among them) are found by
# dpkg-shlibdeps. Their packages also bring what Qt loads at run time: the
# web preview's helper process (libqt6webenginecore6-bin, which the shlibs of
# libqt6webenginecore6 name), the SVG picture plugins (libqt6svg6) and the
# platform plugins (libqt6gui6). Only the icon theme the toolbar falls back
# on is named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "adwaita-icon-theme")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation")
include(CPack)

# Builds the package, installs it into a scratch root and starts the
# installed programs from there.
if(ORLEN_BUILD_TESTS AND NOT ORLEN_CORE_ONLY)
    add_test(NAME Package.BuildsInstallsAndStarts
             COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/tools/check-package ${CMAKE_BINARY_DIR})
    set_tests_properties(Package.BuildsInstallsAndStarts PROPERTIES TIMEOUT 900)
endif()
