# Windows (x86-64): the zip and the installer, cross-built with MinGW-w64
# against SDL 1.2.15 built from Debian's source, and their check under Wine.
# Included by the Makefile.
#   make windows        build/windows/fieldline-VERSION-windows-x86_64.zip and .msi
#   make check-windows  the zip's program, then the installer's, under Wine, window test included
WINDOWS := platforms/windows
WINDOWS_NEEDS := cmake=cmake make=make pkg-config=pkg-config x86_64-w64-mingw32-g++=g++-mingw-w64-x86-64 \
	dpkg-source=dpkg-dev zip=zip convert=imagemagick wixl=wixl msibuild=msitools faketime=faketime
CHECK_WINDOWS_NEEDS := $(TEST_NEEDS) wine=wine wine64=wine64 unzip=unzip wrestool=icoutils msiinfo=msitools
WINDOWS_ZIP := build/windows/fieldline-$(VERSION)-windows-x86_64.zip
WINDOWS_MSI := $(WINDOWS_ZIP:.zip=.msi)

.PHONY: windows check-windows

# SDL 1.2 is cross-built from Debian's source once; the zip holds the
# program and SDL.dll, both stripped, a README, the licence and SDL's
# licence texts. Its entries are sorted, dated SOURCE_DATE_EPOCH in UTC and
# of normal modes, and strip stamps the PE headers with the same date, so
# that the same sources make the same zip.
windows:
	scripts/require.sh $(WINDOWS_NEEDS)
	$(WINDOWS)/build_sdl.sh
	PKG_CONFIG_LIBDIR=$(CURDIR)/build/windows/sdl/lib/pkgconfig cmake -S . -B build/windows/app \
	  -DCMAKE_TOOLCHAIN_FILE=$(WINDOWS)/toolchain.cmake -DCMAKE_BUILD_TYPE=Release -DFIELDLINE_TESTS=OFF
	cmake --build build/windows/app -j $(JOBS)
	rm -rf build/windows/fieldline build/windows/fieldline-*windows-x86_64.* && mkdir build/windows/fieldline
	x86_64-w64-mingw32-strip -o build/windows/fieldline/fieldline.exe build/windows/app/fieldline.exe
	x86_64-w64-mingw32-strip -o build/windows/fieldline/SDL.dll build/windows/sdl/bin/SDL.dll
	cp build/windows/sdl/README-SDL.txt build/windows/sdl/COPYING-SDL.txt build/windows/fieldline/
	sed 's/$$/\r/' $(WINDOWS)/README.txt >build/windows/fieldline/README.txt
	sed 's/$$/\r/' LICENSE >build/windows/fieldline/LICENSE.txt
	cd build/windows && chmod -R u=rwX,go=rX fieldline && touch -d @$(SOURCE_DATE_EPOCH) fieldline fieldline/* && \
	  find fieldline | LC_ALL=C sort | TZ=UTC zip -q -X $(notdir $(WINDOWS_ZIP)) -@
	$(WINDOWS)/msi.sh build/windows/fieldline $(VERSION) build/windows/app/fieldline.ico $(WINDOWS_MSI)
	@echo "made $(WINDOWS_ZIP) and $(WINDOWS_MSI)"

check-windows: windows
	scripts/require.sh $(CHECK_WINDOWS_NEEDS)
	cmake -S . -B build/test
	cmake --build build/test -j $(JOBS) --target send_close_request
	$(WINDOWS)/msi.sh build/windows/fieldline 0.0.1 build/windows/app/fieldline.ico build/windows/fieldline-0.0.1-older.msi
	VERSION=$(VERSION) $(WINDOWS)/check.sh $(WINDOWS_ZIP) build/test/tests/send_close_request
	VERSION=$(VERSION) $(WINDOWS)/check_msi.sh $(WINDOWS_MSI) build/windows/fieldline-0.0.1-older.msi build/test/tests/send_close_request
