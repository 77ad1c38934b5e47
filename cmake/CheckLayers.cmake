# Fails when a file includes a project header of a later layer (core < widgets < app), or when a
# core file includes a Qt module other than Qt Core. Run by the build with cmake -P:
#   SOURCE_ROOT       the src/ folder, the root of the project's quoted includes
#   CORE_FILES, WIDGETS_FILES, APP_FILES   each layer's files, absolute paths
#   QT_CORE_INCLUDES  Qt6::Core's include folders

cmake_minimum_required(VERSION 3.22)

set(layers CORE WIDGETS APP)
set(failures "")
foreach(layer IN LISTS layers)
    # What this layer may include: its own files and those of the layers before it.
    list(FIND layers ${layer} rank)
    set(allowed "")
    foreach(lower IN LISTS layers)
        list(FIND layers ${lower} lower_rank)
        if(lower_rank LESS_EQUAL rank)
            list(APPEND allowed ${${lower}_FILES})
        endif()
    endforeach()
    string(TOLOWER ${layer} name)

    foreach(file IN LISTS ${layer}_FILES)
        file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include")
        foreach(line IN LISTS lines)
            if(line MATCHES "#[ \t]*include[ \t]*\"([^\"]+)\"")
                set(header "${CMAKE_MATCH_1}")
                cmake_path(ABSOLUTE_PATH header BASE_DIRECTORY "${SOURCE_ROOT}" NORMALIZE
                    OUTPUT_VARIABLE resolved)
                # The headers that the build generates (orbelune/appinfo.h) are the app's.
                if(NOT resolved IN_LIST allowed AND NOT (layer STREQUAL "APP"
                        AND header MATCHES "^orbelune/"))
                    list(APPEND failures "${file}: \"${header}\" is not of the ${name} layer or one below it")
                endif()
            elseif(layer STREQUAL "CORE" AND line MATCHES "#[ \t]*include[ \t]*<(Q[^>]*)>")
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
endforeach()

if(failures)
    list(JOIN failures "\n  " text)
    message(FATAL_ERROR "An include reaches past its layer (core < widgets < app):\n  ${text}")
endif()
