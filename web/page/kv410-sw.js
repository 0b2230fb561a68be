// The page's service worker: the files the page uses are kept in a cache when it is installed (the
// large icons of an installed app are kept once the browser asks for them), and
// each request goes to the network first and to the cache when the network fails, so a reload
// without the network shows the page as last seen and a reload with it shows the newest.
'use strict';

const CacheName = 'kv410-site';
const Knobs = Array.from({ length: 12 }, (_, i) => `art/ID_RATT${String(i + 1).padStart(2, '0')}.png`);
const SiteFiles = ['./', 'kv410-page.css', 'kv410-layout.css', 'kv410-page.js',
  'kv410.js', 'kv410.wasm', 'manifest.webmanifest', 'fonts/LiberationMono-Bold.ttf',
  'art/Image1.png', 'icons/kv410-32.png', 'icons/kv410.svg', 'lessons/index.json', ...Knobs];

// The lessons named in lessons/index.json, each kept with the site.
function lessonFiles(cache) {
  return cache.match('lessons/index.json').then((response) => response ? response.json() : [])
    .then((lessons) => cache.addAll(lessons.map((lesson) => `lessons/${lesson.name}.kvs`)))
    .catch(() => {});
}

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(CacheName).then((cache) => cache.addAll(SiteFiles)
    .then(() => lessonFiles(cache)))
    .then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(self.clients.claim());
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
