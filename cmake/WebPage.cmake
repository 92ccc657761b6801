# The page folder (build-web/page/): index.html, the programs' scripts and WebAssembly
# (zendrill.js/.wasm, zendrill-setup.js/.wasm), the game's preloaded assets (zendrill.data:
# textures/ and models/ in /zendrill, the game's working directory on the page), the web app
# manifest with its icons (zendrill-192.png and zendrill-512.png, the asset tool's) and the
# service worker that keeps all of them for offline play (sw.js, written last, from the others'
# hashes). Any static web server can host the folder; service workers run on HTTPS or localhost. Beside it, build-web/bench/ holds bench/first_frame and its page.
set(ZENDRILL_PAGE_DIR ${CMAKE_BINARY_DIR}/page)
set(page_source ${PROJECT_SOURCE_DIR}/packaging/web)

set_target_properties(zendrill zendrill-setup PROPERTIES RUNTIME_OUTPUT_DIRECTORY
                                                      ${ZENDRILL_PAGE_DIR})
# The bench program (bench/first_frame) and its page go beside the page, not into it.
set(ZENDRILL_WEB_BENCH_DIR ${CMAKE_BINARY_DIR}/bench)
set_target_properties(first_frame PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${ZENDRILL_WEB_BENCH_DIR})
foreach(target zendrill first_frame)
    target_link_options(${target} PRIVATE
        "SHELL:--preload-file ${ZENDRILL_RUN_DIR}/textures@/zendrill/textures"
        "SHELL:--preload-file ${ZENDRILL_RUN_DIR}/models@/zendrill/models")
    add_dependencies(${target} zendrill_assets)
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${ZENDRILL_ASSET_FILES})
endforeach()

add_custom_command(
    OUTPUT ${ZENDRILL_PAGE_DIR}/index.html
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${page_source}/index.html
            ${ZENDRILL_PAGE_DIR}/index.html
    DEPENDS ${page_source}/index.html
    COMMENT "Copying the page"
    VERBATIM)
add_custom_command(
    OUTPUT ${ZENDRILL_PAGE_DIR}/manifest.webmanifest
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${page_source}/manifest.webmanifest
            ${ZENDRILL_PAGE_DIR}/manifest.webmanifest
    DEPENDS ${page_source}/manifest.webmanifest
    VERBATIM)
set(page_icons)
foreach(icon IN LISTS ZENDRILL_WEB_ICON_FILES)
    get_filename_component(name ${icon} NAME)
    add_custom_command(
        OUTPUT ${ZENDRILL_PAGE_DIR}/${name}
        COMMAND ${CMAKE_COMMAND} -E copy_if_different ${icon} ${ZENDRILL_PAGE_DIR}/${name}
        DEPENDS ${icon} zendrill_assets
        VERBATIM)
    list(APPEND page_icons ${ZENDRILL_PAGE_DIR}/${name})
endforeach()
add_custom_command(
    OUTPUT ${ZENDRILL_WEB_BENCH_DIR}/first_frame.html
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${PROJECT_SOURCE_DIR}/bench/web/first_frame.html
            ${ZENDRILL_WEB_BENCH_DIR}/first_frame.html
    DEPENDS ${PROJECT_SOURCE_DIR}/bench/web/first_frame.html
    VERBATIM)
add_custom_target(zendrill_page ALL DEPENDS ${ZENDRILL_PAGE_DIR}/index.html
                                            ${ZENDRILL_PAGE_DIR}/manifest.webmanifest ${page_icons}
                                            ${ZENDRILL_WEB_BENCH_DIR}/first_frame.html)
# The service worker names the hashes of every other file of the page, so it is written after
# them, on every build (hashing the folder takes a moment; an unchanged sw.js stays as it is).
add_custom_target(zendrill_page_worker ALL
    COMMAND ${CMAKE_COMMAND} -DPAGE_DIR=${ZENDRILL_PAGE_DIR} -DTEMPLATE=${page_source}/sw.js.in
            -P ${CMAKE_CURRENT_LIST_DIR}/WebPageWorker.cmake
    COMMENT "Writing the page's service worker"
    VERBATIM)
add_dependencies(zendrill_page_worker zendrill zendrill-setup zendrill_page)
