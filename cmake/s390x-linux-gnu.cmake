# Cross-builds for s390x, a big-endian machine, with Debian's cross GCC
# (g++-s390x-linux-gnu), against libraries extracted into FIELDLINE_SYSROOT
# (pkg-config pointed there by PKG_CONFIG_SYSROOT_DIR and PKG_CONFIG_LIBDIR);
# the tests run under qemu-user. Used by scripts/check_big_endian.sh.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(CMAKE_C_COMPILER s390x-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER s390x-linux-gnu-g++)
# The compiler keeps its own C library; the sysroot adds SDL and GoogleTest
# and, at run time, the whole s390x system the programs load.
set(CMAKE_FIND_ROOT_PATH ${FIELDLINE_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# SDL's own dependencies are looked up in the sysroot when linking.
set(CMAKE_EXE_LINKER_FLAGS_INIT
    "-Wl,-rpath-link,${FIELDLINE_SYSROOT}/usr/lib/s390x-linux-gnu:${FIELDLINE_SYSROOT}/lib/s390x-linux-gnu:${FIELDLINE_SYSROOT}/usr/lib/s390x-linux-gnu/pulseaudio")
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-s390x -L ${FIELDLINE_SYSROOT})
