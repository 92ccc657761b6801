# zendrill_add_test(<name> COMMAND <cmd...> [DISPLAY] [XVFB_ARGS <options>] [WORKING_DIRECTORY <dir>]
#                   [TIMEOUT <s>])
#
# Registers a CTest test. DISPLAY runs it on its own Xvfb server (tests/with-display.sh), for
# tests that need a real X display and the GL driver; XVFB_ARGS adds options to that server. Sanitizer options and the leak suppressions
# for system libraries are set for every test.
find_package(GTest REQUIRED)

# intercept_tls_get_addr=0: the runtime of GCC 12 and earlier takes a dynamic TLS block that
# happens to start 16 bytes into a page for the header of a pre-2.25 glibc, reads a start and a
# length from the bytes before it, and the leak checker's tracer then crashes at exit ("Tracer
# caught signal 11") on whatever address that gives, after the test itself has passed. Without
# the interceptor, dynamic TLS is reached through the thread's DTV like any heap block.
set(ZENDRILL_SANITIZER_ENV
    "ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:detect_odr_violation=0:intercept_tls_get_addr=0"
    "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0"
    "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")

function(zendrill_add_test name)
    cmake_parse_arguments(ARG "DISPLAY" "WORKING_DIRECTORY;TIMEOUT;XVFB_ARGS" "COMMAND" ${ARGN})
    if(ARG_DISPLAY)
        set(command ${PROJECT_SOURCE_DIR}/tests/with-display.sh ${ARG_COMMAND})
    else()
        set(command ${ARG_COMMAND})
    endif()
    if(NOT ARG_WORKING_DIRECTORY)
        set(ARG_WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
    endif()
    add_test(NAME ${name} COMMAND ${command} WORKING_DIRECTORY ${ARG_WORKING_DIRECTORY})
    set(env ${ZENDRILL_SANITIZER_ENV} "ZENDRILL_SOURCE_DIR=${PROJECT_SOURCE_DIR}"
            "ZENDRILL_BIN_DIR=${CMAKE_BINARY_DIR}/bin" "ZENDRILL_RUN_DIR=${ZENDRILL_RUN_DIR}")
    if(NOT ARG_DISPLAY)
        list(APPEND env "SDL_VIDEODRIVER=dummy")
    endif()
    if(ARG_XVFB_ARGS)
        list(APPEND env "ZENDRILL_XVFB_ARGS=${ARG_XVFB_ARGS}")
    endif()
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}")
    if(ARG_TIMEOUT)
        set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT})
    endif()
    if(ARG_DISPLAY)
        set_tests_properties(${name} PROPERTIES LABELS display)
    endif()
endfunction()

# zendrill_add_gtest(<name> SOURCES <files...> LIBRARIES <libs...> [DISPLAY] [WORKING_DIRECTORY d])
# Builds a GoogleTest binary and registers it as one CTest test.
function(zendrill_add_gtest name)
    cmake_parse_arguments(ARG "DISPLAY" "WORKING_DIRECTORY;TIMEOUT" "SOURCES;LIBRARIES" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} GTest::gtest GTest::gtest_main
                                          zendrill_tree)
    set(extra)
    if(ARG_DISPLAY)
        list(APPEND extra DISPLAY)
    endif()
    if(ARG_WORKING_DIRECTORY)
        list(APPEND extra WORKING_DIRECTORY ${ARG_WORKING_DIRECTORY})
    endif()
    if(ARG_TIMEOUT)
        list(APPEND extra TIMEOUT ${ARG_TIMEOUT})
    endif()
    zendrill_add_test(${name} COMMAND $<TARGET_FILE:${name}> ${extra})
endfunction()

# zendrill_add_folder_tests(LIBRARIES <libs...>)
# Every <name>_test.cpp in the calling folder becomes a GoogleTest binary that needs no display;
# every <name>_gltest.cpp one that runs on its own Xvfb (real GL driver) in the run folder.
function(zendrill_add_folder_tests)
    cmake_parse_arguments(ARG "" "" "LIBRARIES" ${ARGN})
    file(GLOB unit CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
    file(GLOB gl CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_gltest.cpp)
    foreach(file ${unit})
        get_filename_component(name ${file} NAME_WE)
        zendrill_add_gtest(${name} SOURCES ${file} LIBRARIES ${ARG_LIBRARIES})
    endforeach()
    foreach(file ${gl})
        get_filename_component(name ${file} NAME_WE)
        zendrill_add_gtest(${name} SOURCES ${file} LIBRARIES ${ARG_LIBRARIES} DISPLAY
                           WORKING_DIRECTORY ${ZENDRILL_RUN_DIR} TIMEOUT 300)
    endforeach()
endfunction()
