// The browser build in a browser engine. In each of Chromium, Firefox and
// WebKit (engines.mjs): the window test's pointer table on the page's canvas
// by mouse at 1x, 2x and 3x, by finger on a scrolled phone at 1x and on a
// tablet at 2x; the keyboard; widths from a small phone up, in iframes; the
// picture alone in iframes of a course page's sizes, and in a sandboxed
// frame of another origin; full screen on a projector; running again from
// the service worker with the server gone; Speak; links that open at a
// start; held Escape; a clean console; then each way the page can fail,
// told in the picture's place. In Chromium alone, what only its protocol
// reaches: the server's refusals, installability, axe, every language,
// screens scaled by 125 and 150 % (a screenshot's device pixels), the figures.
// Usage: node platforms/web/browser_test.mjs SITE_DIR POINTER_CASES_FILE [chromium|firefox|webkit]
// (VERBOSE=1 prints each check that passes too.)
import { cpSync, readFileSync, readdirSync, existsSync, mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { connect } from 'node:net';
import { join } from 'node:path';
import { chromium } from 'playwright-core';
import { chromiumEngine, chromiumTab, firefoxEngine, webkitEngine } from './engines.mjs';
import { policy, serve } from './serve.mjs';

const [folder, casesFile, engineName = 'chromium'] = process.argv.slice(2);
const MARKERS = ['240,100', '240,66', '80,100'];
const ROWS = readFileSync(casesFile, 'utf8').split('\n').filter((l) => l && !l.startsWith('#'))
  .map((row) => row.split('|')).map(([name, pointer, yellow, count, place]) =>
    ({ name, at: pointer.split(' ').map(Number), yellow: yellow.split(' ').filter(Boolean), count, place }));
const RIGHT_TO_LEFT = ['ar', 'fa', 'he', 'ur'];
// axe-core's source, evaluated in a page: the site's policy refuses a script element.
const AXE = readFileSync(createRequire(import.meta.url).resolve('axe-core/axe.min.js'), 'utf8');
// Every language's page: English at the root, each other in a folder named by its tag.
const LANGUAGES = ['', ...readdirSync(folder, { withFileTypes: true })
  .filter((entry) => entry.isDirectory() && existsSync(join(folder, entry.name, 'index.html'))).map((entry) => `${entry.name}/`)];

let passed = 0;
let failed = 0;
function check(name, problems) {
  if (problems.length === 0) { passed++; if (process.env.VERBOSE) console.log(`ok: ${name}`); }
  else {
    failed++;
    console.log(`FAIL: ${name}: ${problems.slice(0, 5).join('; ')}`);
  }
}

// The course page that frames fieldline, on the site's origin, as the test
// reaches into its frame.
const server = await serve(folder, 0, {
  '/course.html': '<!doctype html><html lang="en"><title>A course</title><link rel="icon" href="icons/48.png"><body></body></html>',
});
const url = `http://127.0.0.1:${server.address().port}/`;
// The network cut, for every engine alike: the server hangs up on anyone.
let offline = false;
server.on('connection', (socket) => offline && socket.destroy());

// A request as bytes, untouched by any client's tidying; its status, or
// what became of the connection.
const rawRequest = (method, path) => new Promise((resolve) => {
  let reply = '';
  connect(server.address().port, '127.0.0.1')
    .on('data', (data) => { reply += data; })
    .on('close', () => resolve(reply.split(' ')[1] ?? 'no answer'))
    .on('error', (error) => resolve(error.code))
    .write(`${method} ${path} HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n`);
});
// name | method | path | status; the site's folder is build/web/site, and
// build/web/CMakeCache.txt sits beside it, for a '..' to find.
for (const [name, method, path, want] of engineName !== 'chromium' ? [] : [
  ['a malformed percent-encoding', 'GET', '/%E0%A4%A', '400'],
  ['a NUL', 'GET', '/index.html\0', '400'],
  ['an encoded NUL', 'GET', '/index.html%00', '404'],
  ...['/../', '/%2e%2e/', '/%2E%2E/', '/.%2e/', '/..%2f', '/%2e%2e%2f', '/..%5c', '/%252e%252e/', '/sw.js/../../']
    .map((up) => [`'..' as ${up}`, 'GET', `${up}CMakeCache.txt`, '404']),
  ['a path of 20,000 characters', 'GET', `/${'a'.repeat(20000)}`, '400'],
  ['POST', 'POST', '/', '405'],
  ['DELETE', 'DELETE', '/index.html', '405'],
]) {
  const [got, after] = [await rawRequest(method, path), await rawRequest('GET', '/')];
  check(`server: ${name}`, got === want && after === '200' ? [] : [`answered ${got}, want ${want}; then ${after}`]);
}
// The headers a school's host is asked to send, on every answer.
for (const path of engineName === 'chromium' ? ['', 'page.js', 'no-such-file'] : []) {
  const headers = (await fetch(url + path)).headers;
  const problems = Object.entries({
    'content-security-policy': policy(url.slice(0, -1)),
    'x-content-type-options': 'nosniff',
    'referrer-policy': 'no-referrer',
    'access-control-allow-origin': '*',
    'cross-origin-resource-policy': 'cross-origin',
  }).filter(([name, value]) => headers.get(name) !== value).map(([name]) => `${name}: ${headers.get(name)}`);
  check(`server: /${path} sent with the policy, nosniff, no referrer, for any page to use`, problems);
}
const launch = {
  executablePath: ['/usr/lib/chromium/chromium', '/usr/bin/chromium'].find(existsSync),
  args: [
    ...(process.getuid?.() === 0 ? ['--no-sandbox'] : []),
    '--disable-gpu', '--no-first-run', '--disable-background-networking',
    '--disable-component-update', '--disable-sync',
    // Nothing but the loopback server is ever looked up.
    '--host-resolver-rules=MAP * ~NOTFOUND, EXCLUDE 127.0.0.1',
  ],
};
// FRAME, where the canvas is: none (the page itself), the selector of an
// iframe of the same origin, or SANDBOXED, the page's one iframe, of an
// opaque origin, reached through the engine.
const SANDBOXED = 'sandboxed';
const inPage = (tab, fn, frame) => (frame === SANDBOXED ? tab.evaluateInFrame(fn, null) : tab.evaluate(fn, frame ?? null));
// "x,y" -> [red, green, blue, alpha] of every pixel that is not opaque black.
const picture = (tab, frame) => inPage(tab, (frame) => {
  const doc = frame ? document.querySelector(frame).contentDocument : document;
  const data = doc.querySelector('canvas').getContext('2d').getImageData(0, 0, 320, 200).data;
  const lit = {};
  // (A picture not yet drawn has 64,000: a few hundred tell as much.)
  for (let i = 0, n = 0; i < data.length && n < 300; i += 4)
    if (data[i] || data[i + 1] || data[i + 2] || data[i + 3] !== 255) {
      lit[`${(i / 4) % 320},${Math.floor(i / 4 / 320)}`] = Array.from(data.slice(i, i + 4));
      n++;
    }
  return lit;
}, frame);
function problemsWith(lit, row) {
  const problems = [];
  const colour = (p) => (lit[p] ?? [0, 0, 0, 255]).join(',');
  for (const [p, rgba] of Object.entries(lit)) {
    const c = rgba.join(',');
    if (c === '255,255,255,255' ? !MARKERS.includes(p) : c !== '255,255,0,255') problems.push(`stray ${c} at ${p}`);
  }
  const count = Object.keys(lit).length;
  if (count > 203 || (row.count && count !== Number(row.count))) problems.push(`${count} lit pixels`);
  for (const p of MARKERS) if (colour(p) !== '255,255,255,255') problems.push(`no marker at ${p}`);
  for (const p of row.yellow) if (colour(p) !== '255,255,0,255') problems.push(`not yellow: ${p}`);
  return problems;
}
// The canvas's box in the viewport, through its iframe if it is in one.
async function canvasBox(tab, frame) {
  if (frame === SANDBOXED) {
    const [x, y] = await tab.evaluate(() => {
      const element = document.querySelector('iframe');
      const box = element.getBoundingClientRect();
      return [box.x + element.clientLeft, box.y + element.clientTop];
    });
    const box = await canvasBox({ evaluate: tab.evaluateInFrame });
    return { ...box, x: x + box.x, y: y + box.y };
  }
  return tab.evaluate((frame) => {
    let [x, y, doc] = [0, 0, document];
    if (frame) {
      const element = document.querySelector(frame);
      const box = element.getBoundingClientRect();
      [x, y, doc] = [box.x + element.clientLeft, box.y + element.clientTop, element.contentDocument];
    }
    const box = doc.querySelector('canvas').getBoundingClientRect();
    return { x: x + box.x, y: y + box.y, width: box.width, height: box.height, left: box.x, top: box.y };
  }, frame ?? null);
}
const settle = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
// The program draws a picture each animation frame.
const frames = (tab, count = 3) => tab.evaluate((count) => new Promise((resolve) => {
  const next = (left) => (left ? requestAnimationFrame(() => next(left - 1)) : resolve());
  next(count);
}), count);
// The picture must come to show the row, two frames after the move at the
// earliest (so that an old picture cannot pass for it); on a busy machine the
// frames may be a while coming, and how long is not what a row proves.
async function checkRow(tab, label, row, frame) {
  const deadline = Date.now() + 15000;
  await frames(tab);
  let problems;
  while ((problems = problemsWith(await picture(tab, frame), row)).length && Date.now() < deadline) await settle(50);
  check(`${label}: ${row.name}`, problems);
}
// The places "(x, y)" the page's sentence names, in order, as "x,y".
const saidPlaces = (tab, frame) => inPage(tab, (frame) => {
  const doc = frame ? document.querySelector(frame).contentDocument : document;
  return [...doc.getElementById('said').textContent.replace(/[\u2066\u2069]/g, '').matchAll(/\((\u2212?\d+), (\u2212?\d+)\)/g)]
    .map((m) => `${m[1]},${m[2]}`.replaceAll('\u2212', '-'));
}, frame);
// Once the start has settled, the sentence names it, then where its line
// goes as the tracer finds it (the row's place).
async function checkSaid(tab, label, row, frame) {
  const want = [row.at.join(), ...(row.place ? [row.place] : [])].join(' ');
  const deadline = Date.now() + 10000;
  let seen;
  while ((seen = (await saidPlaces(tab, frame)).join(' ')) !== want && Date.now() < deadline) await settle(100);
  check(`${label}: said ${row.name}`, seen === want ? [] : [`named ${seen || 'nothing'}, want ${want}`]);
}
// A whole CSS pixel inside picture pixel P from EDGE, at SCALE CSS pixels a
// picture pixel: one in from its start at a whole scale, else the nearest
// its middle.
const within = (edge, p, scale) => (Number.isInteger(scale) ? edge + p * scale + Math.floor(scale / 2)
  : Math.round(edge + (p + 0.5) * scale));
async function pointerTable(tab, label, pointAt, frame, said = false) {
  const box = await canvasBox(tab, frame);
  const scale = box.width / 320;
  for (const row of ROWS) {
    await pointAt(within(box.x, row.at[0], scale), within(box.y, row.at[1], scale));
    await checkRow(tab, label, row, frame);
    if (said) await checkSaid(tab, label, row, frame);
  }
  return box;
}
// What the site's policy refused, as the page's first script saw it.
const refusals = [];
const refused = (tab, frame) => inPage(tab, (frame) =>
  (frame ? document.querySelector(frame).contentWindow : window).refused_by_policy?.splice(0) ?? [], frame);
// The program has started: it has drawn a picture (a line may cover a source).
async function running(tab, frame, timeout = 20000) {
  const deadline = Date.now() + timeout;
  do {
    const lit = await picture(tab, frame).catch(() => ({}));
    if (Object.keys(lit).length <= 203 && MARKERS.some((p) => lit[p]?.join() === '255,255,255,255')) {
      refusals.push(...await refused(tab, frame));
      return true;
    }
    await settle(100);
  } while (Date.now() < deadline);
  return false;
}
// A page of the site's origin holding one iframe of WIDTH x HEIGHT at its
// top left, showing PATH; the test reaches into it.
async function inFrame(tab, path, width, height) {
  await tab.evaluate(({ src, width, height }) => new Promise((resolve) => {
    document.body.replaceChildren();
    document.body.style.margin = '0';
    const frame = document.createElement('iframe');
    Object.assign(frame, { src, width, height, title: 'fieldline' });
    frame.style.border = '0';
    frame.style.display = 'block';
    frame.addEventListener('load', resolve);
    document.body.append(frame);
  }), { src: url + path, width, height });
  return running(tab, 'iframe');
}
// The site again, from a server of its own on another port: another origin,
// with no service worker and nothing stored. PAGES and REPLACED headers as
// serve() takes them; EARLY, a script that the pages at PATHS run first.
const sites = [];
async function anotherSite({ pages = {}, replaced = {}, early = null, paths = ['', 'ar/'] } = {}) {
  const served = { ...pages };
  if (early) {
    served['/early.js'] = early;
    for (const path of paths) {
      served[`/${path}`] = readFileSync(join(folder, path, 'index.html'), 'utf8').replace('<head>', '<head>\n<script src="/early.js"></script>');
    }
  }
  const site = await serve(folder, 0, served, replaced);
  sites.push(site);
  return `http://127.0.0.1:${site.address().port}/`;
}
// A course page on yet another origin, framing PAGE in a sandbox that
// allows scripts alone, as some platforms embed.
async function sandboxHost(page) {
  return await anotherSite({ pages: { '/host.html': '<!doctype html><html lang="en"><title>A course</title>' +
    '<link rel="icon" href="icons/48.png"><body style="margin:0"><iframe sandbox="allow-scripts" src="' + page +
    '" width="700" height="450" title="fieldline" style="border:0;display:block"></iframe></body></html>' },
  replaced: { 'Content-Security-Policy': null } }) + 'host.html';
}
// The device's voices, a fixed list, and what is said to them, in place of
// the browser's speech before the page's scripts run.
const OFFER_VOICES = `(${() => {
  window.spoken = [];
  const voices = [{ name: 'English', lang: 'en-GB' }, { name: 'Deutsch', lang: 'de-DE' }, { name: 'Arabic', lang: 'ar_EG' }];
  const speech = new EventTarget();
  speech.getVoices = () => voices;
  speech.speak = (utterance) => window.spoken.push([utterance.text, utterance.lang, utterance.voice.name].join(' | '));
  speech.cancel = () => window.spoken.push('cancel');
  Object.defineProperty(window, 'speechSynthesis', { value: speech, configurable: true });
  window.SpeechSynthesisUtterance = function (text) { this.text = text; };
}})();`;

// The rows every engine runs, each through its own driver.
async function engineTable(engine) {
  const named = (text) => `${engine.name}: ${text}`;
  // By mouse at 1x, 2x and 3x, as the page's layout gives them.
  let desk;
  for (const [width, height, scale] of [[600, 800, 1], [900, 700, 2], [1100, 800, 3]]) {
    const tab = await engine.newTab({ width, height });
    await tab.goto(url);
    check(named(`${width} x ${height}: the program runs`), await running(tab) ? [] : ['no picture']);
    const box = await pointerTable(tab, named(`mouse at ${scale}x`), (x, y) => tab.move(x, y), null, scale === 1);
    check(named(`${width} x ${height}: ${scale}x`), box.width === 320 * scale ? [] : [`${box.width} px wide`]);
    if (scale === 3) desk = [tab, box]; else await tab.close();
  }

  // The keyboard: Tab reaches the canvas, whose focus shows; from the
  // positive source, Shift+Right moves the start ten pixels right.
  const [tab, box] = desk;
  await tab.press('Tab');
  const focus = await tab.evaluate(() => [document.activeElement.id, getComputedStyle(document.activeElement).outlineStyle]);
  check(named('keyboard: Tab focuses the canvas, visibly'), focus[0] === 'canvas' && focus[1] !== 'none' ? [] : [`${focus}`]);
  await tab.move(box.x + 240 * 3 + 1, box.y + 100 * 3 + 1);
  await tab.press('ArrowRight', true);
  const beside = ROWS.find((row) => row.at.join() === '250,100');
  await checkRow(tab, named('keyboard'), beside);
  await checkSaid(tab, named('keyboard'), beside);
  // Keys held or pressed quickly: a sentence for where the start settles,
  // not one a press; 3 jumps beside the left source; Enter says it again.
  const sentences = () => tab.evaluate(() => {
    if (!window.sentences) {
      new MutationObserver(() => window.sentences.push(document.getElementById('said').textContent))
        .observe(document.getElementById('said'), { childList: true, characterData: true, subtree: true });
    }
    window.sentences = [];
  });
  await sentences();
  for (let i = 0; i < 20; i++) await tab.press('ArrowDown');
  await checkSaid(tab, named('20 quick presses'), { name: 'the last start', at: [250, 120], place: '300,299' });
  await settle(500);
  const count = await tab.evaluate(() => window.sentences.length);
  check(named('20 quick presses: at most 3 sentences'), count <= 3 ? [] : [`${count} sentences`]);
  await tab.press('3');
  await checkSaid(tab, named('key 3'), { name: 'beside the left source', at: [90, 100], place: '80,100' });
  await sentences();
  await tab.press('Enter');
  await settle(500);
  check(named('Enter says the sentence again'), await tab.evaluate(() => window.sentences.length) === 1 ? [] : ['said nothing']);

  // Sound: off until turned on, with no audio context before; then each
  // settled start plays a tone whose pitch rises with the field's strength
  // there (10 pixels from a sink, then further off), then a cue; remembered.
  const listen = () => tab.evaluate(() => {
    window.audio_made = 0;
    window.tones = [];
    const Plain = window.AudioContext;
    window.AudioContext = function (...options) { window.audio_made++; return new Plain(...options); };
    const oscillator = Plain.prototype.createOscillator;
    Plain.prototype.createOscillator = function () { const made = oscillator.call(this); window.tones.push(made); return made; };
  });
  const soundState = () => tab.evaluate(() => [document.getElementById('sound').getAttribute('aria-pressed'), window.audio_made]);
  // (At 3x the buttons are below the fold: scrolled just into view.)
  const clickButton = async (on, id) => {
    const button = await on.evaluate((id) => {
      document.getElementById(id).scrollIntoView({ block: 'nearest' });
      return JSON.parse(JSON.stringify(document.getElementById(id).getBoundingClientRect()));
    }, id);
    await on.click(button.x + button.width / 2, button.y + button.height / 2);
  };
  const clickSound = () => clickButton(tab, 'sound');
  await listen();
  await tab.move(box.x + 20, box.y + 20);
  await settle(800);
  check(named('sound: off by default, no audio context'), `${await soundState()}` === 'false,0' ? [] : [`${await soundState()}`]);
  await clickSound();
  check(named('sound: on, once turned on'), `${await soundState()}` === 'true,1' ? [] : [`${await soundState()}`]);
  const pitches = [];
  const soundBox = await canvasBox(tab);
  for (const [x, y, place] of [[90, 100, '80,100'], [200, 100, '240,66'], [160, 100, '80,100']]) {
    await tab.evaluate(() => { window.tones = []; });
    await tab.move(within(soundBox.x, x, 3), within(soundBox.y, y, 3));
    await checkSaid(tab, named('sound'), { name: `at (${x}, ${y})`, at: [x, y], place });
    pitches.push(await tab.evaluate(() => window.tones.map((tone) => `${tone.type} ${Math.round(tone.frequency.value)}`)));
  }
  const sine = pitches.map((tones) => Number(tones[0]?.split(' ')[1]));
  check(named(`sound: a tone and a cue, pitch ordered by strength: ${pitches.join(' / ')}`),
    pitches.every((tones) => tones.length === 2 && tones[0].startsWith('sine')) && sine[0] > sine[1] && sine[1] > sine[2] ? [] : ['not so']);
  await tab.goto(url);
  await running(tab);
  check(named('sound: remembered'), (await soundState())[0] === 'true' ? [] : [`${await soundState()}`]);
  await clickSound();

  // Speak: off by default; once on, each settled start says the status
  // region's sentence with a voice of the page's language, cutting off the
  // last; V turns it off and on; remembered; where no voice fits (Persian),
  // disabled, and saying why.
  const voiced = await anotherSite({ early: OFFER_VOICES, paths: ['', 'fa/'] });
  const talk = await engine.newTab({ width: 1100, height: 800 });
  await talk.goto(voiced);
  await running(talk);
  const talkBox = await canvasBox(talk);
  const speakState = () => talk.evaluate(() => {
    const button = document.getElementById('speak');
    return [button.disabled, button.getAttribute('aria-pressed'), button.getAttribute('aria-describedby'),
      document.getElementById('novoice').getClientRects().length > 0].join();
  });
  const spoken = () => talk.evaluate(() => window.spoken.splice(0));
  const sentence = () => talk.evaluate(() => document.getElementById('said').textContent.trim());
  await talk.move(within(talkBox.x, 90, 3), within(talkBox.y, 100, 3));
  await checkSaid(talk, named('speak'), { name: 'off', at: [90, 100], place: '80,100' });
  check(named('speak: off by default, nothing said'), `${await speakState()} ${(await spoken()).length}` === 'false,false,,false 0'
    ? [] : [`${await speakState()}`]);
  await clickButton(talk, 'speak');
  await spoken();
  const speakBox = await canvasBox(talk);
  await talk.move(within(speakBox.x, 200, 3), within(speakBox.y, 100, 3));
  await checkSaid(talk, named('speak'), { name: 'on', at: [200, 100], place: '240,66' });
  await settle(300);
  const saidAloud = await spoken();
  check(named('speak: on, the sentence said in English by the English voice, the last cut off first'),
    saidAloud.join(' / ') === `cancel / ${await sentence()} | en | English` ? [] : saidAloud);
  await talk.evaluate(() => document.getElementById('canvas').focus());
  for (let i = 0; i < 20; i++) await talk.press('ArrowDown');
  for (let waited = 0; (await saidPlaces(talk))[0] !== '200,120' && waited < 10000; waited += 100) await settle(100);
  await settle(800);
  const quick = await spoken();
  const speaks = quick.filter((entry) => entry !== 'cancel');
  check(named(`speak: 20 quick presses, ${speaks.length} said, each after a cancel`), speaks.length >= 1 && speaks.length <= 3 &&
    quick.every((entry, i) => entry === 'cancel' || quick[i - 1] === 'cancel') ? [] : quick);
  const toggled = [];
  for (let i = 0; i < 2; i++) {
    await talk.press('v');
    toggled.push((await speakState()).split(',')[1]);
  }
  check(named('speak: V turns it off and on'), toggled.join() === 'false,true' ? [] : toggled);
  await talk.goto(voiced);
  await running(talk);
  check(named('speak: remembered'), (await speakState()).startsWith('false,true') ? [] : [await speakState()]);
  await talk.goto(`${voiced}fa/`);
  await running(talk);
  check(named('speak: no Persian voice, so disabled, and saying why'), await speakState() === 'true,false,novoice,true'
    ? [] : [await speakState()]);

  // A link that opens at a start: the picture is the tracer's from there,
  // as the pointer draws it, and the sentence names it, on the page and in
  // Arabic; after a key, the address names the new start.
  let fromLink = null;
  for (const path of ['?start=200,120', 'ar/?start=200,120']) {
    // (The pointer off the picture, where no engine takes it for a move.)
    await talk.move(1, 1);
    await talk.goto(url + path);
    await running(talk);
    await frames(talk);
    const named_start = await saidPlaces(talk);
    const opened = JSON.stringify(await picture(talk));
    fromLink ??= opened;
    const linkBox = await canvasBox(talk);
    await talk.move(within(linkBox.x, 200, linkBox.width / 320), within(linkBox.y, 120, linkBox.width / 320));
    await frames(talk);
    const pointed = JSON.stringify(await picture(talk));
    check(named(`/${path}: the tracer's line from (200, 120), described`),
      opened === pointed && named_start[0] === '200,120' ? [] : [`named ${named_start}`, `${opened.length} / ${pointed.length}`]);
    await talk.press('Tab');
    await talk.press('ArrowRight');
    let address;
    for (let waited = 0; !(address = await talk.evaluate(() => location.search)).includes('201,120') && waited < 5000; waited += 100) await settle(100);
    check(named(`/${path}: after a key, the address follows`), address.endsWith('start=201,120') ? [] : [address]);
  }
  await talk.close();

  // With the server gone, the service worker's copy runs, the picture
  // alone in another language too.
  await tab.evaluate(() => navigator.serviceWorker.ready.then(() => true));
  offline = true;
  server.closeAllConnections();
  for (const [name, path, lang] of [['reload', '', 'en'], ['embedded, in French', 'fr/?embed', 'fr']]) {
    await tab.goto(url + path).catch(() => {});
    const problems = await running(tab, null, 10000) ? [] : ['the program did not run'];
    const shown = await tab.evaluate(() => [document.documentElement.lang, document.documentElement.classList.contains('embed')]).catch(String);
    if (`${shown}` !== `${lang},${path.includes('embed')}`) problems.push(`lang, embedded: ${shown}`);
    check(named(`offline: ${name}`), problems);
  }
  offline = false;

  // Held Escape ends the program: the page says so, and the picture no
  // longer follows the pointer.
  await tab.goto(url);
  await running(tab);
  await tab.move(box.x + 160 * 3 + 1, box.y + 100 * 3 + 1);
  await checkRow(tab, named('before Escape'), ROWS[0]);
  await tab.down('Escape');
  let said = '';
  for (let waited = 0; !said && waited < 15000; waited += 100) {
    said = await tab.evaluate(() => document.getElementById('ended').textContent);
    await settle(100);
  }
  await tab.up('Escape');
  check(named('Escape held: the page says the program has ended'), said ? [] : ['nothing said']);
  await tab.move(box.x + 20, box.y + 20);
  await frames(tab, 10);
  check(named('Escape held: the picture stays'), problemsWith(await picture(tab), ROWS[0]));
  await tab.close();

  // By finger on a phone, held landscape: 1x, the page scrolled; a second
  // finger does not take the line from the first.
  const phone = await engine.newTab({ width: 740, height: 360, touch: true, scale: 3 });
  await phone.goto(url);
  await running(phone);
  // Scrolled so far that the whole picture is in view, down the screen.
  await phone.evaluate(() => window.scrollTo(0, document.querySelector('canvas').getBoundingClientRect().top + window.scrollY - 80));
  const scrolled = await phone.evaluate(() => window.scrollY);
  check(named('phone: the page is scrolled'), scrolled > 0 ? [] : ['not scrollable']);
  const phoneBox = await pointerTable(phone, named(`finger on a phone at 1x, scrolled ${scrolled} px`),
    (x, y) => phone.touch(1, x, y), null, true);
  check(named('phone: 1x'), phoneBox.width === 320 ? [] : [`${phoneBox.width} px wide`]);
  const middle = ROWS[0];
  await phone.touch(1, phoneBox.x + middle.at[0], phoneBox.y + middle.at[1]);
  await phone.touch(2, phoneBox.x + 10, phoneBox.y + 10);
  await phone.touch(2, phoneBox.x + 300, phoneBox.y + 150);
  await checkRow(phone, named('a second finger'), middle);
  await phone.touch(2, 0, 0, 'touchEnd');
  await phone.touch(1, 0, 0, 'touchEnd');
  check(named('phone: a finger does not scroll the page'), await phone.evaluate(() => window.scrollY) === scrolled ? [] : ['scrolled']);

  // By finger on a tablet: 2x. A finger lands anywhere in a pixel: a
  // quarter, a half and three quarters into it, the line starts from that
  // pixel, on the phone too (where the engine passes fractions on).
  const tablet = await engine.newTab({ width: 820, height: 1180, touch: true, scale: 2 });
  await tablet.goto(url);
  await running(tablet);
  const tabletBox = await pointerTable(tablet, named('finger on a tablet at 2x'), (x, y) => tablet.touch(1, x, y));
  check(named('tablet: 2x'), tabletBox.width === 640 ? [] : [`${tabletBox.width} px wide`]);
  for (const [device, deviceBox, scale] of engine.fractionalTouch ? [[tablet, tabletBox, 2], [phone, phoneBox, 1]] : []) {
    for (const fraction of [0.25, 0.5, 0.75]) {
      for (const row of ROWS.slice(0, 2)) {
        await device.touch(1, deviceBox.x + (row.at[0] + fraction) * scale, deviceBox.y + (row.at[1] + fraction) * scale);
        await checkRow(device, named(`finger ${fraction} into a pixel at ${scale}x`), row);
      }
    }
  }
  await phone.close();
  await tablet.close();

  // In iframes of a course page's sizes, as the page (from a small phone's
  // width up: no overflow, whole CSS pixels) and as the picture alone (the
  // largest whole scale the frame holds, centred on black, exact pointer).
  const course = await engine.newTab({ width: 1940, height: 1200, touch: true, mobile: false });
  await course.goto(`${url}course.html`);
  for (const [width, height, scale] of [[320, 568, 1], [390, 844, 1], [820, 1180, 2], [1280, 800, 3]]) {
    await inFrame(course, '', width, height);
    const [scrollWidth, x, y, w] = await course.evaluate(() => {
      const doc = document.querySelector('iframe').contentDocument;
      const box = doc.querySelector('canvas').getBoundingClientRect();
      return [doc.documentElement.scrollWidth, box.x, box.y, box.width];
    });
    const problems = [];
    if (scrollWidth > width) problems.push(`${scrollWidth} px wide`);
    if (w !== 320 * scale) problems.push(`canvas ${w} px wide`);
    if (!Number.isInteger(x) || !Number.isInteger(y)) problems.push(`canvas at (${x}, ${y})`);
    check(named(`a frame ${width} px wide: ${scale}x, no overflow`), problems);
  }
  for (const [width, height, scale] of [[320, 200, 1], [700, 450, 2], [1000, 620, 3], [1920, 1080, 5]]) {
    const problems = await inFrame(course, '?embed', width, height) ? [] : ['the program did not run'];
    const [background, shown] = await course.evaluate(() => {
      const doc = document.querySelector('iframe').contentDocument;
      return [getComputedStyle(doc.body).backgroundColor,
        [...doc.querySelectorAll('h1, p:not(#said), footer, button')].filter((e) => e.getClientRects().length).length];
    });
    const frameBox = await canvasBox(course, 'iframe');
    if (frameBox.width !== 320 * scale) problems.push(`canvas ${frameBox.width} px wide`);
    const margins = [frameBox.left, width - frameBox.left - frameBox.width, frameBox.top, height - frameBox.top - frameBox.height];
    if (Math.abs(margins[0] - margins[1]) > 1 || Math.abs(margins[2] - margins[3]) > 1) problems.push(`margins ${margins}`);
    if (background !== 'rgb(0, 0, 0)') problems.push(`background ${background}`);
    if (shown) problems.push(`${shown} other elements shown`);
    check(named(`embedded in ${width} x ${height}: ${scale}x, centred on black, alone`), problems);
    await pointerTable(course, named(`embedded in ${width} x ${height}`), (x, y) => course.move(x, y), 'iframe', scale === 2);
    if (scale === 2) {
      // Tab from the course page goes into the frame, to the canvas.
      await course.evaluate(() => { document.body.tabIndex = -1; document.body.focus(); });
      await course.press('Tab');
      const inner = await course.evaluate(() => {
        const doc = document.querySelector('iframe').contentDocument;
        return [doc.activeElement.id, getComputedStyle(doc.activeElement).outlineStyle, doc.hasFocus()];
      });
      check(named('embedded: Tab focuses the canvas, visibly'), inner.join() === 'canvas,solid,true' ? [] : [`${inner}`]);
      await course.move(frameBox.x + 240 * 2 + 1, frameBox.y + 100 * 2 + 1);
      await course.press('ArrowRight', true);
      await checkRow(course, named('embedded: the keyboard'), ROWS.find((row) => row.at.join() === '250,100'), 'iframe');
      await pointerTable(course, named('embedded: by finger'), (x, y) => course.touch(1, x, y), 'iframe');
      await course.touch(1, 0, 0, 'touchEnd');
    }
  }
  await course.move(1, 1);
  await inFrame(course, '?embed&start=200,120', 700, 450);
  await frames(course);
  const embeddedStart = [await saidPlaces(course, 'iframe'), JSON.stringify(await picture(course, 'iframe'))];
  check(named('embedded: ?start=200,120 opens at its line, described'), embeddedStart[0][0] === '200,120' &&
    embeddedStart[1] === fromLink ? [] : [`named ${embeddedStart[0]}`]);
  await course.close();

  // In a sandboxed frame of another origin (scripts alone): the picture,
  // the keys and the sentence, and nothing the sandbox forbids (storage,
  // the service worker, full screen) thrown.
  const host = await engine.newTab({ width: 800, height: 600 });
  await host.goto(await sandboxHost(`${url}?embed`));
  check(named('sandboxed frame: the program runs'), await running(host, SANDBOXED) ? [] : ['no picture']);
  const sandboxBox = await pointerTable(host, named('sandboxed frame'), (x, y) => host.move(x, y), SANDBOXED, true);
  await host.evaluate(() => { document.body.tabIndex = -1; document.body.focus(); });
  await host.press('Tab');
  await host.move(sandboxBox.x + 240 * 2 + 1, sandboxBox.y + 100 * 2 + 1);
  await host.press('ArrowRight', true);
  const besideSource = ROWS.find((row) => row.at.join() === '250,100');
  await checkRow(host, named('sandboxed frame: the keyboard'), besideSource, SANDBOXED);
  await checkSaid(host, named('sandboxed frame: the keyboard'), besideSource, SANDBOXED);
  await host.close();

  // On a 1920 x 1080 projector: the control shows the picture alone, at
  // the largest whole scale; the control or the browser's Escape bring the
  // page back, and the line goes on.
  const projector = await engine.newTab({ width: 1920, height: 1080 });
  await projector.goto(url);
  await running(projector);
  const control = async () => {
    const box = await projector.evaluate(() => JSON.parse(JSON.stringify(document.getElementById('full').getBoundingClientRect())));
    await projector.click(box.x + box.width / 2, box.y + box.height / 2);
  };
  const layout = () => projector.evaluate(() => [document.fullscreenElement?.id ?? '', document.querySelector('canvas').dataset.scale,
    document.getElementById('full').textContent, document.getElementById('ended').textContent]);
  // Full screen comes and goes in the browser's own time, and the page
  // hears of it an animation frame later: the layout wanted, or the last
  // seen after 10 s.
  const layoutBecomes = async (wanted) => {
    const deadline = Date.now() + 10000;
    let seen;
    while (!wanted(seen = await layout()) && Date.now() < deadline) await settle(100);
    return seen;
  };
  const pageLayout = await layout();
  check(named('projector: the page at 3x, the control shown'), pageLayout.join() === ',3,Full screen,' ? [] : [`${pageLayout}`]);
  for (const leave of ['the control', 'Escape']) {
    await control();
    const [element, scale, label] = await layoutBecomes(([shown, , text]) => shown === 'stage' && text === 'Leave full screen');
    const stage = await projector.evaluate(() => [innerWidth, innerHeight]);
    const want = Math.floor(Math.min(stage[0] / 320, stage[1] / 200));
    check(named(`projector: full screen, ${want}x in ${stage.join(' x ')}`),
      element === 'stage' && Number(scale) === want && label === 'Leave full screen' ? [] : [`${element}, ${scale}x, ${label}`]);
    await pointerTable(projector, named('projector: in full screen'), (x, y) => projector.move(x, y));
    if (leave === 'Escape') {
      await projector.down('Escape');
      await settle(1500);
      await projector.up('Escape');
    }
    if (leave !== 'Escape' || !engine.escapeLeavesFullScreen) await control();
    const back = await layoutBecomes((seen) => seen.join() === pageLayout.join());
    check(named(`projector: ${engine.escapeLeavesFullScreen ? leave : 'Escape held in full screen, then the control,'} ` +
      'leaves full screen, the line goes on'), back.join() === pageLayout.join() ? [] : [`${back}`]);
  }
  const pageBox = await canvasBox(projector);
  await projector.move(within(pageBox.x, ROWS[0].at[0], 3), within(pageBox.y, ROWS[0].at[1], 3));
  await checkRow(projector, named('projector: after full screen'), ROWS[0]);
  await projector.close();
  check(named('no console errors or warnings'), engine.errors);
  check(named('nothing refused by the site\'s policy'), refusals.splice(0));

  // From here on, the console is expected to speak.
  // A start the address names badly is set aside, with one warning each:
  // the page opens as usual, describing nothing, throwing nothing.
  const bad = ['abc', '200,120,5', '1e3,5', 'NaN,1', 'Infinity,0', '99999999999,1', '1.5,2', '-1001,0', '0,1201'];
  const plain = await engine.newTab({ width: 1100, height: 800 });
  const opened = [];
  for (const value of bad) {
    await plain.goto(`${url}?start=${encodeURIComponent(value)}`);
    if (!await running(plain)) opened.push(`${value}: no picture`);
    await settle(200);
    if (await plain.evaluate(() => document.getElementById('said').textContent)) opened.push(`${value}: described`);
  }
  await plain.close();
  const warned = engine.errors.splice(0);
  check(named(`?start= set aside: ${bad.join(' ')}`), warned.length === bad.length &&
    warned.every((text) => text.includes('?start=')) ? opened : [...opened, ...warned]);

  // Every way the page can fail says why, in the picture's place, in the
  // page's language (English, and Arabic from its own catalogue), as an
  // alert; the canvas is not shown. name | the message | how it is made
  const failures = [
    ['a policy without \'wasm-unsafe-eval\'', 'policy', { replaced: { 'Content-Security-Policy':
      "default-src 'self'; script-src 'self'; style-src 'self'; img-src 'self'; frame-ancestors *" } }],
    ['fieldline.wasm answered 404', 'missing', { pages: { '/fieldline.wasm': 404 } }, { file: 'fieldline.wasm', status: 404 }],
    ['a first visit, the network cut after the page', 'offline', { pages: { '/fieldline.wasm': null } }],
    ['no WebAssembly', 'nowasm', { early: 'delete window.WebAssembly;' }],
    ['the program stopping after it has started', 'stopped', {}],
    ['a sandboxed frame, its files not shared', 'sandboxed', { replaced: { 'Access-Control-Allow-Origin': null } }],
  ];
  const told = (tab, frame) => inPage(tab, (frame) => {
    const doc = frame ? document.querySelector(frame).contentDocument : document;
    const failure = doc.getElementById('failure');
    return { text: failure.textContent, texts: { ...failure.dataset }, role: failure.getAttribute('role'),
      shown: failure.getClientRects().length > 0, canvas: doc.querySelector('canvas').getClientRects().length > 0 };
  }, frame);
  const english = {};
  for (const [name, kind, how, values = {}] of failures) {
    for (const language of ['', 'ar/']) {
      const broken = await engine.newTab({ width: 1100, height: 800 });
      const site = await anotherSite(how);
      const frame = kind === 'sandboxed' ? SANDBOXED : null;
      await broken.goto(frame ? await sandboxHost(site + language + '?embed') : site + language);
      if (kind === 'stopped') {
        await running(broken);
        // A failure in the middle of a frame: drawing it throws.
        await broken.evaluate(() => { CanvasRenderingContext2D.prototype.putImageData = () => { throw new RangeError('out of memory'); }; });
      }
      let seen;
      for (let waited = 0; !(seen = await told(broken, frame)).text && waited < 15000; waited += 100) await settle(100);
      const want = (seen.texts[kind] ?? '').replace(/\{([a-z]+)\}/g, (whole, key) => values[key]);
      const problems = [];
      if (!want || seen.text !== want) problems.push(`said "${seen.text}"`);
      if (language) { if (want === english[kind]) problems.push('in English'); } else english[kind] = want;
      if (seen.role !== 'alert' || !seen.shown || seen.canvas) problems.push(`role ${seen.role}, shown ${seen.shown}, canvas ${seen.canvas}`);
      check(named(`${name}, /${language}: told why, as an alert, in the picture's place`), problems);
      await broken.close();
    }
  }
  // JavaScript off: the page's own words, and no black picture.
  for (const language of engine.noScript ? ['', 'ar/'] : []) {
    const off = await engine.newTab({ width: 1100, height: 800, script: false });
    await off.goto(url + language);
    const seen = await off.evaluate(() => [document.querySelector('.failure')?.textContent,
      document.querySelector('.failure')?.getClientRects().length, document.querySelector('canvas').getClientRects().length]);
    check(named(`JavaScript off, /${language}: the page says so, and shows no canvas`),
      seen[0] && seen[1] && !seen[2] ? [] : [`${seen}`]);
    await off.close();
  }
  engine.errors.splice(0);
}

// Chromium: the table, then what only its protocol reaches.
async function chromiumRun() {
  // The desktop in a persistent context (an ordinary one counts as incognito,
  // which no page can be installed from); phones and tablets in another browser.
  const profile = mkdtempSync(join(tmpdir(), 'fieldline-chromium-'));
  const context = await chromium.launchPersistentContext(profile, { ...launch, viewport: { width: 1100, height: 800 } });
  const browser = await chromium.launch(launch);
  const errors = [];
  // Counts the program's frames and times each one, from outside: a frame
  // runs from the animation frame that wakes the loop to its next request.
  const counting = () => {
    const request = window.requestAnimationFrame.bind(window);
    window.plain_request = request;
    window.frames_drawn = 0;
    window.frame_costs = [];
    let woke = null;
    window.requestAnimationFrame = (callback) => {
      if (woke !== null) window.frame_costs.push(performance.now() - woke);
      if (window.frames_drawn++ === 0) window.first_frame_at = performance.now();
      return request((time) => { woke = performance.now(); callback(time); });
    };
  };
  async function open(page, path = '') {
    page.on('console', (message) => ['error', 'warning'].includes(message.type()) && errors.push(message.text()));
    page.on('pageerror', (error) => errors.push(String(error)));
    await page.addInitScript(counting);
    await page.goto(url + path);
    await page.waitForFunction(() => window.frames_drawn > 2, null, { timeout: 20000 });
    return page;
  }
  async function newDevice(options, path) {
    const device = await browser.newContext(options);
    return open(await device.newPage(), path);
  }

  try {
    await engineTable(chromiumEngine(browser));

    // The policy is in force: what it forbids is refused, and seen by the
    // page (in a tab whose console no other row reads).
    const strict = await browser.newPage();
    await strict.goto(url);
    await strict.evaluate(() => document.head.append(Object.assign(document.createElement('style'), { textContent: 'p {}' })));
    await strict.waitForTimeout(200);
    check('the site\'s policy refuses an inline style', (await refused(strict)).length === 1 ? [] : ['not refused']);
    await strict.context().close();

    // The site replaced by a new build (another text, so another worker)
    // while a visitor has it open: a reload shows it, the second at the
    // latest, and the old build's cache is gone; then offline too.
    const live = mkdtempSync(join(tmpdir(), 'fieldline-site-'));
    cpSync(folder, live, { recursive: true });
    const liveServer = await serve(live, 0);
    let liveCut = false;
    liveServer.on('connection', (socket) => liveCut && socket.destroy());
    const liveUrl = `http://127.0.0.1:${liveServer.address().port}/`;
    const visitor = chromiumTab(await browser.newPage(), errors);
    await visitor.goto(liveUrl);
    await running(visitor);
    await visitor.evaluate(() => navigator.serviceWorker.ready.then(() => navigator.serviceWorker.controller ||
      new Promise((resolve) => navigator.serviceWorker.addEventListener('controllerchange', resolve))));
    const edit = (file, from, to) => writeFileSync(join(live, file), readFileSync(join(live, file), 'utf8').replace(from, to));
    edit('index.html', '</footer>', 'A new build.</footer>');
    edit('sw.js', /fieldline-[0-9a-f]+/, 'fieldline-next');
    const newBuild = () => visitor.evaluate(() => document.querySelector('footer').textContent.includes('A new build.'));
    // A visitor reads a while before reloading: the update the reload found
    // has installed by then, or ten seconds have passed.
    const updated = () => visitor.evaluate(async () => {
      for (let waited = 0; waited < 10000; waited += 100) {
        const registration = await navigator.serviceWorker.getRegistration();
        if ((await caches.keys()).includes('fieldline-next') && !registration.installing && !registration.waiting) return;
        await new Promise((resolve) => setTimeout(resolve, 100));
      }
    });
    let reloads = 0;
    while (reloads < 2 && !await newBuild()) {
      await visitor.page.reload();
      reloads++;
      await running(visitor);
      if (!await newBuild()) await updated();
    }
    const cachesLeft = await visitor.evaluate(() => caches.keys());
    check(`update: the new build shown after ${reloads} reloads`, await newBuild() ? [] : ['still the old']);
    check('update: the old build\'s cache gone', cachesLeft.join() === 'fieldline-next' ? [] : cachesLeft);
    liveCut = true;
    liveServer.closeAllConnections();
    await visitor.page.reload();
    check('update: offline, the new build runs', await running(visitor, null, 10000) && await newBuild() ? [] : ['not so']);
    await visitor.close();
    liveServer.close();
    rmSync(live, { recursive: true, force: true });

    const page = await open(await context.newPage());

    const box = await canvasBox(page);

    // Installable, and offline once the service worker holds the site.
    const cdp = await context.newCDPSession(page);
    const installability = (await cdp.send('Page.getInstallabilityErrors')).installabilityErrors;
    check('installable', installability.map((e) => e.errorId));
    await page.evaluate(() => navigator.serviceWorker.ready);
    await context.setOffline(true);
    const newTab = await context.newPage();
    const ranOffline = await open(newTab).then(() => true, () => false);
    check('offline: new tab', ranOffline ? [] : ['the program did not run']);
    await newTab.close();
    const offlineTab = await context.newPage();
    await offlineTab.addInitScript(counting);
    for (const language of LANGUAGES.slice(1)) {
      const ran = await offlineTab.goto(url + language).then(() => offlineTab.waitForFunction(
        () => window.frames_drawn > 2, null, { timeout: 10000 })).then(() => true, () => false);
      check(`offline: /${language}`, ran ? [] : ['the program did not run']);
    }
    await offlineTab.close();
    await context.setOffline(false);

    // axe-core, its best practices included.
    await page.evaluate(AXE);
    const violations = await page.evaluate(async () => (await window.axe.run()).violations.map((v) => v.id));
    check('axe: no violations', violations);

    // Every width from a small phone to a desktop, in every language: no
    // horizontal overflow, the canvas at its whole-number scale on whole CSS pixels.
    for (const [width, height, scale] of [[320, 568, 1], [390, 844, 1], [820, 1180, 2], [1280, 800, 3]]) {
      const sized = await newDevice({ viewport: { width, height }, isMobile: width < 1000, hasTouch: width < 1000 });
      for (const language of LANGUAGES) {
        await sized.goto(url + language);
        const layout = await sized.evaluate(() => [document.documentElement.scrollWidth,
          ...Object.values(JSON.parse(JSON.stringify(document.querySelector('canvas').getBoundingClientRect())))]);
        const [scrollWidth, x, y, w] = layout;
        const problems = [];
        if (scrollWidth > width) problems.push(`${scrollWidth} px wide`);
        if (w !== 320 * scale) problems.push(`canvas ${w} px wide`);
        if (!Number.isInteger(x) || !Number.isInteger(y)) problems.push(`canvas at (${x}, ${y})`);
        check(`${width} px wide, /${language}: ${scale}x, no overflow`, problems);
      }
      await sized.context().close();
    }

    // Every language: each text of the page is there and none is the English
    // one; lang and dir; axe. Arabic runs right to left, its picture not.
    const texts = (tab) => tab.evaluate(() => ({
      lang: document.documentElement.lang,
      dir: document.documentElement.dir,
      title: document.title,
      description: document.querySelector('meta[name=description]').content,
      heading: document.querySelector('h1').textContent,
      paragraphs: [...document.querySelectorAll('main p:not(#ended):not(#said)')].map((p) => p.textContent).join(' | '),
      said: Object.values(document.getElementById('said').dataset).join(' | '),
      sound: document.getElementById('sound').textContent,
      picture: document.getElementById('picture').getAttribute('aria-label'),
      ended: document.getElementById('ended').dataset.text,
      chooser: document.getElementById('language').textContent,
      footer: document.querySelector('footer').lastChild.textContent.trim(),
    }));
    const reader = await newDevice({ viewport: { width: 1100, height: 800 } });
    const english = await texts(reader);
    await reader.evaluate(AXE);
    for (const language of LANGUAGES.slice(1)) {
      await reader.goto(url + language);
      const own = await texts(reader);
      const tag = language.slice(0, -1);
      const problems = Object.entries(own).filter(([key, text]) => !['lang', 'dir'].includes(key) &&
        (!text || text === english[key])).map(([key]) => `${key} is English or empty`);
      if (own.lang !== tag) problems.push(`lang ${own.lang}`);
      if (own.dir !== (RIGHT_TO_LEFT.includes(tag) ? 'rtl' : 'ltr')) problems.push(`dir ${own.dir}`);
      check(`/${language}: every text translated, lang and dir`, problems);
      await reader.evaluate(AXE);
      check(`/${language}: axe`, await reader.evaluate(async () => (await window.axe.run()).violations.map((v) => v.id)));
      if (tag === 'ar') {
        await reader.waitForFunction(() => window.frames_drawn > 2);
        const transform = await reader.locator('canvas').evaluate((c) => getComputedStyle(c).transform);
        check('/ar/: the canvas is not mirrored', transform === 'none' ? [] : [transform]);
        await pointerTable(chromiumTab(reader, errors), 'mouse on the Arabic page', (x, y) => reader.mouse.move(x, y));
      }
    }
    await reader.context().close();

    // Which page a visitor gets: the shared link, then ?lang=, then the
    // choice made here, then the browser's languages (whole tag, then base),
    // never simplified Chinese for traditional; and never a paint of the
    // English page on the way. name | browser's languages | path | lands on
    const prefers = (languages) => {
      Object.defineProperty(Navigator.prototype, 'languages', { get: () => languages });
      new PerformanceObserver((list) => {
        if (list.getEntriesByName('first-contentful-paint').length)
          sessionStorage.painted = `${sessionStorage.painted ?? ''} ${document.documentElement.lang}`;
      }).observe({ type: 'paint', buffered: true });
    };
    for (const [name, languages, path, want] of [
      ['German first', ['de-DE', 'en'], '', 'de/'],
      ['English first', ['en-GB', 'de'], '', ''],
      ['the first the site has', ['eo', 'ko-KR', 'de'], '', 'ko/'],
      ['Portuguese of Portugal: the base language', ['pt-PT'], '', 'pt-BR/'],
      ['Canadian French', ['fr-CA'], '', 'fr/'],
      ['simplified Chinese', ['zh-CN'], '', 'zh-CN/'],
      ['Chinese of Taiwan: traditional', ['zh-TW'], '', 'zh-TW/'],
      ['Chinese of Hong Kong: traditional', ['zh-HK', 'zh-CN'], '', 'zh-TW/'],
      ['Chinese in traditional script', ['zh-Hant'], '', 'zh-TW/'],
      ['Chinese of Singapore: simplified', ['zh-SG'], '', 'zh-CN/'],
      ['Chinese, bare: simplified', ['zh'], '', 'zh-CN/'],
      ['?lang= over the browser', ['de'], '?lang=es', 'es/'],
      ['?lang=en over the browser', ['de'], '?lang=en', '?lang=en'],
      ['a shared link over the browser', ['de'], 'ja/', 'ja/'],
      ['embedded: the language, the picture alone', ['de'], '?embed', 'de/?embed'],
      ['a start: the language, the same line', ['de'], '?embed&lang=ar&start=200,120', 'ar/?embed&start=200,120'],
    ]) {
      const visitor = await browser.newContext();
      await visitor.addInitScript(prefers, languages);
      const tab = await visitor.newPage();
      await tab.goto(url + path);
      await tab.waitForFunction(() => document.readyState === 'complete');
      const landed = tab.url().slice(url.length);
      const painted = await tab.evaluate(() => sessionStorage.painted ?? '');
      const problems = landed === want ? [] : [`landed on /${landed}`];
      if (want !== path && painted.split(' ').includes('en')) problems.push(`the English page was painted:${painted}`);
      check(`language: ${name}`, problems);
      await visitor.close();
    }
    // The chooser: from the keyboard, taking the line shown along, and
    // remembered for the site's root.
    const chooserTab = await (await browser.newContext()).newPage();
    await chooserTab.goto(url + 'de/?start=200,120');
    await chooserTab.locator('nav a[hreflang=es]').focus();
    await chooserTab.keyboard.press('Enter');
    await chooserTab.waitForURL(url + 'es/?start=200,120');
    await chooserTab.goto(url);
    await chooserTab.waitForFunction(() => document.readyState === 'complete');
    check('chooser: Enter on Español, then the root gives Spanish', chooserTab.url() === url + 'es/' ? [] : [chooserTab.url()]);
    await chooserTab.context().close();

    // Screens scaled by 100 to 300 %: each picture pixel covers the same
    // whole number of device pixels (3x's CSS size, rounded down to them),
    // from a whole device pixel. At 150 %, a screenshot's blocks are all that
    // size, of the picture's colours, and every whole CSS position inside a
    // pixel starts the line there.
    for (const ratio of [1, 1.25, 1.5, 2, 3]) {
      const context = await browser.newContext({ viewport: { width: 1100, height: 800 }, deviceScaleFactor: ratio });
      const tab = chromiumTab(await context.newPage(), errors);
      await tab.goto(url);
      await running(tab);
      const scaled = await canvasBox(tab);
      const want = Math.floor(3 * ratio + 1e-6);
      const problems = [];
      const device = (length) => Math.round(length * ratio * 64) / 64;
      if (device(scaled.width) !== 320 * want) problems.push(`${device(scaled.width) / 320} device pixels a picture pixel`);
      if (!Number.isInteger(device(scaled.x)) || !Number.isInteger(device(scaled.y))) {
        problems.push(`at (${device(scaled.x)}, ${device(scaled.y)}) device pixels`);
      }
      check(`${ratio * 100} %: ${want} device pixels a picture pixel, from a whole one`, problems);
      if (ratio === 1.5) {
        const size = scaled.width / 320;
        for (const row of ROWS.slice(0, 2)) {
          for (const [axis, edge] of [[0, scaled.x], [1, scaled.y]]) {
            const first = Math.ceil(edge + row.at[axis] * size - 1e-6);
            for (let at = first; at < edge + (row.at[axis] + 1) * size - 1e-6; at++) {
              const other = within(axis ? scaled.x : scaled.y, row.at[1 - axis], size);
              await tab.move(...(axis ? [other, at] : [at, other]));
              await checkRow(tab, `150 %: ${axis ? 'y' : 'x'} ${at - first} CSS px into the pixel`, row);
            }
          }
        }
        const shot = (await tab.page.screenshot({ scale: 'device' })).toString('base64');
        const uneven = await tab.evaluate(async ({ shot, left, top, n }) => {
          // From bytes, not a data: address, which the site's policy refuses.
          const image = await createImageBitmap(new Blob([Uint8Array.from(atob(shot), (c) => c.charCodeAt(0))], { type: 'image/png' }));
          const copy = document.createElement('canvas');
          [copy.width, copy.height] = [image.width, image.height];
          const drawn = copy.getContext('2d');
          drawn.drawImage(image, 0, 0);
          const seen = drawn.getImageData(left, top, 320 * n, 200 * n).data;
          const shown = document.querySelector('canvas').getContext('2d').getImageData(0, 0, 320, 200).data;
          const wrong = [];
          for (let y = 0; y < 200 * n && wrong.length < 5; y++) {
            for (let x = 0; x < 320 * n && wrong.length < 5; x++) {
              const at = (y * 320 * n + x) * 4;
              const from = (Math.floor(y / n) * 320 + Math.floor(x / n)) * 4;
              if ([0, 1, 2].some((c) => seen[at + c] !== shown[from + c])) wrong.push(`device pixel (${x}, ${y})`);
            }
          }
          return wrong;
        }, { shot, left: Math.round(scaled.x * ratio), top: Math.round(scaled.y * ratio), n: want });
        check(`150 %: in a screenshot, every picture pixel a block of ${want} x ${want} device pixels`, uneven);
      }
      await context.close();
    }

    // Where a browser has no full screen (an iPhone's), neither the control
    // nor what the page says of it shows.
    const noFullScreen = await browser.newContext();
    await noFullScreen.addInitScript(() => Object.defineProperty(Document.prototype, 'fullscreenEnabled', { get: () => false }));
    const plain = await noFullScreen.newPage();
    await plain.goto(url);
    check('no full screen: neither the control nor its note shown', await plain.evaluate(() =>
      ['full', 'projector'].filter((id) => document.getElementById(id).getClientRects().length)));
    await noFullScreen.close();

    // Figures: five seconds with the full line from (160, 100), against the
    // animation frames the page was given, as it runs and with the CPU 4x slower.
    await page.mouse.move(box.x + 160 * 3 + 1, box.y + 100 * 3 + 1);
    for (const rate of [1, 4]) {
      await cdp.send('Emulation.setCPUThrottlingRate', { rate });
      const figures = await page.evaluate(async () => {
        const first = window.frames_drawn;
        window.frame_costs = [];
        let ticks = 0;
        let counting = true;
        const tick = () => { ticks++; if (counting) window.plain_request(tick); };
        window.plain_request(tick);
        const start = performance.now();
        await new Promise((resolve) => setTimeout(resolve, 5000));
        counting = false;
        const seconds = (performance.now() - start) / 1000;
        const costs = window.frame_costs.slice().sort((a, b) => a - b);
        return { frames: window.frames_drawn - first, ticks, seconds, median: costs[Math.floor(costs.length / 2)] };
      });
      console.log(`CPU ${rate}x slower: frames drawn: ${figures.frames} of ${figures.ticks} animation frames in ` +
        `${figures.seconds.toFixed(2)} s; frame cost: median ${figures.median.toFixed(3)} ms`);
    }
    await cdp.send('Emulation.setCPUThrottlingRate', { rate: 1 });
    // When the first frame was drawn, and the bytes the page was sent.
    const loading = (tab) => tab.evaluate(() => [window.first_frame_at, performance.getEntriesByType('resource')
      .concat(performance.getEntriesByType('navigation')).reduce((sum, entry) => sum + entry.transferSize, 0)]);
    const fromWorker = await loading(page);
    console.log(`first frame ${fromWorker[0].toFixed(0)} ms after navigation, from the service worker`);
    for (const language of ['', 'ar/']) {
      const cold = await loading(await newDevice({}, language));
      console.log(`/${language}: first frame ${cold[0].toFixed(0)} ms after navigation, cold; ${cold[1]} bytes sent`);
    }

    // Held Escape ends the program: the loop stops and the page says so.
    await page.keyboard.down('Escape');
    const ended = await page.waitForFunction(() => document.getElementById('ended').textContent, null,
      { timeout: 5000 }).then(() => true, () => false);
    await page.keyboard.up('Escape');
    const framesAtEnd = await page.evaluate(() => window.frames_drawn);
    await page.waitForTimeout(300);
    const framesLater = await page.evaluate(() => window.frames_drawn);
    check('Escape held: the page says the program has ended', ended ? [] : ['nothing said']);
    check('Escape held: no frame drawn after it', framesLater === framesAtEnd ? [] : [`${framesLater - framesAtEnd} more`]);
    check('no console errors or warnings', errors);
  } finally {
    await context.close();
    await browser.close();
    rmSync(profile, { recursive: true, force: true });
  }
}

try {
  if (engineName === 'chromium') await chromiumRun();
  else {
    const engine = await { firefox: firefoxEngine, webkit: webkitEngine }[engineName]();
    try {
      await engineTable(engine);
    } finally {
      await engine.close();
    }
  }
} finally {
  server.close();
  sites.forEach((site) => site.close());
}
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed === 0 ? 0 : 1);
