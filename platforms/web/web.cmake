# The browser build's site: build/web/site/ holds only what a web host
# needs (the page, fieldline.js and .wasm, the manifest, the icons and the
# service worker), apart from CMake's own files. Included by CMakeLists.txt
# under emscripten.
set(site ${CMAKE_BINARY_DIR}/site)
set(web ${CMAKE_CURRENT_LIST_DIR})
# ASYNCIFY lets the frame loop await the browser's next frame; the page
# calls main() itself, through ccall, to learn when it has returned.
target_link_options(fieldline PRIVATE -sASYNCIFY -sINVOKE_RUN=0
                    -sEXPORTED_RUNTIME_METHODS=ccall -sENVIRONMENT=web)
set_target_properties(fieldline PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${site})

configure_file(${web}/index.html ${site}/index.html @ONLY)
configure_file(${web}/manifest.webmanifest ${site}/manifest.webmanifest COPYONLY)
foreach(size 48 256)
  configure_file(${PROJECT_SOURCE_DIR}/platforms/linux/icons/${size}.png ${site}/icons/${size}.png COPYONLY)
endforeach()
foreach(size 192 512)
  configure_file(${web}/icons/${size}.png ${site}/icons/${size}.png COPYONLY)
endforeach()

add_custom_command(OUTPUT ${site}/sw.js
  COMMAND ${CMAKE_COMMAND} -DSITE=${site} -DTEMPLATE=${web}/sw.js -P ${web}/site_version.cmake
  DEPENDS fieldline ${web}/sw.js ${web}/site_version.cmake ${web}/index.html ${web}/manifest.webmanifest
  COMMENT "Versioning the site's service worker")
add_custom_target(site ALL DEPENDS ${site}/sw.js)
