#!/usr/bin/env bash
# The page read over AT-SPI with Orca running, in Firefox ESR and Chromium:
# a display of its own (the browsers build their accessibility trees only
# in a real window), a session bus with the accessibility bus started and
# switched on, the site served on loopback, Orca speaking to
# speech-dispatcher's dummy module (its debug file says what it would say),
# the browsers' own speech (the page's Speak) to a speech-dispatcher of
# their own whose one voice writes what it is given to a file, then
# screen_reader_test.py in each browser.
# Usage: platforms/web/screen_reader.sh SITE_DIR
set -euo pipefail
site=$1
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${FIELDLINE_IN_SESSION:-}" ]; then
  exec env FIELDLINE_IN_SESSION=1 dbus-run-session -- "$0" "$@"
fi
work=$(mktemp -d)
Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1280x1024x24 3>"$work/display" 2>/dev/null &
xvfb=$!
node "$here/serve.mjs" "$site" 0 >"$work/server" &
server=$!
/usr/libexec/at-spi-bus-launcher --launch-immediately &
bus=$!
trap 'kill $xvfb $server $bus 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 100); do
  [ -s "$work/display" ] && grep -q http "$work/server" && break
  sleep 0.1
done
export DISPLAY=:$(cat "$work/display")
url=$(grep -o 'http://[^ ]*' "$work/server")
# What a screen reader sets when it starts: applications expose their trees.
for _ in $(seq 50); do
  gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus --method org.freedesktop.DBus.Properties.Set \
    org.a11y.Status IsEnabled '<true>' >/dev/null 2>&1 && break
  sleep 0.1
done
# Orca with its own, default, settings; it opens no window of its own.
mkdir -p "$work/orca"
export ORCA_LOG=$work/orca.log
orca --replace --user-prefs "$work/orca" --debug-file "$ORCA_LOG" >/dev/null 2>&1 &
orca=$!
trap 'kill $orca $xvfb $server $bus 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 100); do grep -q "SPEECH OUTPUT" "$ORCA_LOG" 2>/dev/null && break; sleep 0.1; done
# The browsers' speech, apart from Orca's: an English voice that appends
# each text to a file. There is no sound card: ALSA's default discards.
mkdir -p "$work/speech/modules"
printf '%s\n' 'AddModule "recorder" "sd_generic" "recorder.conf"' 'DefaultModule recorder' 'AudioOutputMethod "alsa"' \
  >"$work/speech/speechd.conf"
printf '%s\n' "GenericExecuteSynth \"printf '%s\\\\n' \\'\$DATA\\' >> $work/spoken\"" 'AddVoice "en" "FEMALE1" "recorder"' \
  >"$work/speech/modules/recorder.conf"
printf 'pcm.!default { type null }\n' >"$work/.asoundrc"
HOME=$work speech-dispatcher --run-single --timeout 0 --config-dir "$work/speech" --socket-path "$work/speech.sock" \
  --module-dir /usr/lib/speech-dispatcher-modules --log-dir "$work" >/dev/null 2>&1 &
speechd=$!
trap 'kill $speechd $orca $xvfb $server $bus 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 100); do [ -S "$work/speech.sock" ] && break; sleep 0.1; done
export SPEECHD_ADDRESS=unix_socket:$work/speech.sock FIELDLINE_SPOKEN=$work/spoken
status=0
for browser in ${BROWSERS:-firefox chromium}; do
  /usr/bin/python3 "$here/screen_reader_test.py" "$url" "$browser" || status=1
done
exit $status
