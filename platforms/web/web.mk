# The browser: the same sources built with emscripten's SDL 1.2 into a
# static page, served on loopback, and checked in the three engines a class
# uses: Chromium, Firefox (firefox-esr) and WebKit (WebKitGTK's MiniBrowser).
# Included by the Makefile.
#   make web        build the site into build/web/site/ and serve it at http://127.0.0.1:8000/
#   make build-web  build only
#   make check-web  the page in Chromium, Firefox and WebKit: mouse, finger, keyboard, widths,
#                   embedded (in a sandboxed frame too), full screen, offline, the description, the
#                   sound and Speak, links at a start, each failure told, under the site's policy;
#                   in Chromium also axe, languages, 125/150 % screens, an update; then the page
#                   as a screen reader reads it, and what the browsers say aloud
#   make check-web-chromium, check-web-firefox, check-web-webkit: one engine
#   make check-screen-reader  the page over AT-SPI in Firefox and Chromium, with Orca
#   make check-lighthouse  Lighthouse's scores on the served page, mobile and desktop
WEB := platforms/web
WEB_NEEDS := cmake=cmake make=make em++=emscripten node=nodejs npm=npm msgfmt=gettext
# Debian's emscripten runs its JavaScript tools with the system's node,
# whose modules live here.
export NODE_PATH := /usr/share/nodejs

.PHONY: web build-web check-web check-web-chromium check-web-firefox check-web-webkit check-screen-reader \
	check-lighthouse

web: build-web
	node $(WEB)/serve.mjs build/web/site 8000

build-web:
	scripts/require.sh $(WEB_NEEDS)
	emcmake cmake -S . -B build/web -DCMAKE_BUILD_TYPE=Release -DFIELDLINE_TESTS=OFF
	cmake --build build/web -j $(JOBS)

# Tamil, Telugu and Devanagari fonts, so that the widest words are measured as drawn.
ENGINE_NEEDS_chromium := chromium=chromium /usr/share/fonts/truetype/noto/NotoSansTamil-Regular.ttf=fonts-noto-core
ENGINE_NEEDS_firefox := firefox-esr=firefox-esr
ENGINE_NEEDS_webkit := WebKitWebDriver=webkit2gtk-driver Xvfb=xvfb xdotool=xdotool
# Every engine runs, and a failure in one is reported after the others.
check-web: build-web
	status=0; for check in web-chromium web-firefox web-webkit screen-reader; do \
	  $(MAKE) --no-print-directory check-$$check || status=1; done; exit $$status

check-web-chromium check-web-firefox check-web-webkit: check-web-%: build-web
	scripts/require.sh $(ENGINE_NEEDS_$*)
	cd $(WEB) && npm ci --omit=dev --no-audit --no-fund --loglevel=error
	node $(WEB)/browser_test.mjs build/web/site tests/pointer_cases.txt $*

# The accessibility bus and its Python bindings, run by the system's python3.
READER_NEEDS := firefox-esr=firefox-esr chromium=chromium Xvfb=xvfb xdotool=xdotool dbus-run-session=dbus-daemon \
	/usr/libexec/at-spi-bus-launcher=at-spi2-core /usr/lib/x86_64-linux-gnu/girepository-1.0/Atspi-2.0.typelib=gir1.2-atspi-2.0 \
	/usr/lib/python3/dist-packages/gi=python3-gi gdbus=libglib2.0-bin orca=orca \
	/usr/lib/speech-dispatcher-modules/sd_dummy=speech-dispatcher
check-screen-reader: build-web
	scripts/require.sh $(READER_NEEDS)
	$(WEB)/screen_reader.sh build/web/site

check-lighthouse: build-web
	scripts/require.sh chromium=chromium
	cd $(WEB) && npm ci --no-audit --no-fund --loglevel=error
	node $(WEB)/lighthouse.mjs build/web/site
