# The browser: the same sources built with emscripten's SDL 1.2 into a
# static page, served on loopback, and checked in headless Chromium.
# Included by the Makefile.
#   make web        build into build/web/ and serve it at http://127.0.0.1:8000/
#   make build-web  build only
#   make check-web  the browser version in headless Chromium
WEB := platforms/web
WEB_NEEDS := cmake=cmake make=make em++=emscripten node=nodejs npm=npm
# Debian's emscripten runs its JavaScript tools with the system's node,
# whose modules live here.
export NODE_PATH := /usr/share/nodejs

.PHONY: web build-web check-web

web: build-web
	node $(WEB)/serve.mjs build/web 8000

build-web:
	scripts/require.sh $(WEB_NEEDS)
	emcmake cmake -S . -B build/web -DCMAKE_BUILD_TYPE=Release -DFIELDLINE_TESTS=OFF
	cmake --build build/web -j $(JOBS)

check-web: build-web
	scripts/require.sh chromium=chromium
	cd $(WEB) && npm ci --no-audit --no-fund --loglevel=error
	node $(WEB)/browser_test.mjs build/web tests/pointer_cases.txt
