#!/usr/bin/env bash
# The tests on a build against Debian's classic SDL 1.2.15, unpacked under
# build/classic (never installed), and proof that it is the SDL loaded.
# Usage: platforms/linux/check_classic_sdl.sh
set -euo pipefail
cd "$(dirname "$0")/../.."
library_dir=$(platforms/linux/classic_sdl.sh)
# Set for the build too: gtest_discover_tests runs the unit tests to list them.
export LD_LIBRARY_PATH=$library_dir PKG_CONFIG_PATH=$PWD/build/classic/pkgconfig
build=build/classic/test
cmake -S . -B "$build"
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)"

SDL_VIDEODRIVER=dummy "$build/fieldline" &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT
# The libraries are mapped once the program has been exec'd and linked.
loaded=
deadline=$((SECONDS + 30))
while [ -z "$loaded" ] && [ "$SECONDS" -lt "$deadline" ]; do
  sleep 0.1
  loaded=$(grep -o '/[^ ]*libSDL[^ ]*' "/proc/$pid/maps" 2>/dev/null | sort -u) || true
done
kill "$pid"
echo "SDL libraries loaded: $loaded"
if [ "$loaded" != "$library_dir/libSDL-1.2.so.0.11.4" ]; then
  echo "FAIL: the classic SDL 1.2.15 is not the one loaded"
  exit 1
fi

# Every test but the front door's, which builds against whatever pkg-config finds.
cd "$build" && ctest --output-on-failure -j "$(nproc 2>/dev/null || echo 2)" -E front_door
