# The Windows download: install rules and the two packages cpack makes in build-windows/ (files in
# packaging/windows/):
#   zendrill-<version>-win64.zip  one folder to unpack anywhere and play from
#   zendrill-<version>-win64.exe  an installer (NSIS) for the current user, no administrator
#                                 rights: the user's own programs folder, Start-menu entries,
#                                 an entry in Windows' list of installed apps with an uninstaller
# Both hold the same flat folder: the programs read d3d.ini, textures\ and models\ from their
# working folder, so everything lies side by side and the game plays from where it was put:
#   zendrill.exe, zendrill-setup.exe   the game and its settings dialog
#   zendrill-launcher.exe              the "Zendrill" entry: runs Zendrill Setup first while the
#                                      folder has no d3d.ini, then the game
#   textures\, models\                 the generated assets
#   README.txt                         what a Windows player does (CR LF line ends)
if(NOT TARGET zendrill OR NOT TARGET zendrill-setup)
    return()
endif()

set(windows_packaging ${PROJECT_SOURCE_DIR}/packaging/windows)
set(generated ${CMAKE_BINARY_DIR}/packaging)

add_executable(zendrill-launcher WIN32 ${windows_packaging}/zendrill_launcher.cpp)
zendrill_add_icon(zendrill-launcher)
zendrill_add_version_info(zendrill-launcher "Zendrill launcher")

configure_file(${windows_packaging}/README.txt.in ${generated}/README.txt @ONLY NEWLINE_STYLE CRLF)

install(TARGETS zendrill zendrill-setup zendrill-launcher RUNTIME DESTINATION .)
install(DIRECTORY ${ZENDRILL_RUN_DIR}/textures ${ZENDRILL_RUN_DIR}/models DESTINATION .)
install(FILES ${generated}/README.txt DESTINATION .)

set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_PACKAGE_NAME zendrill)
set(CPACK_PACKAGE_VENDOR "zendrill developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME zendrill-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "three-dimensional bat-and-ball brick game")
set(CPACK_STRIP_FILES ON)

# The installer's script is packaging/windows/NSIS.template.in, our own: per user, amd64
# (Debian's wine64 and 64-bit Windows run it; NSIS's default stub is 32-bit), the programs'
# icon, and these names.
list(APPEND CMAKE_MODULE_PATH ${windows_packaging})
set(CPACK_NSIS_PACKAGE_NAME Zendrill)
set(CPACK_NSIS_DISPLAY_NAME Zendrill)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Zendrill)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Zendrill)
set(CPACK_NSIS_MUI_ICON ${ZENDRILL_RUN_DIR}/icons/zendrill.ico)
set(CPACK_NSIS_VERSION_QUAD ${PROJECT_VERSION}.0)
include(CPack)
