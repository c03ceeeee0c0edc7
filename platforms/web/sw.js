// The service worker: keeps every file of the site in a cache named after
// the build, and answers from it, so that fieldline runs with no network.
// A new build has a new name: its worker takes over as soon as it holds the
// whole site, rather than wait for every tab to close (there is no state to
// lose), and drops the old build's cache; a page it takes over while still
// loading loads again (page.js). CMake fills in the name and files.
const CACHE = 'fieldline-@SITE_VERSION@';
const FILES = ['./', @SITE_FILES@];

self.addEventListener('install', (event) => {
  // Past the browser's HTTP cache, so that the files are this build's.
  event.waitUntil(caches.open(CACHE).then((cache) =>
    cache.addAll(FILES.map((file) => new Request(file, { cache: 'reload' }))))
    .then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys().then((names) => Promise.all(names
    .filter((name) => name.startsWith('fieldline-') && name !== CACHE)
    .map((name) => caches.delete(name))))
    .then(() => self.clients.claim()));
});

self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET') return;
  // This build's cache only: never another build's file, and never a cache
  // made anew under a name the next build has deleted.
  event.respondWith(caches.match(event.request, { cacheName: CACHE, ignoreSearch: true })
    .then((hit) => hit ?? fetch(event.request)));
});
