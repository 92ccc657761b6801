# Install rules and the Debian package. Layout (GNU install dirs, prefix /usr in the package):
#   bin/zendrill, bin/zendrill-setup      launchers (packaging/launcher.sh.in) that prepare the
#                                         player's folder and run the program in it
#   libexec/zendrill/zendrill, .../zendrill-setup
#                                         the programs: they read only their working directory,
#                                         so they stay off PATH, where started anywhere else
#                                         they would find no settings or write d3d.ini there
#   share/zendrill/textures, models       the generated assets, linked from the player's folder
#   share/icons/hicolor/<N>x<N>/apps/zendrill.png, share/applications/*.desktop,
#   share/metainfo/<id>.metainfo.xml, share/man/man6/*.6.gz
include(GNUInstallDirs)

# Only the Linux build, over the platform stand-in, is installed this way.
if(NOT TARGET compat_win32 OR NOT TARGET setup_view OR NOT TARGET zendrill
   OR NOT TARGET zendrill-setup)
    return()
endif()

set(ZENDRILL_APP_ID "org.example.Zendrill" CACHE STRING
    "AppStream component id (reverse domain name of the project's web address)")
set(ZENDRILL_WEB_URL "https://zendrill.example.org" CACHE STRING
    "The project's web address; the metainfo's screenshot is published under it")

set(ZENDRILL_INSTALL_LIBEXECDIR ${CMAKE_INSTALL_LIBEXECDIR}/zendrill)
set(ZENDRILL_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/zendrill)

# The launchers and the window icon find the installed tree relative to their own location, so
# an install under any prefix or DESTDIR works as it is.
file(RELATIVE_PATH bin_to_libexec ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_FULL_LIBEXECDIR}/zendrill)
file(RELATIVE_PATH bin_to_data ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DATADIR}/zendrill)
file(RELATIVE_PATH libexec_to_icons ${CMAKE_INSTALL_FULL_LIBEXECDIR}/zendrill
     ${CMAKE_INSTALL_FULL_DATADIR}/icons)
file(RELATIVE_PATH build_to_icons ${CMAKE_RUNTIME_OUTPUT_DIRECTORY} ${ZENDRILL_RUN_DIR}/icons)
foreach(target compat_win32 setup_view)
    target_compile_definitions(${target} PRIVATE
        "ZENDRILL_BUILD_ICON_DIR=\"${build_to_icons}\""
        "ZENDRILL_INSTALLED_ICON_DIR=\"${libexec_to_icons}\"")
endforeach()

set(packaging ${PROJECT_SOURCE_DIR}/packaging)
set(generated ${CMAKE_BINARY_DIR}/packaging)
foreach(PROGRAM zendrill zendrill-setup)
    set(BIN_TO_LIBEXEC ${bin_to_libexec})
    set(BIN_TO_DATA ${bin_to_data})
    configure_file(${packaging}/launcher.sh.in ${generated}/bin/${PROGRAM} @ONLY)
endforeach()
configure_file(${packaging}/zendrill.metainfo.xml.in
               ${generated}/${ZENDRILL_APP_ID}.metainfo.xml @ONLY)

# Manual pages, gzipped as Debian keeps them (-n: no name or time stamp, the same bytes each run).
set(DATA_DIR ${CMAKE_INSTALL_FULL_DATADIR}/zendrill)
set(manuals)
foreach(page zendrill zendrill-setup)
    configure_file(${packaging}/${page}.6 ${generated}/${page}.6 @ONLY)
    add_custom_command(OUTPUT ${generated}/${page}.6.gz
                       COMMAND gzip -9nf -k ${generated}/${page}.6
                       DEPENDS ${generated}/${page}.6 VERBATIM)
    list(APPEND manuals ${generated}/${page}.6.gz)
endforeach()
add_custom_target(zendrill_manuals ALL DEPENDS ${manuals})

install(TARGETS zendrill zendrill-setup RUNTIME DESTINATION ${ZENDRILL_INSTALL_LIBEXECDIR})
install(PROGRAMS ${generated}/bin/zendrill ${generated}/bin/zendrill-setup
        DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${ZENDRILL_RUN_DIR}/textures ${ZENDRILL_RUN_DIR}/models
        DESTINATION ${ZENDRILL_INSTALL_DATADIR})
install(DIRECTORY ${ZENDRILL_RUN_DIR}/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${packaging}/zendrill.desktop ${packaging}/zendrill-setup.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${generated}/${ZENDRILL_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${manuals} DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)

# The Debian package: cpack -G DEB in the build folder.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zendrill)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "three-dimensional bat-and-ball brick game")
set(CPACK_PACKAGE_DESCRIPTION
    "Steer a bat with the mouse and keep a ball in play while it breaks a field of 90 bricks in a walled 3D arena. Four cameras, falling snow and a settings tool for display, screen mode and texture filtering.")
set(CPACK_PACKAGE_CONTACT "zendrill developers <zendrill@example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${ZENDRILL_WEB_URL})
set(CPACK_STRIP_FILES ON) # the build keeps debug information; players need none
# Libraries the programs link are found by dpkg-shlibdeps. Named here is what is loaded at run
# time and so invisible to it: libGL.so.1, which libepoxy opens itself (libgl1), and the Mesa
# drivers that the GL vendor library opens (libgl1-mesa-dri, llvmpipe where there is no GPU).
# SDL's own run-time X and Wayland libraries come with its package's dependencies, and Qt's xcb
# platform plugin ships in libqt6gui6, which the setup tool links. Qt's Wayland platform plugin
# is a package of its own (qt6-wayland): without it the setup tool runs through XWayland on a
# Wayland desktop, while the game runs natively.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1, libgl1-mesa-dri, qt6-wayland")
include(CPack)
