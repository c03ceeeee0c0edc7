# Linux beyond the native build: the Debian package and its check, the
# tests against the classic SDL 1.2.15, and the window test under Wayland.
# Included by the Makefile.
#   make package            build/package/fieldline_VERSION_amd64.deb
#   make check-package      lint the package; in minimal Debian 12 and 13 install it, window-test it, purge it
#   make check-classic-sdl  the tests on a build against the classic SDL 1.2.15
#   make check-wayland      the window and environment tests under weston, with no X display
LINUX := platforms/linux
PACKAGE_NEEDS := $(BUILD_NEEDS) dpkg-shlibdeps=dpkg-dev gzip=gzip msgfmt=gettext po4a-translate=po4a
CHECK_PACKAGE_NEEDS := $(TEST_NEEDS) $(PACKAGE_NEEDS) lintian=lintian mandoc=mandoc mmdebstrap=mmdebstrap man=man-db \
	desktop-file-validate=desktop-file-utils appstreamcli=appstream hardening-check=devscripts
CLASSIC_SDL_NEEDS := $(TEST_NEEDS) apt-get=apt dpkg-architecture=dpkg-dev

.PHONY: package check-package check-classic-sdl check-wayland

package:
	scripts/require.sh $(PACKAGE_NEEDS)
	cmake -S . -B build/package -DCMAKE_BUILD_TYPE=Release -DFIELDLINE_TESTS=OFF
	cmake --build build/package -j $(JOBS)
	cd build/package && umask 022 && cpack
	@echo "made build/package/fieldline_$(VERSION)_amd64.deb"

check-package: package
	scripts/require.sh $(CHECK_PACKAGE_NEEDS)
	cmake -S . -B build/test
	cmake --build build/test -j $(JOBS) --target send_close_request
	$(LINUX)/check_package.sh build/package/fieldline_$(VERSION)_amd64.deb build/test/tests/send_close_request

check-classic-sdl:
	scripts/require.sh $(CLASSIC_SDL_NEEDS)
	$(LINUX)/check_classic_sdl.sh

check-wayland:
	scripts/require.sh $(TEST_NEEDS) weston=weston
	cmake -S . -B build/test
	cmake --build build/test -j $(JOBS) --target fieldline send_close_request
	tests/window_test.sh --wayland build/test/fieldline build/test/tests/send_close_request
	tests/environment_faults_test.sh --wayland build/test/fieldline
