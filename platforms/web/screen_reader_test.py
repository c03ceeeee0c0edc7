#!/usr/bin/python3
"""The page as a screen reader reads it: over AT-SPI, from a real browser
window, with Orca running. Tab reaches the canvas, which must be an
application described by the picture's text (so that readers pass the
arrows through, with no mode to switch); each arrow press, once the start
has settled, is one sentence in the live region naming the new start, and
Orca, in focus mode, says it; S toggles the Sound button's pressed state;
V turns Speak on, and the next sentence reaches speech-dispatcher through
the browser's own speech. Run by screen_reader.sh, which makes the display
and the accessibility bus, starts Orca, whose debug file (ORCA_LOG) says
what it would speak, and a speech-dispatcher for the browsers
(SPEECHD_ADDRESS) that writes what they say to FIELDLINE_SPOKEN.
Usage: screen_reader_test.py URL firefox|chromium
(the system python3, for gi's Atspi bindings)"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

URL, BROWSER = sys.argv[1], sys.argv[2]
PICTURE = "The field line from the pointer"  # the start of the canvas's description
# Each press, then the start the sentence must name: from (0, 0), where the
# line starts before anything is pointed at.
PRESSES = [("Right", "(1, 0)"), ("Right", "(2, 0)"), ("Down", "(2, 1)")]
# More than the page's pause after a key (300 ms) and Chromium's merging of
# quick updates (about 300 ms).
BETWEEN_PRESSES = 1.5

passed = failed = 0


def check(name, problems):
    global passed, failed
    if problems:
        failed += 1
        print(f"FAIL: {BROWSER}: {name}: {'; '.join(problems)}")
    else:
        passed += 1
        print(f"ok: {BROWSER}: {name}")


def pump(seconds):
    """Lets AT-SPI's events arrive for a while."""
    context = GLib.MainContext.default()
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        while context.pending():
            context.iteration(False)
        time.sleep(0.02)


def find(node, wanted, depth=0):
    """The first accessible below node for which wanted(accessible) holds."""
    if node is None or depth > 40:
        return None
    try:
        if wanted(node):
            return node
        for i in range(node.get_child_count()):
            found = find(node.get_child_at_index(i), wanted, depth + 1)
            if found is not None:
                return found
    except GLib.Error:
        pass
    return None


def key(name):
    subprocess.run(["xdotool", "key", "--window", window, name], check=True)


profile = tempfile.mkdtemp(prefix="fieldline-reader-")
if BROWSER == "firefox":
    command = ["firefox-esr", "--no-remote", "--profile", profile, "-width", "1100", "-height", "800", URL]
    with open(os.path.join(profile, "user.js"), "w") as prefs:
        # A first start shows the browser's welcome pages instead of URL.
        prefs.write('user_pref("browser.aboutwelcome.enabled", false);\n'
                    'user_pref("browser.startup.homepage_override.mstone", "ignore");\n'
                    'user_pref("datareporting.policy.dataSubmissionEnabled", false);\n')
    window_class = "firefox"
else:
    # Chromium builds its accessibility tree only when asked to.
    # Chromium speaks through speech-dispatcher only when asked to.
    command = ["chromium", "--force-renderer-accessibility", "--enable-speech-dispatcher", "--no-first-run", "--disable-gpu",
               "--disable-background-networking", "--disable-component-update", "--disable-sync",
               f"--user-data-dir={profile}", "--window-size=1100,800", URL]
    if os.getuid() == 0:
        command.insert(1, "--no-sandbox")
    window_class = "chromium"
browser = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
try:
    said = []
    listener = Atspi.EventListener.new(
        lambda event: said.append(event.any_data) if isinstance(event.any_data, str) and "(" in event.any_data else None)
    listener.register("object:text-changed:insert")
    # What has the focus, as a screen reader learns it.
    focus = [""]

    def focused(event):
        if event.detail1 == 1:
            focus[0] = event.source.get_description() or ""
    focus_listener = Atspi.EventListener.new(focused)
    focus_listener.register("object:state-changed:focused")

    # The page's canvas, once the browser has shown it.
    canvas = None
    deadline = time.monotonic() + 60
    while canvas is None and time.monotonic() < deadline:
        pump(0.5)
        canvas = find(Atspi.get_desktop(0), lambda a: a.get_role_name() == "embedded" and
                      (a.get_description() or "").startswith(PICTURE))
    check("the canvas is in the accessibility tree", [] if canvas else ["not found"])
    if canvas is None:
        raise SystemExit(1)
    window = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--class", window_class],
                            capture_output=True, text=True, check=True).stdout.split()[-1]
    subprocess.run(["xdotool", "windowfocus", "--sync", window], check=False)

    # Tab until the canvas has the focus, as a reader's user does, once the
    # page has loaded: a browser gives a page that finishes loading the focus.
    pump(3)
    focused = False
    for _ in range(60):
        pump(0.3)
        focus[0] = ""
        key("Tab")
        pump(0.3)
        if focus[0].startswith(PICTURE):
            focused = True
            break
    check("Tab reaches the canvas", [] if focused else ["never focused"])
    # Orca takes the focus in, and switches to focus mode, in its own time.
    pump(2)
    # ARIA's application role: "embedded" over AT-SPI in both browsers; the
    # outer one is named.
    outer = canvas.get_parent()
    check("the canvas: an application within the picture's",
          [] if (outer.get_name() or "").startswith(PICTURE) and outer.get_role_name() == "embedded"
          else [f"within {outer.get_role_name()} {outer.get_name()}"])

    said.clear()
    spoken_from = os.path.getsize(os.environ["ORCA_LOG"])
    for press, start in PRESSES:
        key(press)
        pump(BETWEEN_PRESSES)

    sentences = [re.sub(r"\s+", " ", text).strip() for text in said]
    starts = [re.search(r"\(\d+, \d+\)", text).group(0) for text in sentences if re.search(r"\(\d+, \d+\)", text)]
    want = [start for _, start in PRESSES]
    check(f"one sentence a press, naming the start: {' | '.join(sentences)}",
          [] if starts == want else [f"named {starts}, want {want}"])

    sound = find(Atspi.get_desktop(0), lambda a: a.get_name() == "Sound")
    states = []
    for _ in range(2):
        key("s")
        pump(0.8)
        states.append(sound is not None and sound.get_state_set().contains(Atspi.StateType.PRESSED))
    check("S presses the Sound button, then releases it", [] if states == [True, False] else [f"pressed: {states}"])

    # V, a person's key, turns Speak on; the next start's sentence is said.
    spoken_file = os.environ["FIELDLINE_SPOKEN"]
    aloud_from = os.path.getsize(spoken_file) if os.path.exists(spoken_file) else 0
    key("v")
    pump(1)
    key("Right")
    pump(BETWEEN_PRESSES + 1.5)
    heard_aloud = ""
    if os.path.exists(spoken_file):
        with open(spoken_file, encoding="utf-8", errors="replace") as aloud:
            aloud.seek(aloud_from)
            heard_aloud = aloud.read()
    check("Speak: V, then the next sentence is said through speech-dispatcher",
          [] if "Start (3, 1)" in heard_aloud else [f"said: {heard_aloud.strip()[-200:] or 'nothing'}"])

    # What Orca said, once the window has gone: Orca writes its debug file
    # in blocks, and closing the window makes it write a good deal more.
    browser.terminate()
    browser.wait(10)
    pump(2)
    with open(os.environ["ORCA_LOG"], encoding="utf-8", errors="replace") as log:
        log.seek(spoken_from)
        spoken = re.findall(r"SPEECH OUTPUT: '(.*?)'", log.read())
    heard = [start for _, start in PRESSES if any(text.startswith(f"Start {start}") for text in spoken)]
    sentences = [text for text in spoken if text.startswith("Start")]
    check(f"Orca says each sentence: {' | '.join(sentences)}",
          [] if len(heard) == len(PRESSES) else [f"heard {heard}; said: {' | '.join(spoken[-8:])}"])
finally:
    browser.terminate()
    try:
        browser.wait(10)
    except subprocess.TimeoutExpired:
        browser.kill()
    shutil.rmtree(profile, ignore_errors=True)
print(f"{passed} passed, {failed} failed")
sys.exit(1 if failed else 0)
