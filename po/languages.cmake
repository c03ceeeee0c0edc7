# The languages fieldline's texts are translated into: one PO file each in
# po/, found here, so that a new file is a new language. Sets
# FIELDLINE_LANGUAGES (their codes: de, pt_BR, ...) and FIELDLINE_PO_DIR, a
# copy of the PO files with the LINGUAS list that msgfmt's bulk modes read,
# and MSGFMT. Without gettext's msgfmt there are no translations, only English.
# Included by the platforms whose texts are translated (linux, web).
find_program(MSGFMT msgfmt)
file(GLOB po_files CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/po/*.po)
set(FIELDLINE_LANGUAGES)
set(FIELDLINE_PO_DIR ${CMAKE_BINARY_DIR}/po)
if(MSGFMT)
  foreach(po ${po_files})
    get_filename_component(language ${po} NAME_WE)
    list(APPEND FIELDLINE_LANGUAGES ${language})
    configure_file(${po} ${FIELDLINE_PO_DIR}/${language}.po COPYONLY)
  endforeach()
else()
  message(STATUS "No msgfmt (gettext): texts in English only")
endif()
list(JOIN FIELDLINE_LANGUAGES "\n" linguas)
file(CONFIGURE OUTPUT ${FIELDLINE_PO_DIR}/LINGUAS CONTENT "${linguas}\n")
