# Installation: the program, and on freedesktop systems its desktop entry, icons and AppStream
# metainfo, and on Linux its manual page. The Debian package (make package) is built from debian/
# by dpkg-buildpackage, which installs this same tree.

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

if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
    # The version and the release date come from the one place each is written.
    configure_file(dist/linux/orbelune.1.in ${CMAKE_CURRENT_BINARY_DIR}/orbelune.1 @ONLY)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/orbelune.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
