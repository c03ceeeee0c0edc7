# Read by cpack before it packs the Debian package: Depends, from
# dpkg-shlibdeps run on the built program as CPack would run it, with one
# change. SDL 1.2's symbols file names the classic library's package,
# libsdl1.2debian, which the compatibility layer (on SDL2) only provides, so
# apt would bring the classic one. Named first, the shim brings the layer
# (with its enlarged, sharp window) to a new system; where a libsdl1.2debian
# is already installed, apt keeps it. The version floors stay dpkg-shlibdeps'.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()
set(work ${CPACK_PACKAGE_DIRECTORY}/_shlibdeps)
file(MAKE_DIRECTORY ${work}/debian)
file(WRITE ${work}/debian/control "")
set(search_dirs)
foreach(dir IN LISTS CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS)
  list(APPEND search_dirs -l${dir})
endforeach()
execute_process(COMMAND dpkg-shlibdeps ${search_dirs} --ignore-missing-info -O ${CPACK_FIELDLINE_PROGRAM}
  WORKING_DIRECTORY ${work} OUTPUT_VARIABLE shlibdeps ERROR_VARIABLE errors RESULT_VARIABLE status
  OUTPUT_STRIP_TRAILING_WHITESPACE)
file(REMOVE_RECURSE ${work})
if(NOT status EQUAL 0 OR NOT shlibdeps MATCHES "libsdl1\\.2debian \\(")
  message(FATAL_ERROR "dpkg-shlibdeps found no SDL 1.2 for ${CPACK_FIELDLINE_PROGRAM}: ${shlibdeps} ${errors}")
endif()
string(REGEX REPLACE "^.*Depends=" "" depends "${shlibdeps}")
string(REPLACE "libsdl1.2debian (" "libsdl1.2-compat-shim | libsdl1.2debian (" CPACK_DEBIAN_PACKAGE_DEPENDS "${depends}")
