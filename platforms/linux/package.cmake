# How fieldline installs on Linux, and the Debian package made from that
# (make package): the program, its manual page, its menu entry, icon and
# AppStream metadata. The version is the project's; the dates come from
# SOURCE_DATE_EPOCH when it is set (the last commit's time: the Makefile
# sets it), so that a rebuild is byte for byte the same.
include(GNUInstallDirs)
string(TIMESTAMP FIELDLINE_DATE "%Y-%m-%d" UTC)
string(TIMESTAMP FIELDLINE_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
set(linux ${CMAKE_CURRENT_LIST_DIR})
set(metainfo io.github.fieldline.metainfo.xml)

# The menu entry, the metadata and the manual page in every language of
# po/: msgfmt merges the translations into the first two, and po4a writes a
# manual page a language from the English one. Without the tools, English alone.
include(${PROJECT_SOURCE_DIR}/po/languages.cmake)
find_program(PO4A_TRANSLATE po4a-translate)
set(man_languages)
configure_file(${linux}/${metainfo}.in untranslated/${metainfo} @ONLY)
if(FIELDLINE_LANGUAGES)
  execute_process(COMMAND ${MSGFMT} --desktop --template=${linux}/io.github.fieldline.desktop
                          -d ${FIELDLINE_PO_DIR} -o ${CMAKE_CURRENT_BINARY_DIR}/io.github.fieldline.desktop
                  COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND ${MSGFMT} --xml --template=${CMAKE_CURRENT_BINARY_DIR}/untranslated/${metainfo}
                          -d ${FIELDLINE_PO_DIR} -o ${CMAKE_CURRENT_BINARY_DIR}/${metainfo}
                  COMMAND_ERROR_IS_FATAL ANY)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${linux}/io.github.fieldline.desktop)
  if(PO4A_TRANSLATE)
    foreach(language ${FIELDLINE_LANGUAGES})
      # A manual page less than wholly translated is left out (-k 100).
      file(REMOVE ${CMAKE_CURRENT_BINARY_DIR}/man/${language}/fieldline.1.in)
      execute_process(COMMAND ${PO4A_TRANSLATE} -f man -M UTF-8 -L UTF-8 -k 100 -m ${linux}/fieldline.1.in
                              -p ${FIELDLINE_PO_DIR}/${language}.po
                              -l ${CMAKE_CURRENT_BINARY_DIR}/man/${language}/fieldline.1.in
                      OUTPUT_QUIET ERROR_QUIET)
      if(EXISTS ${CMAKE_CURRENT_BINARY_DIR}/man/${language}/fieldline.1.in)
        list(APPEND man_languages ${language})
      endif()
    endforeach()
  else()
    message(STATUS "No po4a: the manual page in English only")
  endif()
else()
  configure_file(${linux}/io.github.fieldline.desktop io.github.fieldline.desktop COPYONLY)
  configure_file(${CMAKE_CURRENT_BINARY_DIR}/untranslated/${metainfo} ${metainfo} COPYONLY)
endif()

# Debian keeps manual pages and changelogs gzipped, without a timestamp.
set(gzipped)
macro(gzipped_document source file)
  configure_file(${source} ${file} @ONLY)
  add_custom_command(OUTPUT ${file}.gz
    COMMAND gzip -9n -c ${file} > ${file}.gz
    DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/${file})
  list(APPEND gzipped ${file}.gz)
endmacro()
gzipped_document(${linux}/fieldline.1.in fieldline.1)
gzipped_document(${linux}/changelog.in changelog)
foreach(language ${man_languages})
  gzipped_document(${CMAKE_CURRENT_BINARY_DIR}/man/${language}/fieldline.1.in man/${language}/fieldline.1)
endforeach()
add_custom_target(gzipped_documents ALL DEPENDS ${gzipped})

# Debian strips .comment and .note too (lintian: binary-has-unneeded-section).
install(CODE "if(CMAKE_INSTALL_DO_STRIP)
  execute_process(COMMAND ${CMAKE_OBJCOPY} --remove-section=.comment --remove-section=.note
                  \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/fieldline\")
endif()")
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/fieldline.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
foreach(language ${man_languages})
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/man/${language}/fieldline.1.gz
          DESTINATION ${CMAKE_INSTALL_MANDIR}/${language}/man1)
endforeach()
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/io.github.fieldline.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${metainfo} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 48 256)
  install(FILES ${linux}/icons/${size}.png RENAME fieldline.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${linux}/copyright ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME fieldline)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "fieldline developers <fieldline@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "draws the field line that starts at the mouse pointer")
# The synopsis above comes first; CPack indents these lines.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "fieldline shows the field of three point sources in a 320 by 200 window,
one of strength +1 and two of strength -1, and draws in yellow the field
line that starts wherever the mouse pointer is: 200 steps of one pixel
along the combined field, redrawn as fast as the machine allows.")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends comes from dpkg-shlibdeps, run by depends.cmake when cpack packs,
# which names the compatibility layer first.
set(CPACK_PROJECT_CONFIG_FILE ${linux}/depends.cmake)
set(CPACK_FIELDLINE_PROGRAM ${CMAKE_BINARY_DIR}/fieldline)
if(FIELDLINE_DEB_ARCH)
  # A cross build (platforms/cross): the package is for the target, whose
  # libraries, with the symbols and shlibs files that name their packages,
  # dpkg-shlibdeps finds in the sysroot.
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${FIELDLINE_DEB_ARCH})
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
      ${FIELDLINE_SYSROOT}/usr/lib/${FIELDLINE_TRIPLET} ${FIELDLINE_SYSROOT}/lib/${FIELDLINE_TRIPLET})
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Whatever the builder's umask, folders in the package are 0755.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
