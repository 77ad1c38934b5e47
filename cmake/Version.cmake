# The version is written once, in the project() call of CMakeLists.txt: --version, the Windows
# version information and the manual page are generated from it. Two files must repeat it, since
# their own tools read them as they are: the newest entry of debian/changelog (dpkg) and the
# newest <release> of the AppStream metainfo (software centres). The configure fails when
# either disagrees, so that no build carries two versions.
# Sets ORBELUNE_RELEASE_DATE, the date of the newest release, for the manual page.

set(metainfo ${PROJECT_SOURCE_DIR}/dist/linux/${ORBELUNE_APP_ID}.metainfo.xml)
set(changelog ${PROJECT_SOURCE_DIR}/debian/changelog)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${metainfo} ${changelog})

# AppStream lists the newest release first.
file(READ ${metainfo} text)
if(NOT text MATCHES "<release version=\"([^\"]*)\" date=\"([0-9-]*)\"")
    message(FATAL_ERROR "${metainfo} has no <release version=\"…\" date=\"…\">")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
    message(FATAL_ERROR "The newest release of ${metainfo} is ${CMAKE_MATCH_1}, the project's "
        "version ${PROJECT_VERSION}: add a <release> for ${PROJECT_VERSION} at the top")
endif()
set(ORBELUNE_RELEASE_DATE ${CMAKE_MATCH_2})

# "orbelune (1.2.0) unstable; urgency=medium": the package is native, its version the program's.
if(EXISTS ${changelog})
    file(STRINGS ${changelog} top LIMIT_COUNT 1)
    if(NOT top MATCHES "^orbelune \\(([^)]*)\\)")
        message(FATAL_ERROR "${changelog} does not begin with an entry for orbelune")
    endif()
    if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
        message(FATAL_ERROR "The newest entry of ${changelog} is ${CMAKE_MATCH_1}, the "
            "project's version ${PROJECT_VERSION}: add an entry for ${PROJECT_VERSION} at the "
            "top (dch -v ${PROJECT_VERSION})")
    endif()
endif()
