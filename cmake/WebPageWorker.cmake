# Writes the page's service worker, sw.js, into the page folder from packaging/web/sw.js.in: it
# names every other file of the folder with the SHA-256 of its bytes, and the page's version is
# made from those names and hashes, so a build that changes any file brings a new version.
# sw.js is rewritten only when it changes. The build runs it after the rest of the page is made
# (cmake/WebPage.cmake); it runs on any page folder alike:
#   cmake -DPAGE_DIR=<page folder> -DTEMPLATE=<sw.js.in> -P WebPageWorker.cmake
if(NOT IS_DIRECTORY "${PAGE_DIR}" OR NOT EXISTS "${TEMPLATE}")
    message(FATAL_ERROR "usage: cmake -DPAGE_DIR=<page folder> -DTEMPLATE=<sw.js.in> -P ${CMAKE_CURRENT_LIST_FILE}")
endif()
file(GLOB_RECURSE files RELATIVE "${PAGE_DIR}" LIST_DIRECTORIES false "${PAGE_DIR}/*")
list(REMOVE_ITEM files sw.js)
list(SORT files)
if(NOT files)
    message(FATAL_ERROR "${PAGE_DIR} holds no page")
endif()
set(entries)
set(listing)
foreach(name IN LISTS files)
    file(SHA256 "${PAGE_DIR}/${name}" hash)
    list(APPEND entries "  \"${name}\": \"${hash}\"")
    string(APPEND listing "${name} ${hash}\n")
endforeach()
list(JOIN entries ",\n" ZENDRILL_PAGE_FILES)
set(ZENDRILL_PAGE_FILES "{\n${ZENDRILL_PAGE_FILES}\n}")
string(SHA256 version "${listing}")
string(SUBSTRING "${version}" 0 16 ZENDRILL_PAGE_VERSION)
# configure_file leaves an unchanged sw.js as it is.
configure_file("${TEMPLATE}" "${PAGE_DIR}/sw.js" @ONLY)
