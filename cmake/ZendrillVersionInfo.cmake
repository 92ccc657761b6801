# zendrill_add_version_info(<target> <description>): gives a Windows program a version resource
# (product "Zendrill", the project's version, the description) generated from
# zendrill_version.rc.in, so its file properties and the task list say what it is. The
# description is what the task list shows for the running program.
set(ZENDRILL_VERSION_RC_IN ${CMAKE_CURRENT_LIST_DIR}/zendrill_version.rc.in)

function(zendrill_add_version_info target description)
    if(NOT WIN32)
        return()
    endif()
    set(ZENDRILL_VERSION_NAME ${target})
    set(ZENDRILL_VERSION_FILE ${target}${CMAKE_EXECUTABLE_SUFFIX})
    set(ZENDRILL_VERSION_DESCRIPTION ${description})
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
    configure_file(${ZENDRILL_VERSION_RC_IN} ${rc} @ONLY)
    target_sources(${target} PRIVATE ${rc})
endfunction()
