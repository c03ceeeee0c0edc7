// The browser build in headless Chromium, offline: the window test's pointer
// table on the page's canvas, the picture's colours, held Escape, a clean
// console; then the frame rate and each frame's cost.
// Usage: node platforms/web/browser_test.mjs BUILD_WEB_DIR POINTER_CASES_FILE
import { readFileSync, existsSync } from 'node:fs';
import { chromium } from 'playwright-core';
import { serve } from './serve.mjs';

const [folder, casesFile] = process.argv.slice(2);
const MARKERS = ['240,100', '240,66', '80,100'];
const SCALE = 3; // the page shows the picture three times enlarged

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
const browser = await chromium.launch({
  executablePath: ['/usr/lib/chromium/chromium', '/usr/bin/chromium'].find(existsSync),
  args: [
    ...(process.getuid?.() === 0 ? ['--no-sandbox'] : []),
    '--disable-gpu', '--no-first-run', '--disable-background-networking',
    '--disable-component-update', '--disable-sync',
    // Nothing but the loopback server is ever looked up.
    '--host-resolver-rules=MAP * ~NOTFOUND, EXCLUDE 127.0.0.1',
  ],
});
try {
  const page = await browser.newPage({ viewport: { width: 1100, height: 800 } });
  const errors = [];
  page.on('console', (message) => message.type() === 'error' && errors.push(message.text()));
  page.on('pageerror', (error) => errors.push(String(error)));
  // Counts the program's frames and times each one, from outside: a frame
  // runs from the animation frame that wakes the loop to its next request.
  await page.addInitScript(() => {
    const request = window.requestAnimationFrame.bind(window);
    window.plain_request = request;
    window.frames_drawn = 0;
    window.frame_costs = [];
    let woke = null;
    window.requestAnimationFrame = (callback) => {
      if (woke !== null) window.frame_costs.push(performance.now() - woke);
      window.frames_drawn++;
      return request((time) => { woke = performance.now(); callback(time); });
    };
  });
  await page.goto(`http://127.0.0.1:${server.address().port}/`);
  await page.waitForFunction(() => window.frames_drawn > 2, null, { timeout: 20000 });

  const canvas = await page.locator('canvas').boundingBox();
  const pointAt = async (x, y) => {
    await page.mouse.move(canvas.x + x * SCALE + 1, canvas.y + y * SCALE + 1);
    await page.waitForTimeout(200);
  };
  // "x,y" -> [red, green, blue, alpha] of every pixel that is not opaque black.
  const picture = async () => page.evaluate(() => {
    const data = document.querySelector('canvas').getContext('2d').getImageData(0, 0, 320, 200).data;
    const lit = {};
    for (let i = 0; i < data.length; i += 4)
      if (data[i] || data[i + 1] || data[i + 2] || data[i + 3] !== 255)
        lit[`${(i / 4) % 320},${Math.floor(i / 4 / 320)}`] = Array.from(data.slice(i, i + 4));
    return lit;
  });
  const problemsWith = (lit, yellow) => {
    const problems = [];
    const colour = (p) => (lit[p] ?? [0, 0, 0, 255]).join(',');
    for (const [p, rgba] of Object.entries(lit)) {
      const c = rgba.join(',');
      if (c === '255,255,255,255' ? !MARKERS.includes(p) : c !== '255,255,0,255')
        problems.push(`stray ${c} at ${p}`);
    }
    if (Object.keys(lit).length > 203) problems.push(`${Object.keys(lit).length} lit pixels`);
    for (const p of MARKERS) if (colour(p) !== '255,255,255,255') problems.push(`no marker at ${p}`);
    for (const p of yellow) if (colour(p) !== '255,255,0,255') problems.push(`not yellow: ${p}`);
    return problems;
  };

  const rows = readFileSync(casesFile, 'utf8').split('\n').filter((l) => l && !l.startsWith('#'));
  for (const row of rows) {
    const [name, pointer, yellow, count] = row.split('|');
    const [x, y] = pointer.split(' ').map(Number);
    await pointAt(x, y);
    const lit = await picture();
    check(name, problemsWith(lit, yellow.split(' ').filter(Boolean)));
    if (count) check(`${name}: ${count} lit pixels`, Object.keys(lit).length === Number(count) ? [] : [`${Object.keys(lit).length} lit`]);
  }

  // Figures: five seconds with the full line from (160, 100), against the
  // animation frames the page was given in the same time.
  await pointAt(160, 100);
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
    return { frames: window.frames_drawn - first, ticks, seconds,
             median: costs[Math.floor(costs.length / 2)], slowest: costs[costs.length - 1] };
  });
  console.log(`frames drawn: ${figures.frames} of ${figures.ticks} animation frames in ` +
    `${figures.seconds.toFixed(2)} s (${(figures.frames / figures.seconds).toFixed(1)} frames/s); frame cost: median ` +
    `${figures.median.toFixed(3)} ms, slowest ${figures.slowest.toFixed(3)} ms`);

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
  check('no console errors', errors);
} finally {
  await browser.close();
  server.close();
}
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed === 0 ? 0 : 1);
