# Installation and packaging: the program, and on freedesktop systems its desktop entry, icons
# and AppStream metainfo; `cpack` (make package) turns the installed tree into a Debian package.

include(GNUInstallDirs)

install(TARGETS orbelune
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
    BUNDLE DESTINATION .)
if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
    # The program links the system's Qt and ships no libraries of its own: an installed
    # binary that looked for libraries beside itself would only open a way to load others.
    set_target_properties(orbelune PROPERTIES INSTALL_RPATH "")
endif()

if(UNIX AND NOT APPLE)
    # The PNG icons are rendered from the same vector source as the window icon, by a small
    # Qt tool of our own, so the build needs nothing beyond Qt.
    set(ORBELUNE_ICON_SIZES 16 22 24 32 48 64 128 256)
    add_subdirectory(tools/render-icon)

    set(icon_dir ${CMAKE_CURRENT_BINARY_DIR}/icons)
    set(icon_files "")
    foreach(size IN LISTS ORBELUNE_ICON_SIZES)
        list(APPEND icon_files ${icon_dir}/${size}x${size}/apps/${ORBELUNE_APP_ID}.png)
    endforeach()
    add_custom_command(
        OUTPUT ${icon_files}
        COMMAND orbelune_render_icon ${CMAKE_CURRENT_SOURCE_DIR}/resources/app-icon.svg
                ${icon_dir} ${ORBELUNE_APP_ID} ${ORBELUNE_ICON_SIZES}
        DEPENDS orbelune_render_icon ${CMAKE_CURRENT_SOURCE_DIR}/resources/app-icon.svg
        COMMENT "Rendering the application icon at ${ORBELUNE_ICON_SIZES} pixels"
        VERBATIM)
    add_custom_target(orbelune_icons ALL DEPENDS ${icon_files})

    set(hicolor ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
    install(FILES resources/app-icon.svg
        DESTINATION ${hicolor}/scalable/apps
        RENAME ${ORBELUNE_APP_ID}.svg)
    foreach(size IN LISTS ORBELUNE_ICON_SIZES)
        install(FILES ${icon_dir}/${size}x${size}/apps/${ORBELUNE_APP_ID}.png
            DESTINATION ${hicolor}/${size}x${size}/apps)
    endforeach()
    install(FILES dist/linux/${ORBELUNE_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES dist/linux/${ORBELUNE_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

# ---------------------------------------------------------------------------------------------
# make package
# ---------------------------------------------------------------------------------------------
set(CPACK_PACKAGE_NAME orbelune)
set(CPACK_PACKAGE_VENDOR "Quellmark")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "ticket suggester for the double colour ball lottery")
set(CPACK_PACKAGE_HOMEPAGE_URL ${PROJECT_HOMEPAGE_URL})
set(CPACK_PACKAGE_CONTACT "Quellmark <orbelune@quellmark.com>")
set(CPACK_STRIP_FILES ON)

if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
    set(CPACK_GENERATOR DEB)
    set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_SECTION utils)
    set(CPACK_PACKAGE_DESCRIPTION
        "Orbelune suggests one ticket for the double colour ball lottery: six red
numbers from 1 to 33 and one blue number from 1 to 16, drawn ball by ball by a
random elimination draw. It keeps a list of past draws, which can be replaced
with a text file, and saves the ticket and the list to a text file.")
    # The libraries come from the binary, under the names of the release that builds the
    # package (libqt6core6 on Debian 12, libqt6core6t64 on 13). The program draws its SVGs
    # through libqt6svg6 itself, so it needs no SVG plugin. The Chinese texts need a CJK face,
    # which no library asks for.
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk")
endif()

include(CPack)
