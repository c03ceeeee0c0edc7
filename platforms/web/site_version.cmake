# Writes the site's service worker (sw.js) from its template, with the
# cache named after a digest of every other file of the site, which it also
# lists: a change to any of them is a new cache.
# Usage: cmake -DSITE=FOLDER -DTEMPLATE=sw.js -P site_version.cmake
file(GLOB_RECURSE files RELATIVE ${SITE} ${SITE}/*)
list(REMOVE_ITEM files sw.js)
list(SORT files)
set(digests "")
set(SITE_FILES "")
foreach(file ${files})
  file(SHA256 ${SITE}/${file} digest)
  string(APPEND digests "${digest} ${file}\n")
  list(APPEND SITE_FILES "'${file}'")
  # A language's page is asked for by its folder, as it is linked.
  if(file MATCHES "^(.+/)index\\.html$")
    list(APPEND SITE_FILES "'${CMAKE_MATCH_1}'")
  endif()
endforeach()
string(SHA256 SITE_VERSION "${digests}")
string(SUBSTRING ${SITE_VERSION} 0 16 SITE_VERSION)
list(JOIN SITE_FILES ", " SITE_FILES)
configure_file(${TEMPLATE} ${SITE}/sw.js @ONLY)
