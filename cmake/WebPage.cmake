# The page folder (build-web/page/): index.html, the programs' scripts and WebAssembly
# (zendrill.js/.wasm, zendrill-setup.js/.wasm) and the game's preloaded assets (zendrill.data:
# textures/ and models/ in /zendrill, the game's working directory on the page). Any static web
# server can host the folder. Beside it, build-web/bench/ holds bench/first_frame and its page.
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
    OUTPUT ${ZENDRILL_WEB_BENCH_DIR}/first_frame.html
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${PROJECT_SOURCE_DIR}/bench/web/first_frame.html
            ${ZENDRILL_WEB_BENCH_DIR}/first_frame.html
    DEPENDS ${PROJECT_SOURCE_DIR}/bench/web/first_frame.html
    VERBATIM)
add_custom_target(zendrill_page ALL DEPENDS ${ZENDRILL_PAGE_DIR}/index.html
                                            ${ZENDRILL_WEB_BENCH_DIR}/first_frame.html)
