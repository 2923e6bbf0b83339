// The web app's worker: keeps the app's few files, so that it opens and
// converts with no network. The page holds the whole program, so the kept
// copy is answered first; a new build brings a new worker (its cache name
// changes), which takes over at once and drops the old copy.
const CACHE = 'quadrangler-@VERSION@';
const FILES = ['./' /* @FILES@ */];

self.addEventListener('install', (event) => {
  // From the host, never from the browser's HTTP cache: that may hold the
  // build before.
  const fresh = FILES.map((file) => new Request(file, { cache: 'reload' }));
  event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(fresh)).then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((name) => name.startsWith('quadrangler-') && name !== CACHE)
      .map((name) => caches.delete(name))))
    .then(() => self.clients.claim()));
});

// The page may be asked for by any name (index.html, a query): it is the one
// page kept.
self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET') return;
  event.respondWith((async () => {
    const cache = await caches.open(CACHE);
    const kept = (await cache.match(event.request, { ignoreSearch: true }))
      ?? (event.request.mode === 'navigate' ? await cache.match('./') : undefined);
    return kept ?? fetch(event.request);
  })());
});
