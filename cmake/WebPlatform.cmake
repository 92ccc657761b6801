# The browser platform (the `web` preset, emscripten): compiler and linker settings every program
# of the page shares. The stand-in (compat/) supplies the platform API over the page: html5.h for
# the window and input, WebGL 2 for the device.
#
# The game's loop is the platform's message loop and never returns to the browser by itself, so
# the stand-in gives the browser its turn inside its own calls (after a presented frame, while it
# waits); ASYNCIFY lets those calls pause the program and resume it.
set(ZENDRILL_WEB_LINK_OPTIONS
    -sMIN_WEBGL_VERSION=2
    -sMAX_WEBGL_VERSION=2
    -sASYNCIFY
    -sASYNCIFY_STACK_SIZE=65536
    -sALLOW_MEMORY_GROWTH=1
    -sENVIRONMENT=web
    -sEXPORTED_RUNTIME_METHODS=FS,addRunDependency,removeRunDependency
    -lidbfs.js)
add_link_options(${ZENDRILL_WEB_LINK_OPTIONS})

# emscripten's JavaScript optimiser needs Debian's Node modules (acorn), which Node finds only
# through NODE_PATH; every link gets it, however the build was started.
set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)
set(CMAKE_C_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)
