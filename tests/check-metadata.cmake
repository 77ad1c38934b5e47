# The desktop entry and the metainfo are plain files that the validators and the desktop read as
# they are; this checks that they still say what the top-level CMakeLists.txt says: the id, the
# icon's and the desktop entry's names, the program's name (also its window class); the
# configure itself checks the newest release against the version. Run by ctest:
#   cmake -DAPP_ID=… -DAPP_NAME=… -DDESKTOP=<file> -DMETAINFO=<file> -P check-metadata.cmake

cmake_minimum_required(VERSION 3.22)

file(READ "${DESKTOP}" desktop)
file(READ "${METAINFO}" metainfo)

set(failures "")
# require(<desktop|metainfo> <text>): that file must hold the text.
function(require file text)
    string(FIND "${${file}}" "${text}" at)
    if(at EQUAL -1)
        string(STRIP "${text}" shown)
        set(failures ${failures} "the ${file} lacks ${shown}" PARENT_SCOPE)
    endif()
endfunction()

require(desktop "\nIcon=${APP_ID}\n")
require(desktop "\nName=${APP_NAME}\n")
require(desktop "\nStartupWMClass=${APP_NAME}\n")
require(metainfo "<id>${APP_ID}</id>")
require(metainfo "<name>${APP_NAME}</name>")
require(metainfo "<launchable type=\"desktop-id\">${APP_ID}.desktop</launchable>")

if(failures)
    list(JOIN failures "\n  " text)
    message(FATAL_ERROR "The desktop files disagree with the project:\n  ${text}")
endif()
