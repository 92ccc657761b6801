# The backend being built, and the one way a library picks its sources for it.
#
# Three backends build the programs: sdl (the stand-in on the Linux desktop: SDL2, OpenGL,
# Assimp, Qt 6), web (the stand-in in a browser: emscripten, WebGL 2) and win32 (the real SDK,
# cross-built with MinGW-w64). A source file that only one backend builds ends in that backend's
# name (window_sdl.cpp, window_web.cpp, bitmap_decoder_win32.cpp); one that both backends of the
# stand-in build, but not win32, ends in _standin, except inside compat/, which is the stand-in
# and so needs no mark; a file every backend builds has no suffix. HACKING.md explains the rule.
if(WIN32)
    set(ZENDRILL_BACKEND win32)
elseif(EMSCRIPTEN)
    set(ZENDRILL_BACKEND web)
else()
    set(ZENDRILL_BACKEND sdl)
endif()

# zendrill_backend_sources(<var> [SHARED <files...>] [STANDIN <files...>] [SDL <files...>]
#                          [WEB <files...>] [WIN32 <files...>])
#
# Sets <var> to the SHARED files plus those of the backend being built (STANDIN for sdl and web).
# Every file named for a backend must carry its suffix and no SHARED file may carry one, so a
# file in the wrong list stops the configure step with the file's name.
function(zendrill_backend_sources var)
    cmake_parse_arguments(ARG "" "" "SHARED;STANDIN;SDL;WEB;WIN32" ${ARGN})
    set(suffix_regex "_(sdl|web|win32|standin)\\.(cpp|c|h)$")
    foreach(file IN LISTS ARG_SHARED)
        if(file MATCHES "${suffix_regex}")
            message(FATAL_ERROR "${file}: a file every backend builds takes no backend suffix")
        endif()
    endforeach()
    foreach(backend IN ITEMS standin sdl web win32)
        string(TOUPPER ${backend} key)
        foreach(file IN LISTS ARG_${key})
            if(NOT file MATCHES "_${backend}\\.(cpp|c|h)$")
                message(FATAL_ERROR "${file}: a file only the ${backend} build takes ends in _${backend}")
            endif()
        endforeach()
    endforeach()
    set(picked ${ARG_SHARED})
    if(ZENDRILL_BACKEND STREQUAL "win32")
        list(APPEND picked ${ARG_WIN32})
    else()
        list(APPEND picked ${ARG_STANDIN})
        if(ZENDRILL_BACKEND STREQUAL "web")
            list(APPEND picked ${ARG_WEB})
        else()
            list(APPEND picked ${ARG_SDL})
        endif()
    endif()
    set(${var} ${picked} PARENT_SCOPE)
endfunction()
