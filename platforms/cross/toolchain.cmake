# Cross-builds for one Debian architecture with Debian's cross GCC
# (g++-TRIPLET), against that architecture's libraries extracted into a
# sysroot by sysroot.sh; programs built here run under qemu-user.
# Set on the command line (check.sh does):
#   FIELDLINE_TRIPLET   GNU triplet, e.g. aarch64-linux-gnu; Debian's
#                       multiarch folders carry the same name
#   FIELDLINE_DEB_ARCH  Debian's name for the architecture, e.g. arm64
#   FIELDLINE_SYSROOT   the extracted system
set(CMAKE_SYSTEM_NAME Linux)
# The compiler checks run in projects of their own, which must see these too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES FIELDLINE_TRIPLET FIELDLINE_DEB_ARCH FIELDLINE_SYSROOT)
string(REGEX REPLACE "-.*" "" CMAKE_SYSTEM_PROCESSOR "${FIELDLINE_TRIPLET}")
set(CMAKE_C_COMPILER ${FIELDLINE_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${FIELDLINE_TRIPLET}-g++)
# The compiler keeps its own C library; the sysroot adds SDL and GoogleTest
# and, at run time, the whole system the programs load.
set(CMAKE_FIND_ROOT_PATH ${FIELDLINE_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# SDL's own dependencies are looked up in the sysroot when linking.
set(lib ${FIELDLINE_SYSROOT}/usr/lib/${FIELDLINE_TRIPLET})
set(CMAKE_EXE_LINKER_FLAGS_INIT
    "-Wl,-rpath-link,${lib}:${FIELDLINE_SYSROOT}/lib/${FIELDLINE_TRIPLET}:${lib}/pulseaudio")
# No run path into the sysroot: qemu finds the libraries there by its
# prefix, and the path would carry this folder's name into the binary (the
# installed copy loses the entry, but not its string).
set(CMAKE_SKIP_BUILD_RPATH ON)
# Test programs run under qemu-user, with the sysroot's libraries.
set(CMAKE_CROSSCOMPILING_EMULATOR env QEMU_LD_PREFIX=${FIELDLINE_SYSROOT}
    ${CMAKE_CURRENT_LIST_DIR}/qemu_launcher.sh)
