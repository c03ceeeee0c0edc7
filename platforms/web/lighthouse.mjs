// Lighthouse on the served site, with its mobile and desktop presets, three
// runs each: fails when a category's median is below its floor (the machine
// is noisy, and a single run's performance score swings), or when a first
// visit's bytes or requests, which load cannot move, exceed the budget.
// Usage: node platforms/web/lighthouse.mjs SITE_DIR [PAGE...]   (pages as paths: ar/; the root's by default)
// (VERBOSE=1 lists each request the budget counts.)
import { existsSync } from 'node:fs';
import * as chromeLauncher from 'chrome-launcher';
import lighthouse from 'lighthouse';
import desktopConfig from 'lighthouse/core/config/desktop-config.js';
import { serve } from './serve.mjs';

// Performance is partly a measure of the machine: on a busy one, total
// blocking time (30 % of the score) goes to nothing and medians fall to 70
// (67 to 81 a run, measured), against 98 to 100 on a quiet one. The floor
// sits below that, where it still catches what the rest of the score
// weighs (largest paint, layout shift, first paint): a regression there
// costs 10 to 25 points even on a busy machine.
const FLOORS = {
  mobile: { performance: 60, accessibility: 100, 'best-practices': 100, seo: 100 },
  desktop: { performance: 60, accessibility: 100, 'best-practices': 100, seo: 100 },
};
const RUNS = 3;
// A first visit: the page, its script, style and program, the manifest and
// icons; not what the service worker copies afterwards for offline use.
const BUDGET = { bytes: 56000, requests: 12 };

const server = await serve(process.argv[2], 0);
const pages = process.argv.length > 3 ? process.argv.slice(3) : [''];
const chrome = await chromeLauncher.launch({
  chromePath: ['/usr/bin/chromium'].find(existsSync),
  chromeFlags: ['--headless=new', '--no-sandbox', '--disable-gpu', '--disable-background-networking',
    '--disable-component-update', '--disable-sync', '--host-resolver-rules=MAP * ~NOTFOUND, EXCLUDE 127.0.0.1'],
});
let failures = 0;
try {
  for (const [page, [preset, config]] of pages.flatMap((page) => [['mobile', undefined], ['desktop', desktopConfig]]
    .map((run) => [page, run]))) {
    const url = `http://127.0.0.1:${server.address().port}/${page}`;
    const scores = {};
    for (let run = 0; run < RUNS; run++) {
      const { lhr } = await lighthouse(url, { port: chrome.port, output: 'json', logLevel: 'error' }, config);
      for (const [id, category] of Object.entries(lhr.categories)) (scores[id] ??= []).push(Math.round(category.score * 100));
      // Requests the page made (the worker's own copying has no frame).
      const requests = lhr.audits['network-requests'].details.items.filter((item) => !item.sessionTargetType ||
        item.sessionTargetType === 'page');
      const bytes = requests.reduce((sum, item) => sum + item.transferSize, 0);
      const within = bytes <= BUDGET.bytes && requests.length <= BUDGET.requests;
      if (!within) failures++;
      if (process.env.VERBOSE) for (const item of requests) console.log(`  ${item.url} ${item.transferSize} ${item.resourceType} ${item.sessionTargetType}`);
      console.log(`${within ? 'ok' : 'FAIL'}: /${page} ${preset} run ${run + 1}: first visit ${bytes} bytes in ${requests.length} ` +
        `requests (at most ${BUDGET.bytes} in ${BUDGET.requests}; total-byte-weight ${lhr.audits['total-byte-weight'].numericValue})`);
      // Audits that failed and count for something, for the reader of a low score.
      const failing = Object.values(lhr.audits).filter((a) => a.score !== null && a.score < 0.9 &&
        Object.values(lhr.categories).some((c) => c.auditRefs.some((r) => r.id === a.id && r.weight > 0)));
      if (failing.length) console.log(`  /${page} ${preset} run ${run + 1}: below 0.9: ${failing.map((a) => `${a.id} ${a.displayValue ?? a.score}`).join(', ')}`);
    }
    for (const [id, floor] of Object.entries(FLOORS[preset])) {
      const sorted = scores[id].slice().sort((a, b) => a - b);
      const median = sorted[Math.floor(sorted.length / 2)];
      const ok = median >= floor;
      if (!ok) failures++;
      console.log(`${ok ? 'ok' : 'FAIL'}: /${page} ${preset} ${id}: median ${median} of ${scores[id].join(', ')} (at least ${floor})`);
    }
  }
} finally {
  await chrome.kill();
  server.close();
}
process.exit(failures === 0 ? 0 : 1);
