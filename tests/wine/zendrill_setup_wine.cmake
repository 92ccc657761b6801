# The Windows setup tool under Wine (zendrill_setup_wine.sh), registered beside the Linux tests.
# It needs the Windows build (the `windows` preset's folder unless told otherwise) and Wine; it
# is registered whenever Wine is there and skips itself (exit 77) while zendrill-setup.exe is not
# built yet. The sanitizer build leaves it out: the program under test is the same one.
set(ZENDRILL_WINDOWS_BUILD_DIR ${PROJECT_SOURCE_DIR}/build-windows
    CACHE PATH "Build folder of the Windows programs, for the Wine tests")
find_program(ZENDRILL_WINE NAMES wine wine64 PATHS /usr/lib/wine DOC "The Wine loader")

if(ZENDRILL_WINE AND NOT WIN32 AND NOT ZENDRILL_SANITIZE)
    add_test(NAME zendrill_setup_wine
             COMMAND ${CMAKE_CURRENT_LIST_DIR}/zendrill_setup_wine.sh
                     ${ZENDRILL_WINDOWS_BUILD_DIR}/bin/zendrill-setup.exe
                     ${CMAKE_CURRENT_BINARY_DIR}/zendrill_setup_wine.png
             WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
    set_tests_properties(zendrill_setup_wine PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300
                         LABELS "wine;display" ENVIRONMENT "WINE=${ZENDRILL_WINE}")
endif()
