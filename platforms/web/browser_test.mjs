// The browser build in headless Chromium, offline: the window test's pointer
// table on the page's canvas by mouse at 3x, by finger on a scrolled phone at
// 1x and on a tablet at 2x; the keyboard; every width without overflow; the
// picture's colours; installable, and running again from the service worker
// with the network cut; axe; held Escape; a clean console; then the figures.
// First, the server: requests it cannot serve are refused, and it goes on.
// Usage: node platforms/web/browser_test.mjs SITE_DIR POINTER_CASES_FILE
import { readFileSync, readdirSync, existsSync, mkdtempSync, rmSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { connect } from 'node:net';
import { join } from 'node:path';
import { chromium } from 'playwright-core';
import { serve } from './serve.mjs';

const [folder, casesFile] = process.argv.slice(2);
const MARKERS = ['240,100', '240,66', '80,100'];
const ROWS = readFileSync(casesFile, 'utf8').split('\n').filter((l) => l && !l.startsWith('#'))
  .map((row) => row.split('|')).map(([name, pointer, yellow, count]) =>
    ({ name, at: pointer.split(' ').map(Number), yellow: yellow.split(' ').filter(Boolean), count }));
// Every language's page: English at the root, each other in a folder named by its tag.
const LANGUAGES = ['', ...readdirSync(folder, { withFileTypes: true })
  .filter((entry) => entry.isDirectory() && existsSync(join(folder, entry.name, 'index.html'))).map((entry) => `${entry.name}/`)];
const PHONE = { viewport: { width: 740, height: 360 }, isMobile: true, hasTouch: true, deviceScaleFactor: 3 };
const TABLET = { viewport: { width: 820, height: 1180 }, isMobile: true, hasTouch: true, deviceScaleFactor: 2 };

let passed = 0;
let failed = 0;
function check(name, problems) {
  if (problems.length === 0) passed++;
  else {
    failed++;
    console.log(`FAIL: ${name}: ${problems.slice(0, 5).join('; ')}`);
  }
}

const server = await serve(folder, 0);
const url = `http://127.0.0.1:${server.address().port}/`;

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
for (const [name, method, path, want] of [
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

// "x,y" -> [red, green, blue, alpha] of every pixel that is not opaque black.
const picture = (page) => page.evaluate(() => {
  const data = document.querySelector('canvas').getContext('2d').getImageData(0, 0, 320, 200).data;
  const lit = {};
  for (let i = 0; i < data.length; i += 4)
    if (data[i] || data[i + 1] || data[i + 2] || data[i + 3] !== 255)
      lit[`${(i / 4) % 320},${Math.floor(i / 4 / 320)}`] = Array.from(data.slice(i, i + 4));
  return lit;
});
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
// Where picture pixel (x, y)'s centre is in the viewport, at the canvas's scale.
const canvasBox = (page) => page.locator('canvas').evaluate((c) => JSON.parse(JSON.stringify(c.getBoundingClientRect())));
// The picture must come to show the row, two frames after the move at the
// earliest (so that an old picture cannot pass for it); on a busy machine the
// frames may be a while coming, and how long is not what a row proves.
async function checkRow(page, label, row) {
  const deadline = Date.now() + 15000;
  const frames = await page.evaluate(() => window.frames_drawn);
  await page.waitForFunction((then) => window.frames_drawn >= then + 2, frames, { timeout: 15000 }).catch(() => {});
  let problems;
  while ((problems = problemsWith(await picture(page), row)).length && Date.now() < deadline) await page.waitForTimeout(50);
  check(`${label}: ${row.name}`, problems);
}
async function pointerTable(page, label, pointAt) {
  const box = await canvasBox(page);
  const scale = box.width / 320;
  for (const row of ROWS) {
    await pointAt(Math.round(box.x + row.at[0] * scale + Math.floor(scale / 2)),
                  Math.round(box.y + row.at[1] * scale + Math.floor(scale / 2)));
    await checkRow(page, label, row);
  }
  return box;
}
// One finger, CDP's touch points in viewport pixels; the finger stays down.
async function fingers(page) {
  const cdp = await page.context().newCDPSession(page);
  const down = new Map();
  return async (id, x, y, type = down.has(id) ? 'touchMove' : 'touchStart') => {
    if (type === 'touchEnd') down.delete(id); else down.set(id, { x, y, id });
    await cdp.send('Input.dispatchTouchEvent', { type, touchPoints: [...down.values()] });
  };
}

try {
  const page = await open(await context.newPage());

  // By mouse, at 3x.
  await pointerTable(page, 'mouse at 3x', (x, y) => page.mouse.move(x, y));

  // The keyboard: Tab reaches the canvas, whose focus shows; from the
  // positive source, Shift+Right moves the start ten pixels right.
  await page.keyboard.press('Tab');
  const focus = await page.evaluate(() => [document.activeElement.id, getComputedStyle(document.activeElement).outlineStyle]);
  check('keyboard: Tab focuses the canvas, visibly', focus[0] === 'canvas' && focus[1] !== 'none' ? [] : [`${focus}`]);
  const box = await canvasBox(page);
  await page.mouse.move(box.x + 240 * 3 + 1, box.y + 100 * 3 + 1);
  await page.keyboard.press('Shift+ArrowRight');
  await checkRow(page, 'keyboard', ROWS.find((row) => row.at.join() === '250,100'));

  // Installable, and offline once the service worker holds the site.
  const cdp = await context.newCDPSession(page);
  const installability = (await cdp.send('Page.getInstallabilityErrors')).installabilityErrors;
  check('installable', installability.map((e) => e.errorId));
  await page.evaluate(() => navigator.serviceWorker.ready);
  await context.setOffline(true);
  for (const [name, tab] of [['offline: reload', page], ['offline: new tab', await context.newPage()]]) {
    const ran = await (tab === page ? tab.reload() : open(tab)).then(
      () => tab.waitForFunction(() => window.frames_drawn > 2, null, { timeout: 10000 })).then(() => true, () => false);
    check(name, ran ? [] : ['the program did not run']);
    if (tab !== page) await tab.close();
  }
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
  await page.addScriptTag({ path: createRequire(import.meta.url).resolve('axe-core/axe.min.js') });
  const violations = await page.evaluate(async () => (await window.axe.run()).violations.map((v) => v.id));
  check('axe: no violations', violations);

  // By finger on a phone, held landscape: 1x, the page scrolled; a second
  // finger does not take the line from the first.
  const phone = await newDevice(PHONE);
  await phone.evaluate(() => window.scrollTo(0, document.body.scrollHeight));
  const scrolled = await phone.evaluate(() => window.scrollY);
  check('phone: the page is scrolled', scrolled > 0 ? [] : ['not scrollable']);
  const touch = await fingers(phone);
  const phoneBox = await pointerTable(phone, `finger on a phone at 1x, scrolled ${scrolled} px`, (x, y) => touch(1, x, y));
  check('phone: 1x', phoneBox.width === 320 ? [] : [`${phoneBox.width} px wide`]);
  const middle = ROWS[0];
  await touch(1, phoneBox.x + middle.at[0], phoneBox.y + middle.at[1]);
  await touch(2, phoneBox.x + 10, phoneBox.y + 10);
  await touch(2, phoneBox.x + 300, phoneBox.y + 150);
  await checkRow(phone, 'a second finger', middle);
  await touch(2, 0, 0, 'touchEnd');
  await touch(1, 0, 0, 'touchEnd');
  check('phone: a finger does not scroll the page', await phone.evaluate(() => window.scrollY) === scrolled ? [] : ['scrolled']);

  // By finger on a tablet: 2x.
  const tablet = await newDevice(TABLET);
  const tabletTouch = await fingers(tablet);
  const tabletBox = await pointerTable(tablet, 'finger on a tablet at 2x', (x, y) => tabletTouch(1, x, y));
  check('tablet: 2x', tabletBox.width === 640 ? [] : [`${tabletBox.width} px wide`]);
  // A finger lands anywhere in a pixel: a quarter, a half and three
  // quarters into it, the line starts from that pixel, on the phone too.
  for (const [device, box, touchAt, scale] of [[tablet, tabletBox, tabletTouch, 2], [phone, phoneBox, touch, 1]]) {
    for (const fraction of [0.25, 0.5, 0.75]) {
      for (const row of ROWS.slice(0, 2)) {
        await touchAt(1, box.x + (row.at[0] + fraction) * scale, box.y + (row.at[1] + fraction) * scale);
        await checkRow(device, `finger ${fraction} into a pixel at ${scale}x`, row);
      }
    }
  }
  await phone.context().close();
  await tablet.context().close();

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
    paragraphs: [...document.querySelectorAll('main p:not(#ended)')].map((p) => p.textContent).join(' | '),
    picture: document.querySelector('canvas').getAttribute('aria-label'),
    ended: document.getElementById('ended').dataset.text,
    chooser: document.getElementById('language').textContent,
    footer: document.querySelector('footer').lastChild.textContent.trim(),
  }));
  const reader = await newDevice({ viewport: { width: 1100, height: 800 } });
  const english = await texts(reader);
  await reader.addScriptTag({ path: createRequire(import.meta.url).resolve('axe-core/axe.min.js') });
  for (const language of LANGUAGES.slice(1)) {
    await reader.goto(url + language);
    const own = await texts(reader);
    const tag = language.slice(0, -1);
    const problems = Object.entries(own).filter(([key, text]) => !['lang', 'dir'].includes(key) &&
      (!text || text === english[key])).map(([key]) => `${key} is English or empty`);
    if (own.lang !== tag) problems.push(`lang ${own.lang}`);
    if (own.dir !== (tag === 'ar' ? 'rtl' : 'ltr')) problems.push(`dir ${own.dir}`);
    check(`/${language}: every text translated, lang and dir`, problems);
    await reader.addScriptTag({ path: createRequire(import.meta.url).resolve('axe-core/axe.min.js') });
    check(`/${language}: axe`, await reader.evaluate(async () => (await window.axe.run()).violations.map((v) => v.id)));
    if (tag === 'ar') {
      await reader.waitForFunction(() => window.frames_drawn > 2);
      const transform = await reader.locator('canvas').evaluate((c) => getComputedStyle(c).transform);
      check('/ar/: the canvas is not mirrored', transform === 'none' ? [] : [transform]);
      await pointerTable(reader, 'mouse on the Arabic page', (x, y) => reader.mouse.move(x, y));
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
    ['the first the site has', ['sw', 'ko-KR', 'de'], '', 'ko/'],
    ['Portuguese of Portugal: the base language', ['pt-PT'], '', 'pt-BR/'],
    ['Canadian French', ['fr-CA'], '', 'fr/'],
    ['simplified Chinese', ['zh-CN'], '', 'zh-CN/'],
    ['Chinese of Taiwan: not simplified', ['zh-TW'], '', ''],
    ['Chinese of Hong Kong, then simplified', ['zh-HK', 'zh-CN'], '', 'zh-CN/'],
    ['?lang= over the browser', ['de'], '?lang=es', 'es/'],
    ['?lang=en over the browser', ['de'], '?lang=en', '?lang=en'],
    ['a shared link over the browser', ['de'], 'ja/', 'ja/'],
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
  // The chooser: from the keyboard, and remembered for the site's root.
  const chooserTab = await (await browser.newContext()).newPage();
  await chooserTab.goto(url + 'de/');
  await chooserTab.locator('nav a[hreflang=es]').focus();
  await chooserTab.keyboard.press('Enter');
  await chooserTab.waitForURL(url + 'es/');
  await chooserTab.goto(url);
  await chooserTab.waitForFunction(() => document.readyState === 'complete');
  check('chooser: Enter on Español, then the root gives Spanish', chooserTab.url() === url + 'es/' ? [] : [chooserTab.url()]);
  await chooserTab.context().close();

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
  server.close();
  rmSync(profile, { recursive: true, force: true });
}
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed === 0 ? 0 : 1);
