# The platform on Windows: the SDK's own headers (nothing of compat/include) and the system
# libraries. Defines the same two targets the stand-in defines on Linux:
#   platform_headers  the platform API's headers (windows.h, d3d8.h, dinput.h, mmsystem.h)
#   platform_api      those headers and the libraries behind them
#
# MinGW-w64 ships no import library for d3d8.dll, so one is made here from a module definition
# (d3d8.def: the one entry the programs call, Direct3DCreate8) with dlltool; the programs then
# bind d3d8.dll at load time as they would with the SDK's library.
add_library(platform_headers INTERFACE)
# The C library's printf family as C99 has it (%zu, %lld), as on Linux, rather than msvcrt's.
target_compile_definitions(platform_headers INTERFACE __USE_MINGW_ANSI_STDIO=1)

set(d3d8_def ${CMAKE_CURRENT_LIST_DIR}/d3d8.def)
set(d3d8_lib ${CMAKE_BINARY_DIR}/sdk/libd3d8.a)
add_custom_command(
    OUTPUT ${d3d8_lib}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/sdk
    COMMAND ${CMAKE_DLLTOOL} --input-def ${d3d8_def} --dllname d3d8.dll --output-lib ${d3d8_lib}
    DEPENDS ${d3d8_def}
    COMMENT "Making the d3d8.dll import library"
    VERBATIM)
add_custom_target(d3d8_import_library DEPENDS ${d3d8_lib})
add_library(sdk_d3d8 STATIC IMPORTED GLOBAL)
set_target_properties(sdk_d3d8 PROPERTIES IMPORTED_LOCATION ${d3d8_lib})
add_dependencies(sdk_d3d8 d3d8_import_library)

add_library(platform_api INTERFACE)
target_link_libraries(platform_api INTERFACE platform_headers sdk_d3d8 dinput8 dxguid winmm gdi32
                                             user32)
