// The web app's worker: keeps the app's few files, so that it opens and
// converts with no network. The page holds the whole program, so the kept
// copy is answered first; a new build brings a new worker (its cache name
// changes), which takes over at once and drops the old copy. Its caches are
// named for its folder too: copies in other folders of the same host (a
// test build beside the one in use) keep theirs.
const FOLDER = self.registration.scope;
const PREFIX = `quadrangler ${FOLDER} `;
const CACHE = `${PREFIX}@VERSION@`;
const FILES = ['./' /* @FILES@ */];
const OWN = new Set([...FILES, 'index.html'].map((file) => new URL(file, FOLDER).href));

self.addEventListener('install', (event) => {
  // From the host, never from the browser's HTTP cache: that may hold the
  // build before.
  const fresh = FILES.map((file) => new Request(file, { cache: 'reload' }));
  event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(fresh)).then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((name) => name.startsWith(PREFIX) && name !== CACHE)
      .map((name) => caches.delete(name))))
    .then(() => self.clients.claim()));
});

// Only the app's own files, by any query: every other page of the host is
// the host's. The folder and its index.html are the one page kept.
self.addEventListener('fetch', (event) => {
  const url = new URL(event.request.url);
  url.search = '';
  url.hash = '';
  if (event.request.method !== 'GET' || !OWN.has(url.href)) return;
  event.respondWith((async () => {
    const cache = await caches.open(CACHE);
    const name = url.href === new URL('index.html', FOLDER).href ? './' : url.href;
    return (await cache.match(name)) ?? fetch(event.request);
  })());
});
