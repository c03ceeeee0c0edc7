// The service worker: keeps every file of the site in a cache named after
// the build, and answers from it, so that fieldline runs with no network.
// A new build has a new name, so browsers install it beside the old one and
// drop the old cache once no page uses it. CMake fills in the name and files.
const CACHE = 'fieldline-@SITE_VERSION@';
const FILES = ['./', @SITE_FILES@];

self.addEventListener('install', (event) => {
  // Past the browser's HTTP cache, so that the files are this build's.
  event.waitUntil(caches.open(CACHE).then((cache) =>
    cache.addAll(FILES.map((file) => new Request(file, { cache: 'reload' })))));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys().then((names) => Promise.all(names
    .filter((name) => name.startsWith('fieldline-') && name !== CACHE)
    .map((name) => caches.delete(name)))));
});

self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET') return;
  event.respondWith(caches.open(CACHE)
    .then((cache) => cache.match(event.request, { ignoreSearch: true }))
    .then((hit) => hit ?? fetch(event.request)));
});
