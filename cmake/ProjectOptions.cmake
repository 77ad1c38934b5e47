# Options and warnings that every target of the project links, as two INTERFACE targets.

add_library(orbelune_options INTERFACE)
add_library(orbelune_warnings INTERFACE)

option(ENABLE_SANITIZER_ADDRESS "Build with AddressSanitizer (and LeakSanitizer)" OFF)
option(ENABLE_SANITIZER_UNDEFINED_BEHAVIOR "Build with UndefinedBehaviorSanitizer" OFF)
option(WARNINGS_AS_ERRORS "Treat compiler warnings as errors" OFF)

if(MSVC)
    target_compile_options(orbelune_warnings INTERFACE /W4 /utf-8)
    if(WARNINGS_AS_ERRORS)
        target_compile_options(orbelune_warnings INTERFACE /WX)
    endif()
else()
    target_compile_options(orbelune_warnings INTERFACE
        -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
        -Woverloaded-virtual -Wformat=2)
    if(WARNINGS_AS_ERRORS)
        target_compile_options(orbelune_warnings INTERFACE -Werror)
    endif()

    set(_sanitizers "")
    if(ENABLE_SANITIZER_ADDRESS)
        list(APPEND _sanitizers address)
    endif()
    if(ENABLE_SANITIZER_UNDEFINED_BEHAVIOR)
        list(APPEND _sanitizers undefined)
    endif()
    if(_sanitizers)
        list(JOIN _sanitizers "," _sanitizer_list)
        target_compile_options(orbelune_options INTERFACE
            -fsanitize=${_sanitizer_list} -fno-omit-frame-pointer -fno-sanitize-recover=all)
        target_link_options(orbelune_options INTERFACE -fsanitize=${_sanitizer_list})
    endif()
endif()
