# Fails when a file of orbelune_core includes something beyond the standard library, the
# platform's C headers, Qt Core and the core's own files. Run by the build with cmake -P:
#   SOURCE_ROOT       the src/ folder, the root of the project's quoted includes
#   CORE_FILES        the core's files, absolute paths
#   QT_CORE_INCLUDES  Qt6::Core's include folders

cmake_minimum_required(VERSION 3.22)

set(failures "")
foreach(file IN LISTS CORE_FILES)
    file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include")
    foreach(line IN LISTS lines)
        if(line MATCHES "#[ \t]*include[ \t]*\"([^\"]+)\"")
            # A project header: it must be one of the core's own.
            set(header "${CMAKE_MATCH_1}")
            cmake_path(ABSOLUTE_PATH header BASE_DIRECTORY "${SOURCE_ROOT}" NORMALIZE
                OUTPUT_VARIABLE resolved)
            if(NOT resolved IN_LIST CORE_FILES)
                list(APPEND failures "${file}: \"${header}\" is not a core file")
            endif()
        elseif(line MATCHES "#[ \t]*include[ \t]*<(Q[^>]*)>")
            # A Qt header: it must be Qt Core's.
            set(header "${CMAKE_MATCH_1}")
            set(found FALSE)
            foreach(dir IN LISTS QT_CORE_INCLUDES)
                if(EXISTS "${dir}/${header}" AND NOT IS_DIRECTORY "${dir}/${header}")
                    string(REGEX MATCH "^Qt[A-Za-z]+/" module "${header}")
                    if(module STREQUAL "" OR module STREQUAL "QtCore/")
                        set(found TRUE)
                    endif()
                endif()
            endforeach()
            if(NOT found)
                list(APPEND failures "${file}: <${header}> is not a Qt Core header")
            endif()
        endif()
    endforeach()
endforeach()

if(failures)
    list(JOIN failures "\n  " text)
    message(FATAL_ERROR "orbelune_core may use Qt Core and its own files only:\n  ${text}")
endif()
