# The Windows build's own parts: GCC's runtime inside the exe, so that it
# needs nothing beside it but SDL.dll, and the exe's resources (icon and
# version information), compiled by windres. Included by CMakeLists.txt.
target_link_options(fieldline PRIVATE -static-libgcc -static-libstdc++)
enable_language(RC)
# The icon: the Linux icons' two sizes in one .ico.
set(FIELDLINE_ICO ${CMAKE_CURRENT_BINARY_DIR}/fieldline.ico)
find_program(CONVERT convert REQUIRED)
add_custom_command(OUTPUT ${FIELDLINE_ICO}
  COMMAND ${CONVERT} ${PROJECT_SOURCE_DIR}/platforms/linux/icons/48.png
                     ${PROJECT_SOURCE_DIR}/platforms/linux/icons/256.png ${FIELDLINE_ICO}
  DEPENDS ${PROJECT_SOURCE_DIR}/platforms/linux/icons/48.png ${PROJECT_SOURCE_DIR}/platforms/linux/icons/256.png)
configure_file(${CMAKE_CURRENT_LIST_DIR}/fieldline.rc.in fieldline.rc @ONLY)
target_sources(fieldline PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/fieldline.rc)
set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/fieldline.rc PROPERTIES OBJECT_DEPENDS ${FIELDLINE_ICO})
