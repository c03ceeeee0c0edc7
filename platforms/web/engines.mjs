// The three browser engines a class uses, behind one small set of verbs,
// so that the browser test's table runs the same rows in each: Chromium
// through playwright, Firefox (Debian's firefox-esr) through puppeteer over
// WebDriver BiDi, and WebKit (WebKitGTK's MiniBrowser) through its
// WebDriver, in an Xvfb of its own. Positions are CSS pixels of the viewport.
//
// A tab: goto(url), evaluate(fn, arg), evaluateInFrame(fn, arg) (in the
// page's first iframe, of any origin), move(x, y), click(x, y),
// press(key, shift), down(key), up(key), touch(id, x, y, type), close().
// An engine: newTab({ width, height, touch, mobile, scale, script }),
// errors (console errors and warnings, uncaught exceptions), close(), and
// what it can do (noScript: a tab with JavaScript off).
import { spawn } from 'node:child_process';
import { createServer } from 'node:net';
import puppeteer from 'puppeteer-core';

const settle = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// The verbs playwright's and puppeteer's pages share.
const pageVerbs = (page) => ({
  page,
  goto: (url) => page.goto(url),
  evaluate: (fn, arg) => page.evaluate(fn, arg),
  evaluateInFrame: (fn, arg) => page.frames().find((frame) => frame.parentFrame()).evaluate(fn, arg),
  move: (x, y) => page.mouse.move(x, y),
  click: (x, y) => page.mouse.click(x, y),
  async press(key, shift) {
    if (shift) await page.keyboard.down('Shift');
    await page.keyboard.press(key);
    if (shift) await page.keyboard.up('Shift');
  },
  down: (key) => page.keyboard.down(key),
  up: (key) => page.keyboard.up(key),
});

// Chromium: contexts of a browser the test has launched; touches through
// the DevTools protocol, which takes fractional positions.
export function chromiumEngine(browser) {
  const errors = [];
  return {
    // Headless Chromium has no browser frame to take Escape out of full
    // screen, as Chrome's does.
    name: 'Chromium', errors, fractionalTouch: true, escapeLeavesFullScreen: false, noScript: true,
    async newTab({ width, height, touch = false, mobile = touch, scale = 1, script = true }) {
      const context = await browser.newContext({ viewport: { width, height }, hasTouch: touch, isMobile: mobile,
        deviceScaleFactor: scale, javaScriptEnabled: script });
      const page = await context.newPage();
      return chromiumTab(page, errors);
    },
    async close() {},
  };
}
export function chromiumTab(page, errors) {
  // The course page's stand-in, an image of the site, has Chromium ask for
  // a /favicon.ico the site does without (its pages name their icon).
  page.on('console', (message) => ['error', 'warning'].includes(message.type()) &&
    !message.location().url.endsWith('/favicon.ico') && errors.push(message.text()));
  page.on('pageerror', (error) => errors.push(String(error)));
  const down = new Map();
  let cdp = null;
  return {
    ...pageVerbs(page),
    async touch(id, x, y, type = down.has(id) ? 'touchMove' : 'touchStart') {
      cdp ??= await page.context().newCDPSession(page);
      if (type === 'touchEnd') down.delete(id); else down.set(id, { x, y, id });
      await cdp.send('Input.dispatchTouchEvent', { type, touchPoints: [...down.values()] });
    },
    close: () => page.context().close(),
  };
}

// Firefox: real touches from puppeteer's touchscreen; Firefox passes them
// on at whole CSS pixels. JavaScript is off only for a whole browser, by
// its preference: a tab without it is a browser of its own.
export async function firefoxEngine() {
  const launch = (prefs = {}) => puppeteer.launch({
    browser: 'firefox', executablePath: '/usr/bin/firefox-esr', headless: true, extraPrefsFirefox: prefs,
  });
  const browser = await launch();
  const errors = [];
  return {
    name: 'Firefox', errors, fractionalTouch: false, escapeLeavesFullScreen: true, noScript: true,
    async newTab({ width, height, touch = false, scale = 1, script = true }) {
      const scriptless = script ? null : await launch({ 'javascript.enabled': false });
      const context = await (scriptless ?? browser).createBrowserContext();
      const page = await context.newPage();
      page.on('console', (message) => ['error', 'warn'].includes(message.type()) && errors.push(message.text()));
      page.on('pageerror', (error) => errors.push(String(error)));
      await page.setViewport({ width, height, hasTouch: touch, deviceScaleFactor: scale });
      const fingers = new Map();
      return {
        ...pageVerbs(page),
        async touch(id, x, y, type = fingers.has(id) ? 'touchMove' : 'touchStart') {
          if (type === 'touchStart') fingers.set(id, await page.touchscreen.touchStart(x, y));
          else if (type === 'touchMove') await fingers.get(id).move(x, y);
          else { await fingers.get(id)?.end(); fingers.delete(id); }
        },
        close: () => (scriptless ?? context).close(),
      };
    },
    close: () => browser.close(),
  };
}

// WebKit: WebKitWebDriver starts MiniBrowser in an Xvfb of its own. Window
// sizes there are the outer window's, so the viewport is set by what the
// page measures. WebKitGTK reports no touch support and turns WebDriver
// touch actions into mouse events: touches are built in the page with
// document.createTouch and createTouchList, at whole CSS pixels, and
// dispatched on the element under them. That proves the page's handling of
// touches in WebKit's layout, not WebKit's delivery of a real finger. Its
// console cannot be read in automation: messages and uncaught exceptions are
// caught in the page from when each page has loaded.
const MINIBROWSER = '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser';
const KEYS = { Shift: '\uE008', Escape: '\uE00C', Tab: '\uE004', Enter: '\uE007',
  ArrowLeft: '\uE012', ArrowUp: '\uE013', ArrowRight: '\uE014', ArrowDown: '\uE015' };
export async function webkitEngine() {
  const xvfb = spawn('Xvfb', ['-displayfd', '3', '-noreset', '-nolisten', 'tcp', '-screen', '0', '2560x1600x24'],
    { stdio: ['ignore', 'ignore', 'ignore', 'pipe'] });
  const display = await new Promise((resolve) => xvfb.stdio[3].once('data', (line) => resolve(`:${String(line).trim()}`)));
  // A free port: the one the system gives a listener, given back.
  const port = await new Promise((resolve) => {
    const probe = createServer().listen(0, '127.0.0.1', () => { const { port } = probe.address(); probe.close(() => resolve(port)); });
  });
  const driver = spawn('WebKitWebDriver', [`--port=${port}`], { env: { ...process.env, DISPLAY: display }, stdio: 'ignore' });
  const request = async (method, path, body) => {
    const reply = await (await fetch(`http://127.0.0.1:${port}${path}`, {
      method, headers: { 'content-type': 'application/json' }, body: body && JSON.stringify(body) })).json();
    if (reply.value?.error) throw new Error(`WebDriver ${path}: ${reply.value.error}: ${reply.value.message}`);
    return reply.value;
  };
  let session = null;
  for (let tries = 0; !session; tries++) {
    // The capability browserName: MiniBrowser is refused; --automation must
    // be among the browser's arguments once any are given.
    session = await request('POST', '/session', { capabilities: { alwaysMatch: {
      'webkitgtk:browserOptions': { binary: MINIBROWSER, args: ['--automation'] } } } })
      .catch((error) => { if (tries > 50) throw error; return settle(200).then(() => null); });
  }
  const at = (path) => `/session/${session.sessionId}${path}`;
  // With no window manager nothing gives MiniBrowser's window the focus, and
  // WebKit matches no :focus in a window without it: given, as a user's
  // click on the window would.
  await new Promise((resolve) => spawn('xdotool', ['search', '--sync', '--onlyvisible', '--class', 'MiniBrowser', 'windowfocus', '--sync'],
    { env: { ...process.env, DISPLAY: display }, stdio: 'ignore' }).on('exit', resolve));
  const errors = [];
  const evaluate = async (fn, arg) => {
    const reply = await request('POST', at('/execute/async'), { args: [arg ?? null], script:
      `const done = arguments[1]; Promise.resolve((${fn})(arguments[0])).then(
         (value) => done({ value: value === undefined ? null : value }), (error) => done({ error: String(error) }));` });
    if ('error' in reply) throw new Error(reply.error);
    return reply.value;
  };
  const catchErrors = () => evaluate(() => {
    if (window.caught_errors) return;
    window.caught_errors = [];
    for (const kind of ['error', 'warn']) {
      const plain = console[kind].bind(console);
      console[kind] = (...text) => { window.caught_errors.push(text.join(' ')); plain(...text); };
    }
    window.addEventListener('error', (event) => window.caught_errors.push(String(event.message)));
    window.addEventListener('unhandledrejection', (event) => window.caught_errors.push(String(event.reason)));
  });
  const gather = async () => errors.push(...await evaluate(() => (window.caught_errors ?? []).splice(0)).catch(() => []));
  const actions = (list) => request('POST', at('/actions'), { actions: list });
  const mouse = (steps) => actions([{ type: 'pointer', id: 'mouse', parameters: { pointerType: 'mouse' }, actions: steps }]);
  const keys = (steps) => actions([{ type: 'key', id: 'keyboard', actions: steps }]);
  const key = (name) => KEYS[name] ?? name;
  const fingers = new Map();
  const tab = {
    async goto(url) {
      await gather();
      await request('POST', at('/url'), { url });
      await catchErrors();
    },
    evaluate,
    async evaluateInFrame(fn, arg) {
      await request('POST', at('/frame'), { id: 0 });
      try {
        return await evaluate(fn, arg);
      } finally {
        await request('POST', at('/frame/parent'), {});
      }
    },
    move: (x, y) => mouse([{ type: 'pointerMove', x: Math.round(x), y: Math.round(y), origin: 'viewport', duration: 0 }]),
    click: (x, y) => mouse([{ type: 'pointerMove', x: Math.round(x), y: Math.round(y), origin: 'viewport', duration: 0 },
      { type: 'pointerDown', button: 0 }, { type: 'pointerUp', button: 0 }]),
    press: (name, shift) => keys([
      ...(shift ? [{ type: 'keyDown', value: KEYS.Shift }] : []),
      { type: 'keyDown', value: key(name) }, { type: 'keyUp', value: key(name) },
      ...(shift ? [{ type: 'keyUp', value: KEYS.Shift }] : [])]),
    down: (name) => keys([{ type: 'keyDown', value: key(name) }]),
    up: (name) => keys([{ type: 'keyUp', value: key(name) }]),
    async touch(id, x, y, type = fingers.has(id) ? 'touchMove' : 'touchStart') {
      if (type === 'touchEnd') fingers.delete(id); else fingers.set(id, [x, y]);
      await evaluate(({ id, x, y, type, down }) => {
        // The element under the first finger, through any iframes on the
        // way, with the offset of the document it is in.
        if (type === 'touchStart' && down.length === 1) {
          let [view, left, top, target] = [window, 0, 0, document.elementFromPoint(x, y)];
          while (target?.contentDocument) {
            const box = target.getBoundingClientRect();
            [view, left, top] = [target.contentWindow, left + box.left + target.clientLeft, top + box.top + target.clientTop];
            target = view.document.elementFromPoint(x - left, y - top);
          }
          window.touched = { view, left, top, target };
        }
        const { view, left, top, target } = window.touched;
        const make = ([finger, fx, fy]) => view.document.createTouch(view, target, finger,
          fx - left + view.scrollX, fy - top + view.scrollY, fx, fy);
        const touches = down.map(make);
        target.dispatchEvent(new view.TouchEvent(type.toLowerCase(), { bubbles: true, cancelable: true, view,
          touches: view.document.createTouchList(...touches), targetTouches: view.document.createTouchList(...touches),
          changedTouches: view.document.createTouchList(make([id, x, y])) }));
      }, { id, x, y, type, down: [...fingers].map(([finger, [fx, fy]]) => [finger, fx, fy]) });
    },
    close: () => gather(),
  };
  let frame = null;
  return {
    name: 'WebKit', errors, fractionalTouch: false, escapeLeavesFullScreen: true,
    async newTab({ width, height }) {
      // The outer window is set, then grown by what the viewport lacks.
      frame ??= await (async () => {
        await request('POST', at('/window/rect'), { width: 1000, height: 800 });
        const [innerWidth, innerHeight] = await evaluate(() => [window.innerWidth, window.innerHeight]);
        return [1000 - innerWidth, 800 - innerHeight];
      })();
      await request('POST', at('/window/rect'), { width: width + frame[0], height: height + frame[1] });
      fingers.clear();
      return tab;
    },
    async close() {
      await gather();
      await request('DELETE', at('')).catch(() => {});
      driver.kill();
      xvfb.kill();
    },
  };
}
