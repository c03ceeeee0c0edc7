# The front door: installs what a fresh Debian 12 machine lacks, then drives CMake.
#   make run    build and start the visualiser
#   make test   build and run every test
#   make bench  build and run the benchmarks
#   make check-sanitize   the unit tests under AddressSanitizer and UBSan
#   make check-memcheck   the program under valgrind in a real window
BUILD_PACKAGES := g++ cmake make pkg-config libsdl1.2-compat-dev
TEST_PACKAGES := $(BUILD_PACKAGES) googletest libgtest-dev xvfb xdotool imagemagick libx11-dev
BENCH_PACKAGES := $(TEST_PACKAGES) libbenchmark-dev
JOBS := $(shell nproc)

.PHONY: run test bench build check-sanitize check-memcheck clean

run: build
	./build/app/fieldline

build:
	scripts/install_packages.sh $(BUILD_PACKAGES)
	cmake -S . -B build/app -DFIELDLINE_TESTS=OFF
	cmake --build build/app -j $(JOBS)

test:
	scripts/install_packages.sh $(TEST_PACKAGES)
	cmake -S . -B build/test
	cmake --build build/test -j $(JOBS)
	cd build/test && ctest --output-on-failure -j $(JOBS)

check-sanitize:
	scripts/install_packages.sh $(TEST_PACKAGES)
	cmake -S . -B build/sanitize -DFIELDLINE_SANITIZE=ON
	cmake --build build/sanitize -j $(JOBS) --target unit_tests
	cd build/sanitize && ctest --output-on-failure -j $(JOBS) -L unit

check-memcheck:
	scripts/install_packages.sh $(TEST_PACKAGES) valgrind libc6-dbg
	cmake -S . -B build/test
	cmake --build build/test -j $(JOBS) --target fieldline
	scripts/memcheck.sh build/test/fieldline

bench:
	scripts/install_packages.sh $(BENCH_PACKAGES)
	cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DFIELDLINE_TESTS=OFF -DFIELDLINE_BENCH=ON
	cmake --build build/bench -j $(JOBS)
	scripts/bench.sh build/bench

clean:
	rm -rf build
