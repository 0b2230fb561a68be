// The page's service worker, so that a reload without the network shows the page as last seen
// and a reload with it the newest: each request goes to the network first, and its answer is kept
// in a cache that answers when the network fails. Installed on the first visit it keeps the files
// the page has just loaded, taken from the browser's HTTP cache where a host lets it keep them
// (cache: 'force-cache'), so the visit fetches nothing more; the rest of the site (the knob's other
// frames, the manifest, the PNG favicon beside the SVG one browsers take, the lessons) is kept on
// a later visit, when the page asks for it ('keep-the-rest').
'use strict';

const CacheName = 'kv410-site';
const knobFrame = (i) => `art/ID_RATT${String(i).padStart(2, '0')}.png`;
const PageFiles = ['./', 'kv410-page.css', 'kv410-layout.css', 'kv410-page.js',
  'kv410.js', 'kv410.wasm', 'fonts/LiberationMono-Bold.woff2', 'art/Image1.png', knobFrame(1),
  'icons/kv410.svg'];
const LaterFiles = ['manifest.webmanifest', 'icons/kv410-32.png',
  ...Array.from({ length: 11 }, (_, i) => knobFrame(i + 2))];

const fromHttpCache = (url) => new Request(url, { cache: 'force-cache' });

// The lessons named in lessons/index.json, each kept with the site.
const lessonFiles = (cache) => cache.add(fromHttpCache('lessons/index.json'))
  .then(() => cache.match('lessons/index.json'))
  .then((response) => (response ? response.json() : []))
  .then((lessons) => Promise.all(lessons.map((lesson) => `lessons/${lesson.name}.kvs`)
    .map((url) => cache.add(fromHttpCache(url)))));

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(CacheName).then((cache) => cache.addAll(PageFiles.map(fromHttpCache)))
    .then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(self.clients.claim());
});

self.addEventListener('message', (event) => {
  if (event.data !== 'keep-the-rest') {
    return;
  }
  event.waitUntil(caches.open(CacheName).then((cache) => Promise.all(LaterFiles.map(
    async (url) => {
      if (!(await cache.match(url))) {
        await cache.add(fromHttpCache(url));
      }
    })).then(() => lessonFiles(cache))).catch(() => {}));
});

self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) {
    return;
  }
  event.respondWith(fetch(request).then((response) => {
    if (response.ok) {
      const copy = response.clone();
      caches.open(CacheName).then((cache) => cache.put(request, copy));
    }
    return response;
  }, () => caches.match(request, { ignoreSearch: true }).then((cached) =>
    cached ?? Response.error())));
});
