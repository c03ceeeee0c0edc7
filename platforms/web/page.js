// The page's script, run before fieldline.js: it sizes the picture, turns
// fingers and arrow keys into the mouse motion the program reads, keeps
// emscripten's SDL to the one key the program uses, describes the line in a
// sentence for screen readers (and, on request, in sound and aloud) from the
// program's own tracer, opens at a start the address names and keeps the
// address on the start shown, loads the program itself so that it can say
// in the picture's place why it cannot run, and keeps the site offline
// through its service worker. Every text it says is in the page, in the
// page's language, in data attributes.
'use strict';
var canvas = document.getElementById('canvas');
var failure = document.getElementById('failure');
var ended = document.getElementById('ended');
var said = document.getElementById('said');
var stage = document.getElementById('stage');
var full = document.getElementById('full');
var sound = document.getElementById('sound');
var speak_button = document.getElementById('speak');
var no_voice = document.getElementById('novoice');
var embedded = document.documentElement.classList.contains('embed');
// This script's folder is the site's root, whichever language's page it serves.
var site_root = new URL('./', document.currentScript.src).href;

// SDL reads the canvas back every frame; a context made for that, before
// SDL makes its own, keeps Chromium from warning about it.
canvas.getContext('2d', { willReadFrequently: true });

// emscripten's SDL adds an unload listener that serves only its own main
// loop, which this program does not use; the listener is deprecated and
// keeps the page out of the back/forward cache.
var add_listener = window.addEventListener;
window.addEventListener = function (type) {
  if (type !== 'unload') add_listener.apply(this, arguments);
};

// ---- The picture's size ----------------------------------------------
// Each picture pixel covers the same whole number of device pixels, so that
// none comes out wider than another on a screen scaled by 125 or 150 %. On
// the page the scale follows the stylesheet's layout (1x, 2x, 3x in CSS
// pixels, rounded down to device pixels); in full screen and embedded it is
// the largest that fits, centred on a whole device pixel. Set as custom
// properties on the root: emscripten's SDL clears the canvas's own style,
// and a site's policy may refuse style elements.
var root_style = document.documentElement.style;
function fit() {
  var ratio = window.devicePixelRatio || 1;
  var filling = embedded || document.fullscreenElement === stage;
  var n;
  if (filling) {
    n = Math.floor(Math.min(stage.clientWidth * ratio / canvas.width, stage.clientHeight * ratio / canvas.height));
  } else {
    var css = matchMedia('(min-width: 992px) and (min-height: 600px)').matches ? 3
      : matchMedia('(min-width: 672px) and (min-height: 400px)').matches ? 2 : 1;
    n = Math.floor(css * ratio + 1e-6);
  }
  n = Math.max(1, n);
  root_style.setProperty('--picture-width', canvas.width * n / ratio + 'px');
  root_style.setProperty('--picture-height', canvas.height * n / ratio + 'px');
  root_style.setProperty('--picture-left', Math.floor((stage.clientWidth * ratio - canvas.width * n) / 2) / ratio + 'px');
  root_style.setProperty('--picture-top', Math.floor((stage.clientHeight * ratio - canvas.height * n) / 2) / ratio + 'px');
  canvas.dataset.scale = n;
}
fit();
add_listener.call(window, 'resize', fit);

// ---- Full screen, for a projector ------------------------------------
// The browser takes Escape there to leave it, so the program is not shown
// that Escape, nor its repeats once out (a teacher leaving full screen
// should not end the picture); a fresh Escape held on the page still ends it.
if (document.fullscreenEnabled && !embedded) {
  full.hidden = document.getElementById('projector').hidden = false;
  full.addEventListener('click', function () {
    if (document.fullscreenElement) document.exitFullscreen();
    else stage.requestFullscreen().then(function () { canvas.focus(); }, function () { /* refused: the page stays */ });
  });
  document.addEventListener('fullscreenchange', function () {
    full.textContent = document.fullscreenElement ? full.dataset.leave : full.dataset.enter;
    fit();
  });
}
var escape_down = false;
function withhold_escape(event) {
  if (event.type === 'keyup') {
    var was_down = escape_down;
    escape_down = false;
    return !was_down;
  }
  if (document.fullscreenElement) return true;
  if (event.type === 'keydown' && !event.repeat) escape_down = true;
  return !escape_down;
}

// ---- Pointing --------------------------------------------------------
// Every way of pointing ends as the mouse motion that SDL maps back to
// picture pixel (x, y): a whole CSS pixel inside it, as near its middle as
// there is one, as some browsers pass on only whole positions; otherwise
// its middle. At a scale that is not a whole number of CSS pixels, SDL's
// own reading of a position at a pixel's edge may round either way. SDL
// truncates towards zero: left of or above the picture (a start the
// address names), pixel p is the one from p - 1 to p.
var line_start = { x: 0, y: 0 };
function inside(p, size, edge) {
  var middle = edge + (p < 0 ? p - 0.5 : p + 0.5) * size, whole = Math.round(middle);
  return Math.abs(whole - middle) < size / 2 - 0.05 ? whole : middle;
}
function point_at(x, y) {
  var rect = canvas.getBoundingClientRect();
  var size = rect.width / canvas.width;
  line_start = { x: x, y: y };
  canvas.dispatchEvent(new MouseEvent('mousemove', { clientX: inside(x, size, rect.left),
    clientY: inside(y, size, rect.top), view: window, bubbles: true }));
}
// The picture pixel under a place in the viewport, to 1/64 of a pixel.
function point_at_client(client_x, client_y) {
  var rect = canvas.getBoundingClientRect();
  var under = function (client, edge) { return Math.floor(Math.round((client - edge) / rect.width * canvas.width * 64) / 64); };
  point_at(under(client_x, rect.left), under(client_y, rect.top));
}
// A pointer or a finger resting this long has settled: the line is described.
var RESTING_MS = 500;
// After a key, a shorter pause: a held key's repeats still give one sentence.
var KEY_PAUSE_MS = 300;
['mousemove', 'mousedown', 'mouseup'].forEach(function (type) {
  add_listener.call(window, type, function (event) {
    if (!event.isTrusted || event.target !== canvas) return;
    event.stopPropagation();
    point_at_client(event.clientX, event.clientY);
    settle_after(RESTING_MS);
  }, true);
});

// Fingers: SDL would take a finger's place in the window for its place in
// the page, wrong once the page is scrolled, so it never sees them. The
// first finger on the canvas draws until it lifts; the page neither
// scrolls nor zooms under it.
var finger = null;
function on_touch(event) {
  if (event.target !== canvas) return;
  event.preventDefault();
  event.stopPropagation();
  for (var i = 0; i < event.changedTouches.length; i++) {
    var touch = event.changedTouches[i];
    if (event.type === 'touchstart' && finger === null) finger = touch.identifier;
    if (touch.identifier !== finger) continue;
    if (event.type === 'touchend' || event.type === 'touchcancel') finger = null;
    else {
      // A finger's place is fractional: the line starts at the picture
      // pixel under it, as under the pointer.
      point_at_client(touch.clientX, touch.clientY);
      settle_after(RESTING_MS);
    }
  }
}
['touchstart', 'touchmove', 'touchend', 'touchcancel'].forEach(function (type) {
  add_listener.call(window, type, on_touch, { capture: true, passive: false });
});

// ---- Keys ------------------------------------------------------------
// With the canvas focused: the arrows move the line's start (Shift: ten
// pixels); 1, 2 and 3 put it beside a source, ten pixels to its right;
// Enter says the description again; S turns the sound on or off, V the
// speech. Digits, S and V are read by where the key is, not what it types,
// so that they work with every layout (AZERTY's digits need Shift;
// Cyrillic's S types ы).
// None of them is a screen reader's own once the canvas, an application,
// has taken it into focus mode, nor a browser's. SDL is shown Escape alone,
// the one key the program reads: it would otherwise keep every key from
// the browser, Tab and reload included.
var STEPS = { ArrowLeft: [-1, 0], ArrowRight: [1, 0], ArrowUp: [0, -1], ArrowDown: [0, 1] };
var BESIDE_SOURCE = 10;
function on_key(event) {
  if (event.key === 'Escape' && !withhold_escape(event)) return;
  event.stopPropagation();
  if (event.type !== 'keydown' || event.target !== canvas || event.ctrlKey || event.altKey || event.metaKey) return;
  var step = STEPS[event.key];
  if (step) {
    var n = event.shiftKey ? 10 : 1;
    point_at(Math.min(canvas.width - 1, Math.max(0, line_start.x + step[0] * n)),
             Math.min(canvas.height - 1, Math.max(0, line_start.y + step[1] * n)));
    settle_after(KEY_PAUSE_MS);
  } else if (/^(Digit|Numpad)[123]$/.test(event.code) && program) {
    var source = program.source(Number(event.code.slice(-1)) - 1);
    point_at(source.x + BESIDE_SOURCE, source.y);
    settle_after(KEY_PAUSE_MS);
  } else if (event.key === 'Enter') {
    describe_start(true);
  } else if (event.code === 'KeyS') {
    set_sound(!sound_on);
    wake_audio();
  } else if (event.code === 'KeyV') {
    if (!speak_button.disabled) set_speech(!speech_on);
  } else return;
  event.preventDefault();
}
['keydown', 'keyup', 'keypress'].forEach(function (type) { add_listener.call(window, type, on_key, true); });

// ---- The description -------------------------------------------------
// Once the start has settled, one sentence in the live region: where the
// line from it goes, as the program's tracer walks it (describe_line in
// describe.cpp). A start that moves again before it settles is not
// described, and a start described already is not said again unless asked.
var program = null; // the exported tracer, once the runtime is up
var settle_timer = 0;
var last_said = '';
var said_again = false;
function settle_after(ms) {
  clearTimeout(settle_timer);
  settle_timer = setTimeout(describe_start, ms);
}
var HEADINGS = ['right', 'upright', 'up', 'upleft', 'left', 'downleft', 'down', 'downright'];
// "(x, y)" in picture pixels, with a true minus sign; on a right-to-left
// page each pair is isolated, left to right, so that it is not read "(y ,x)".
var rtl = document.documentElement.dir === 'rtl';
function number(v) { return String(Math.trunc(v)).replace('-', '\u2212'); }
function sentence(d, x, y) {
  var texts = said.dataset;
  var text = d.heading < 0 ? texts.onsource : d.source >= 0 ? texts.reaches
    : d.end_x >= 0 && d.end_x < canvas.width && d.end_y >= 0 && d.end_y < canvas.height ? texts.stops : texts.outside;
  var values = { x: x, y: y, sx: d.source_x, sy: d.source_y, ex: d.end_x, ey: d.end_y };
  if (rtl) text = text.replace(/\(\{[a-z]+\}, \{[a-z]+\}\)/g, '\u2066$&\u2069');
  return text.replace(/\{([a-z]+)\}/g, function (whole, name) {
    return name === 'heading' ? texts[HEADINGS[d.heading]] : number(values[name]);
  });
}
function describe_start(again) {
  // Keys pressed while the page still loads are described once it can.
  if (!program) {
    settle_after(KEY_PAUSE_MS);
    return;
  }
  var d = program.describe(line_start.x, line_start.y);
  var text = sentence(d, line_start.x, line_start.y);
  if (text === last_said && !again) return;
  last_said = text;
  // The same words again are a change only with something told apart: a
  // no-break space, every other time.
  said_again = text === said.textContent.trim() ? !said_again : false;
  said.textContent = said_again ? text + '\u00a0' : text;
  play(d);
  speak(text);
  follow_in_address(line_start);
}

// ---- Sound, on request -----------------------------------------------
// Off until a person turns it on, and remembered on this device as the
// language is. Each described start plays a short tone whose pitch rises
// with the logarithm of the field's strength there (two octaves up from
// middle C, from the weakest field in the picture to a pixel from a
// source), then a second short cue for where the line goes. No audio
// context is made before the sound is on and the page has been touched.
var sound_on = false;
var audio = null;
var playing = [];
var LOW_PITCH = 261.63, OCTAVES = 2, WEAKEST = -7, STRONGEST = 0; // log10 of the strength
var CUES = [null, { type: 'triangle', pitch: 880 }, { type: 'triangle', pitch: 587.33 }];
var NO_SOURCE_CUE = { type: 'square', pitch: 110 };
function set_sound(on) {
  sound_on = on;
  sound.setAttribute('aria-pressed', String(on));
  try { localStorage.setItem('fieldline-sound', on ? 'on' : 'off'); } catch (e) { /* storage off */ }
}
// Browsers start audio only from a person's gesture: the click that turns
// the sound on, or, when it was left on, the first key or touch here.
function wake_audio() {
  if (!sound_on) return;
  audio = audio || new AudioContext();
  if (audio.state === 'suspended') audio.resume();
}
function tone(at, cue, seconds, loudness) {
  var oscillator = audio.createOscillator(), gain = audio.createGain();
  oscillator.type = cue.type;
  oscillator.frequency.value = cue.pitch;
  // Soft edges: no click at either end.
  gain.gain.setValueAtTime(0, at);
  gain.gain.linearRampToValueAtTime(loudness, at + 0.01);
  gain.gain.linearRampToValueAtTime(0, at + seconds);
  oscillator.connect(gain).connect(audio.destination);
  oscillator.start(at);
  oscillator.stop(at + seconds);
  playing.push(oscillator);
}
function play(d) {
  if (!sound_on || !audio) return;
  // A new start cuts the last one short: sounds never pile up.
  playing.forEach(function (oscillator) { try { oscillator.stop(); } catch (e) { /* ended */ } });
  playing = [];
  var now = audio.currentTime;
  if (d.heading >= 0) {
    var level = Math.min(1, Math.max(0, (Math.log10(d.strength) - WEAKEST) / (STRONGEST - WEAKEST)));
    tone(now, { type: 'sine', pitch: LOW_PITCH * Math.pow(2, OCTAVES * level) }, 0.12, 0.15);
  }
  tone(now + 0.15, d.source >= 0 ? CUES[d.source] : NO_SOURCE_CUE, 0.12, 0.08);
}
sound.hidden = typeof AudioContext === 'undefined';
try { set_sound(localStorage.getItem('fieldline-sound') === 'on'); } catch (e) { /* storage off */ }
sound.addEventListener('click', function () { set_sound(!sound_on); wake_audio(); });
['keydown', 'touchstart', 'mousedown'].forEach(function (type) { add_listener.call(window, type, wake_audio, true); });

// ---- Speech, on request -----------------------------------------------
// The same sentence aloud, with the device's own voice for the page's
// language, for a class or a reader with no screen reader (whose reader
// already says it). Off until a person turns it on, remembered on this
// device. Only a voice of the page's language will do, its whole tag first,
// then its base language: never Persian read by an English voice. Where
// there is none, the button stays disabled and says why. A new sentence
// cuts off the last, so that nothing queues up behind held keys.
var speech = window.speechSynthesis;
var speech_on = false;
var voice = null;
var page_language = document.documentElement.lang.toLowerCase();
function choose_voice() {
  var voices = speech ? speech.getVoices() : [];
  var tag = function (v) { return String(v.lang).replace(/_/g, '-').toLowerCase(); };
  voice = voices.filter(function (v) { return tag(v) === page_language; })[0] ||
    voices.filter(function (v) { return tag(v).split('-')[0] === page_language.split('-')[0]; })[0] || null;
  speak_button.disabled = !voice;
  no_voice.hidden = Boolean(voice);
  if (voice) speak_button.removeAttribute('aria-describedby');
  else speak_button.setAttribute('aria-describedby', 'novoice');
  speak_button.setAttribute('aria-pressed', String(speech_on && Boolean(voice)));
}
function set_speech(on) {
  speech_on = on;
  try { localStorage.setItem('fieldline-speak', on ? 'on' : 'off'); } catch (e) { /* storage off */ }
  choose_voice();
  // Turned on by a person's click or key: the browser lets it speak from
  // then on, and it says at once what the line does.
  if (on) speak(last_said);
  else if (speech) speech.cancel();
}
function speak(text) {
  // Browsers speak only once a person has used the page.
  if (!speech_on || !voice || !text || navigator.userActivation && !navigator.userActivation.hasBeenActive) return;
  speech.cancel();
  var utterance = new SpeechSynthesisUtterance(text);
  utterance.lang = document.documentElement.lang;
  utterance.voice = voice;
  speech.speak(utterance);
}
try { speech_on = localStorage.getItem('fieldline-speak') === 'on'; } catch (e) { /* storage off */ }
choose_voice();
// Voices may arrive after the page (Chromium lists none at first).
if (speech) speech.addEventListener('voiceschanged', choose_voice);
speak_button.addEventListener('click', function () { set_speech(!speech_on); });

// ---- The address ------------------------------------------------------
// ?start=X,Y, in picture pixels, opens the page with the line from there
// drawn and described; as the start settles, the address follows it, so
// that a copied or shared link shows the same line. Anything else in
// ?start= is set aside with a warning, and the page opens as usual.
var START_LIMITS = { x: [-1000, 1320], y: [-1000, 1200] };
function start_in_address() {
  var asked = new URLSearchParams(location.search).get('start');
  if (asked === null) return null;
  var match = /^(-?\d{1,5}),(-?\d{1,5})$/.exec(asked);
  var start = match && { x: Number(match[1]), y: Number(match[2]) };
  if (!start || start.x < START_LIMITS.x[0] || start.x > START_LIMITS.x[1] ||
      start.y < START_LIMITS.y[0] || start.y > START_LIMITS.y[1]) {
    console.warn('fieldline: ?start=' + asked + ' set aside: it takes two whole numbers X,Y in picture pixels, X from ' +
      START_LIMITS.x.join(' to ') + ', Y from ' + START_LIMITS.y.join(' to '));
    return null;
  }
  return start;
}
// The rest of the address without its start, as "a&b", or "".
function address_without_start() {
  return location.search.slice(1).split('&').filter(function (part) { return part && !/^start(=|$)/.test(part); }).join('&');
}
function follow_in_address(start) {
  var rest = address_without_start();
  // No new history entries: Back leaves the page, as before.
  try {
    history.replaceState(history.state, '', '?' + (rest ? rest + '&' : '') + 'start=' + start.x + ',' + start.y + location.hash);
  } catch (e) { /* a sandboxed frame may not */ }
}
var asked_start = start_in_address();

// ---- When it cannot run ----------------------------------------------
// One message in the picture's place, in the page's language, said at once
// to screen readers (an alert); the first failure is the one told.
function fail(kind, values) {
  if (failure.textContent) return;
  failure.textContent = failure.dataset[kind].replace(/\{([a-z]+)\}/g, function (whole, name) { return values[name]; });
  document.documentElement.classList.add('failed');
}
// No WebAssembly at all (an old browser, an iPad in Lockdown Mode, a
// policy that turns off the browser's JIT), or a site's policy that lets
// none run: the smallest module, valid by construction, is refused by
// nothing else. (Safari compiles it, and refuses only the instance.)
var SMALLEST_MODULE = new Uint8Array([0, 97, 115, 109, 1, 0, 0, 0]);
var can_compile = typeof WebAssembly === 'object';
if (!can_compile) fail('nowasm');
else {
  try {
    new WebAssembly.Instance(new WebAssembly.Module(SMALLEST_MODULE));
  } catch (e) {
    can_compile = false;
    fail('policy');
  }
}
// The program's file is fetched here rather than by fieldline.js, so that
// a failure is told by what it is: no connection, a sandboxed frame the
// site does not share its files with, an HTTP error, or something else
// served in its place. A server that sends the right bytes under another
// type still has them run.
var PROGRAM_FILE = 'fieldline.wasm';
function load_program(imports, receive) {
  if (!can_compile) return {};
  fetch(site_root + PROGRAM_FILE, { credentials: 'same-origin' }).then(function (response) {
    if (!response.ok) return fail('missing', { file: PROGRAM_FILE, status: response.status });
    var type = (response.headers.get('Content-Type') || '').split(';')[0].trim().toLowerCase();
    var made = type === 'application/wasm' && WebAssembly.instantiateStreaming ? WebAssembly.instantiateStreaming(response, imports)
      : response.arrayBuffer().then(function (bytes) { return WebAssembly.instantiate(bytes, imports); });
    return made.then(function (made) { receive(made.instance, made.module); }, function () {
      fail(type === 'application/wasm' ? 'stopped' : 'wrongtype', { file: PROGRAM_FILE, type: type || '?' });
    });
  }, function () {
    // A sandboxed frame's origin is opaque ("null"): its fetch of the
    // site's own file is cross-origin, refused unless the site allows it.
    fail(self.origin === 'null' && navigator.onLine !== false ? 'sandboxed' : 'offline');
  }).catch(function () { fail('stopped'); });
  return {};
}

// ---- The program -----------------------------------------------------
function program_ended(status) {
  if (status === 0) ended.textContent = ended.dataset.text;
  // A start-up failure has printed its own line; any other end is not one
  // the program chose.
  else if (!ended.textContent) fail('stopped');
}
function program_threw(error) {
  if (error && error.name === 'ExitStatus') program_ended(error.status);
  else fail('stopped');
}
var Module = {
  canvas: canvas,
  // The program's one line of standard output is a start-up failure.
  print: function (text) { if (text !== 'SDL_Quit called (and ignored)') ended.textContent = text; },
  instantiateWasm: load_program,
  // Out of memory, or the runtime's own assertion.
  onAbort: function () { fail('stopped'); },
  // main() is started here rather than by fieldline.js, so that the page
  // learns when it returns: its frame loop awaits each animation frame, so
  // main() finishes long after the call, when Escape is held, or throws
  // when a frame fails. A start-up failure exits at once, by throwing.
  onRuntimeInitialized: function () {
    program = exported_tracer();
    try {
      Module.ccall('main', 'number', ['number', 'number'], [0, 0], { async: true }).then(program_ended, program_threw);
    } catch (error) {
      program_threw(error);
    }
    // The start the address names, once the program reads the pointer.
    if (asked_start) {
      point_at(asked_start.x, asked_start.y);
      describe_start();
    }
  },
};
// A trap in a frame that reached no handler of the program's.
['error', 'unhandledrejection'].forEach(function (type) {
  add_listener.call(window, type, function (event) {
    if (program && (event.error || event.reason) instanceof WebAssembly.RuntimeError) fail('stopped');
  });
});
// describe.cpp's two functions, each answering in a row of doubles.
function exported_tracer() {
  var row = function (address, length) { return Array.from(Module.HEAPF64.subarray(address / 8, address / 8 + length)); };
  return {
    describe: function (x, y) {
      var r = row(Module._describe_line(x, y), 6);
      return { source: r[0], steps: r[1], end_x: r[2], end_y: r[3], heading: r[4], strength: r[5],
               source_x: r[0] >= 0 ? program.source(r[0]).x : NaN, source_y: r[0] >= 0 ? program.source(r[0]).y : NaN };
    },
    source: function (i) {
      var r = row(Module._source_position(i), 2);
      return { x: r[0], y: r[1] };
    },
  };
}

// ---- Languages -------------------------------------------------------
// A language chosen here is remembered on this device, for the site's root.
// Search engines learn the other languages' pages from absolute links.
var chooser = document.querySelectorAll('nav a[hreflang]');
function alternate(hreflang, href) {
  var link = document.createElement('link');
  link.rel = 'alternate';
  link.hreflang = hreflang;
  link.href = href;
  document.head.appendChild(link);
}
for (var i = 0; i < chooser.length; i++) {
  alternate(chooser[i].hreflang, chooser[i].href);
  chooser[i].addEventListener('click', function () {
    try { localStorage.setItem('fieldline-language', this.hreflang); } catch (e) { /* storage off */ }
    // The line shown goes along to the other language.
    var start = new URLSearchParams(location.search).get('start');
    if (start) this.href += (this.href.indexOf('?') < 0 ? '?' : '&') + 'start=' + start;
  });
}
alternate('x-default', site_root);

// ---- Offline and updates ---------------------------------------------
// The worker copies the whole site: not while the page itself loads. A new
// build's worker takes over at once (sw.js); a page it takes over before
// the program has started may hold files of both builds, so it loads again,
// whole from the new one. Once running, the page asks for nothing more. A
// sandboxed frame may have no worker: it runs online only.
try {
  var had_worker = Boolean(navigator.serviceWorker.controller);
  navigator.serviceWorker.addEventListener('controllerchange', function () {
    if (had_worker && !program) location.reload();
  });
  add_listener.call(window, 'load', function () {
    navigator.serviceWorker.register(site_root + 'sw.js').catch(function () { /* not here */ });
  });
} catch (e) { /* no service worker here */ }
