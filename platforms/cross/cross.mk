# Other Debian architectures, cross-built here and run under qemu-user
# against an extracted sysroot: the unit tests, the window test (pictures
# compared with the native build's) and the package. Included by the Makefile.
#   make check-cross ARCH=A  the check for Debian architecture A
#   make check-arm64         64-bit ARM: current Raspberry Pis, ARM laptops and servers
#   make check-armhf         32-bit ARM: older Raspberry Pis and the 32-bit image
#   make check-big-endian    s390x, the big-endian one, on the classic SDL
CROSS := platforms/cross

.PHONY: check-cross check-arm64 check-armhf check-big-endian

check-cross:
	scripts/require.sh $(TEST_NEEDS)
	cmake -S . -B build/test
	cmake --build build/test -j $(JOBS) --target fieldline send_close_request
	$(CROSS)/check.sh $(ARCH) build/test/fieldline build/test/tests/send_close_request

check-arm64 check-armhf:
	$(MAKE) --no-print-directory check-cross ARCH=$(@:check-%=%)

check-big-endian:
	$(MAKE) --no-print-directory check-cross ARCH=s390x
