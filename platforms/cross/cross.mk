# Other Debian architectures, cross-built here and run under qemu-user
# against an extracted sysroot. Included by the Makefile.
#   make check-cross ARCH=A  A's check (a Debian architecture)
#   make check-big-endian    the same for s390x
CROSS := platforms/cross

.PHONY: check-cross check-big-endian

check-cross:
	$(CROSS)/check.sh $(ARCH)

check-big-endian:
	$(CROSS)/check.sh s390x
