# zendrill_add_icon(<target>): gives a Windows program the icon resource "D3D_Zendrill.ico", the
# name the window classes load it by (LoadIconA(hInstance, "D3D_Zendrill.ico")). The icon is the
# asset tool's run/icons/zendrill.ico; while the tool does not make one, the program is built
# without it and LoadIconA finds none.
set(ZENDRILL_ICON_FILE ${ZENDRILL_RUN_DIR}/icons/zendrill.ico)
set(ZENDRILL_ICON_RC ${CMAKE_CURRENT_LIST_DIR}/zendrill_icon.rc)

function(zendrill_add_icon target)
    if(NOT WIN32)
        return()
    endif()
    if(NOT ZENDRILL_ICON_FILE IN_LIST ZENDRILL_ASSET_FILES)
        message(STATUS "${target}: the asset tool makes no icon; built without one")
        return()
    endif()
    target_sources(${target} PRIVATE ${ZENDRILL_ICON_RC})
    set_property(SOURCE ${ZENDRILL_ICON_RC} APPEND PROPERTY OBJECT_DEPENDS ${ZENDRILL_ICON_FILE})
    # windres finds the icon by the run folder's path.
    set_property(SOURCE ${ZENDRILL_ICON_RC} APPEND PROPERTY INCLUDE_DIRECTORIES ${ZENDRILL_RUN_DIR})
    add_dependencies(${target} zendrill_assets)
endfunction()
