# The front door: checks what each target needs (installing it on Debian),
# then drives CMake. `make help` lists every target, grouped by platform.
#   make run    build and start the visualiser
#   make test   build and run every test
#   make bench  build and run the benchmarks
#   make check-sanitize   the unit and exit-path tests under AddressSanitizer and UBSan
#   make check-memcheck   the program under valgrind in a real window
#   make release          every platform's artifact in build/release/, with SHA256SUMS
#   make check-release    the sums and what each artifact holds
#   make check-reproducible  the release built twice, apart, compared byte for byte
#   make check-flaky CHECK=NAME RUNS=N  one timing-sensitive check N times under load (no NAME: the list)
#   make update-po          refresh po/fieldline.pot from the sources and merge it into every po/LL.po
#   make check-translations every catalogue complete, sound, and matching the sources
# Each platform's targets live in platforms/NAME/NAME.mk, included at the end.
# Each need is PROBE=DEBIAN_PACKAGE; see scripts/require.sh.
BUILD_NEEDS := c++=g++ cmake=cmake make=make pkg-config=pkg-config sdl.pc=libsdl1.2-compat-dev
TEST_NEEDS := $(BUILD_NEEDS) gtest.pc=libgtest-dev x11.pc=libx11-dev Xvfb=xvfb xdotool=xdotool xwininfo=x11-utils \
	import=imagemagick
BENCH_NEEDS := $(TEST_NEEDS) benchmark.pc=libbenchmark-dev
MEMCHECK_NEEDS := $(TEST_NEEDS) valgrind=valgrind /usr/share/doc/libc6-dbg=libc6-dbg
# gettext's tools, po4a for the manual page, AppStream's rules for its metadata,
# python3 for the right-to-left rules.
TRANSLATION_NEEDS := xgettext=gettext msgfmt=gettext po4a-translate=po4a \
	/usr/share/gettext/its/metainfo.its=appstream python3=python3
# The version is written once, in CMakeLists.txt's project().
VERSION := $(shell sed -n 's/^project(fieldline VERSION \([^ )]*\).*/\1/p' CMakeLists.txt)
# Every date a build writes (the package's files, the manual page, the PE
# headers, the archives' entries) is the last commit's, so that the same
# sources build the same bytes; outside git, the sources' own time.
ifndef SOURCE_DATE_EPOCH
SOURCE_DATE_EPOCH := $(shell git log -1 --format=%ct 2>/dev/null || stat -c %Y CMakeLists.txt)
endif
export SOURCE_DATE_EPOCH
JOBS := $(shell nproc 2>/dev/null || sysctl -n hw.ncpu 2>/dev/null || echo 2)
APP_BUILD ?= build/app

.PHONY: run test bench build check-sanitize check-memcheck release check-release check-reproducible \
	check-flaky update-po check-translations help clean

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

# Every platform's artifact; the cross packages are built by the script.
release: package windows build-web
	scripts/require.sh git=git
	VERSION=$(VERSION) scripts/release.sh

check-release: release
	scripts/require.sh lintian=lintian hardening-check=devscripts unzip=unzip msiinfo=msitools
	VERSION=$(VERSION) scripts/check_release.sh

check-reproducible:
	scripts/require.sh git=git diffoscope=diffoscope-minimal
	scripts/check_reproducible.sh

update-po:
	scripts/require.sh $(TRANSLATION_NEEDS)
	scripts/translations.sh update

check-translations:
	scripts/require.sh $(TRANSLATION_NEEDS)
	scripts/translations.sh check

# On demand, not in CI: after the check's own target has built what it runs.
check-flaky:
	scripts/flaky.sh $(CHECK) $(RUNS)

# The "#   make ..." lines above and at the top of each platform's file.
help:
	@for file in Makefile platforms/*/*.mk; do echo "$${file%/*.mk}:" | sed 's|^platforms/||; s|^Makefile:|native:|'; \
	  sed -n 's/^#   make /  make /p' "$$file"; done

clean:
	rm -rf build platforms/web/node_modules

# Each platform's targets, from its own folder.
include platforms/cross/cross.mk
include platforms/linux/linux.mk
include platforms/web/web.mk
include platforms/windows/windows.mk
