# The browser: the same sources built with emscripten's SDL 1.2 into a
# static page, served on loopback, and checked in headless Chromium.
# Included by the Makefile.
#   make web        build the site into build/web/site/ and serve it at http://127.0.0.1:8000/
#   make build-web  build only
#   make check-web  the page in headless Chromium: mouse, finger, keyboard, screens, offline, axe
#   make check-lighthouse  Lighthouse's scores on the served page, mobile and desktop
WEB := platforms/web
WEB_NEEDS := cmake=cmake make=make em++=emscripten node=nodejs npm=npm msgfmt=gettext
# Debian's emscripten runs its JavaScript tools with the system's node,
# whose modules live here.
export NODE_PATH := /usr/share/nodejs

.PHONY: web build-web check-web check-lighthouse

web: build-web
	node $(WEB)/serve.mjs build/web/site 8000

build-web:
	scripts/require.sh $(WEB_NEEDS)
	emcmake cmake -S . -B build/web -DCMAKE_BUILD_TYPE=Release -DFIELDLINE_TESTS=OFF
	cmake --build build/web -j $(JOBS)

check-web: build-web
	scripts/require.sh chromium=chromium
	cd $(WEB) && npm ci --omit=dev --no-audit --no-fund --loglevel=error
	node $(WEB)/browser_test.mjs build/web/site tests/pointer_cases.txt

check-lighthouse: build-web
	scripts/require.sh chromium=chromium
	cd $(WEB) && npm ci --no-audit --no-fund --loglevel=error
	node $(WEB)/lighthouse.mjs build/web/site
