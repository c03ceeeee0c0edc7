# The browser build's site: build/web/site/ holds only what a web host
# needs (the page, fieldline.js and .wasm, the manifest, the icons and the
# service worker), apart from CMake's own files. Included by CMakeLists.txt
# under emscripten.
set(site ${CMAKE_BINARY_DIR}/site)
set(web ${CMAKE_CURRENT_LIST_DIR})
# ASYNCIFY lets the frame loop await the browser's next frame; the page
# calls main() itself, through ccall, to learn when it has returned. The
# program reads and writes no files: without emscripten's file system its
# one line of output still reaches the page, and a first visit is 11 KB
# lighter.
target_link_options(fieldline PRIVATE -sASYNCIFY -sINVOKE_RUN=0 -sFILESYSTEM=0
                    -sEXPORTED_RUNTIME_METHODS=ccall -sENVIRONMENT=web)
set_target_properties(fieldline PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${site})
target_sources(fieldline PRIVATE ${web}/describe.cpp)

# One page a language: English at the root, each other in a folder named by
# its tag (pt_BR's is pt-BR/). msgfmt merges every catalogue's texts into a
# copy of texts.xml, each translation on the line after its English.
include(${PROJECT_SOURCE_DIR}/po/languages.cmake)
set(texts ${CMAKE_BINARY_DIR}/texts.xml)
if(FIELDLINE_LANGUAGES)
  execute_process(COMMAND env GETTEXTDATADIRS=${web} ${MSGFMT} --xml --template=${web}/texts.xml
                          -d ${FIELDLINE_PO_DIR} -o ${texts} COMMAND_ERROR_IS_FATAL ANY)
else()
  configure_file(${web}/texts.xml ${texts} COPYONLY)
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${web}/texts.xml)
file(STRINGS ${texts} lines ENCODING UTF-8 REGEX "<text ")
set(ids)
foreach(line ${lines})
  # The text goes into elements and attributes alike: its quotes are escaped.
  string(REGEX REPLACE ".*<text [^>]*>(.*)</text>.*" "\\1" text "${line}")
  string(REPLACE "\"" "&quot;" text "${text}")
  if(line MATCHES "<text id=\"([a-z]+)\"")
    set(id ${CMAKE_MATCH_1})
    list(APPEND ids ${id})
    set(text_en_${id} "${text}")
  elseif(line MATCHES "xml:lang=\"([A-Za-z_]+)\"")
    set(text_${CMAKE_MATCH_1}_${id} "${text}")
  endif()
endforeach()
set(tags)
set(pages)
foreach(language en ${FIELDLINE_LANGUAGES})
  string(REPLACE "_" "-" tag ${language})
  set(tag_${language} ${tag})
  if(NOT language STREQUAL en)
    list(APPEND tags "${tag}")
  endif()
endforeach()
list(JOIN tags " " TAGS)
foreach(language en ${FIELDLINE_LANGUAGES})
  set(LANG ${tag_${language}})
  if(language STREQUAL en)
    set(ROOT "")
    set(page ${site}/index.html)
  else()
    set(ROOT "../")
    set(page ${site}/${LANG}/index.html)
  endif()
  # Each text in this language; one a translator has not done yet stays English.
  foreach(id ${ids})
    if(DEFINED text_${language}_${id})
      set(TEXT_${id} "${text_${language}_${id}}")
    else()
      set(TEXT_${id} "${text_en_${id}}")
    endif()
  endforeach()
  string(REPLACE "{version}" ${PROJECT_VERSION} TEXT_footer "${TEXT_footer}")
  set(DIR ${TEXT_direction})
  # The chooser: each language named in itself, its link the one to share.
  set(CHOOSER "")
  foreach(other en ${FIELDLINE_LANGUAGES})
    set(name "${text_en_name}")
    if(DEFINED text_${other}_name)
      set(name "${text_${other}_name}")
    endif()
    if(other STREQUAL en)
      set(href "${ROOT}?lang=en")
    else()
      set(href "${ROOT}${tag_${other}}/")
    endif()
    set(current "")
    if(other STREQUAL language)
      set(current " aria-current=\"page\"")
    endif()
    string(APPEND CHOOSER "<a href=\"${href}\" hreflang=\"${tag_${other}}\" lang=\"${tag_${other}}\"${current}>${name}</a>\n")
  endforeach()
  string(STRIP "${CHOOSER}" CHOOSER)
  configure_file(${web}/index.html ${page} @ONLY)
  list(APPEND pages ${page})
endforeach()
# The page's script and style go out without their comments and indents,
# which are a third of a first visit's bytes (gzipped), for a reader of the
# sources rather than for the browser: whole-line // comments in the
# scripts, /* */ comments in the style.
set(copied ${site}/manifest.webmanifest)
configure_file(${web}/manifest.webmanifest ${site}/manifest.webmanifest COPYONLY)
foreach(file language.js page.js page.css)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${web}/${file})
  file(READ ${web}/${file} text)
  if(file MATCHES "\\.js$")
    string(REGEX REPLACE "\n[ \t]*//[^\n]*" "" text "\n${text}")
  else()
    string(REGEX REPLACE "/\\*([^*]|\\*+[^*/])*\\*+/[ \t]*\n?" "" text "${text}")
  endif()
  string(REGEX REPLACE "\n[ \t]+" "\n" text "${text}")
  string(REGEX REPLACE "^\n+" "" text "${text}")
  file(WRITE ${site}/${file} "${text}")
  list(APPEND copied ${site}/${file})
endforeach()
foreach(size 48 256)
  configure_file(${PROJECT_SOURCE_DIR}/platforms/linux/icons/${size}.png ${site}/icons/${size}.png COPYONLY)
endforeach()
foreach(size 192 512)
  configure_file(${web}/icons/${size}.png ${site}/icons/${size}.png COPYONLY)
endforeach()

add_custom_command(OUTPUT ${site}/sw.js
  COMMAND ${CMAKE_COMMAND} -DSITE=${site} -DTEMPLATE=${web}/sw.js -P ${web}/site_version.cmake
  DEPENDS fieldline ${web}/sw.js ${web}/site_version.cmake ${pages} ${copied}
  COMMENT "Versioning the site's service worker")
add_custom_target(site ALL DEPENDS ${site}/sw.js)
