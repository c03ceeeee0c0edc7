# The front door: checks what each target needs (installing it on Debian),
# then drives CMake.
#   make run    build and start the visualiser
#   make test   build and run every test
#   make bench  build and run the benchmarks
#   make web    build the browser version into build/web/ and serve it
#   make windows  cross-build the Windows zip in build/windows/
#   make package  build the Debian package in build/package/
#   make check-sanitize   the unit and exit-path tests under AddressSanitizer and UBSan
#   make check-memcheck   the program under valgrind in a real window
#   make check-web        the browser version in headless Chromium
#   make check-windows    the Windows zip's program under Wine
#   make check-classic-sdl  the tests on a build against the classic SDL 1.2.15
#   make check-big-endian   the unit tests on s390x under qemu-user
#   make check-wayland      the window test under weston, with no X display
#   make check-package      lint the package, install it, window-test it, remove it
# Each need is PROBE=DEBIAN_PACKAGE; see scripts/require.sh.
BUILD_NEEDS := c++=g++ cmake=cmake make=make pkg-config=pkg-config sdl.pc=libsdl1.2-compat-dev
TEST_NEEDS := $(BUILD_NEEDS) gtest.pc=libgtest-dev x11.pc=libx11-dev Xvfb=xvfb xdotool=xdotool \
	import=imagemagick
BENCH_NEEDS := $(TEST_NEEDS) benchmark.pc=libbenchmark-dev
MEMCHECK_NEEDS := $(TEST_NEEDS) valgrind=valgrind /usr/share/doc/libc6-dbg=libc6-dbg
BIG_ENDIAN_NEEDS := cmake=cmake make=make pkg-config=pkg-config s390x-linux-gnu-g++=g++-s390x-linux-gnu \
	qemu-s390x=qemu-user mmdebstrap=mmdebstrap
JOBS := $(shell nproc 2>/dev/null || sysctl -n hw.ncpu 2>/dev/null || echo 2)
APP_BUILD ?= build/app

.PHONY: run test bench build check-sanitize check-memcheck check-big-endian clean

run: build
	./$(APP_BUILD)/fieldline

build:
	scripts/require.sh $(BUILD_NEEDS)
	cmake -S . -B $(APP_BUILD) -DFIELDLINE_TESTS=OFF
	cmake --build $(APP_BUILD) -j $(JOBS)

test:
	scripts/require.sh $(TEST_NEEDS)
	cmake -S . -B build/test
	cmake --build build/test -j $(JOBS)
	cd build/test && ctest --output-on-failure -j $(JOBS)

check-sanitize:
	scripts/require.sh $(TEST_NEEDS)
	cmake -S . -B build/sanitize -DFIELDLINE_SANITIZE=ON
	cmake --build build/sanitize -j $(JOBS) --target unit_tests fieldline sdl_interposer
	cd build/sanitize && ctest --output-on-failure -j $(JOBS) -L unit

check-memcheck:
	scripts/require.sh $(MEMCHECK_NEEDS)
	cmake -S . -B build/test
	cmake --build build/test -j $(JOBS) --target fieldline
	scripts/memcheck.sh build/test/fieldline

bench:
	scripts/require.sh $(BENCH_NEEDS)
	cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DFIELDLINE_TESTS=OFF -DFIELDLINE_BENCH=ON
	cmake --build build/bench -j $(JOBS)
	scripts/bench.sh build/bench

check-big-endian:
	scripts/require.sh $(BIG_ENDIAN_NEEDS)
	scripts/check_big_endian.sh

clean:
	rm -rf build platforms/web/node_modules

# Each platform's targets, from its own folder.
include platforms/linux/linux.mk
include platforms/web/web.mk
include platforms/windows/windows.mk
