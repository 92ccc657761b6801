# Cross build for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64-posix and
# mingw-w64-x86-64-dev): the real SDK headers and import libraries, the posix thread model.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZENDRILL_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZENDRILL_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZENDRILL_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${ZENDRILL_MINGW_PREFIX}-windres)
set(CMAKE_DLLTOOL ${ZENDRILL_MINGW_PREFIX}-dlltool)

set(CMAKE_FIND_ROOT_PATH /usr/${ZENDRILL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C and C++ runtimes and winpthread go into the programs, so a program needs no DLL beyond
# Windows' own.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
