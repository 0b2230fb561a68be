// What the browser tests, the measurements and the screenshots share: the built site served on
// 127.0.0.1 by a small static server, and Debian's Chromium driven by Playwright.
import { createServer } from 'node:http';
import { readFile, stat } from 'node:fs/promises';
import { extname, join, normalize, resolve, sep } from 'node:path';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';

const here = fileURLToPath(new URL('.', import.meta.url));
export const sourceRoot = resolve(here, '..', '..');
// The site built by scripts/build-web.sh, or the one named by KV410_SITE.
export const siteDir = resolve(process.env.KV410_SITE ?? join(sourceRoot, 'build', 'web', 'site'));

const types = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.wasm': 'application/wasm',
  '.png': 'image/png',
  '.ttf': 'font/ttf',
  '.woff2': 'font/woff2',
  '.txt': 'text/plain; charset=utf-8',
  '.svg': 'image/svg+xml',
  '.webmanifest': 'application/manifest+json',
};

// Serves `root` on 127.0.0.1 at a free port, each file read once and then answered from memory
// as a static host's cache does; returns { url, close, requests } where requests lists every path
// asked for.
export async function serveSite(root = siteDir) {
  const requests = [];
  const cache = new Map();
  const server = createServer(async (request, response) => {
    const path = decodeURIComponent(new URL(request.url, 'http://127.0.0.1').pathname);
    const file = normalize(join(root, path.endsWith('/') ? `${path}index.html` : path));
    requests.push(path);
    try {
      if (!file.startsWith(root + sep) || !(await stat(file)).isFile()) {
        throw new Error('not a file of the site');
      }
      if (!cache.has(file)) {
        cache.set(file, await readFile(file));
      }
      const body = cache.get(file);
      response.writeHead(200, {
        'Content-Type': types[extname(file)] ?? 'application/octet-stream',
        'Content-Length': body.length,
        'Cache-Control': 'no-store',
      });
      response.end(body);
    } catch {
      response.writeHead(404, { 'Content-Type': 'text/plain' });
      response.end('not found');
    }
  });
  await new Promise((done) => server.listen(0, '127.0.0.1', done));
  const { port } = server.address();
  return {
    url: `http://127.0.0.1:${port}/`,
    requests,
    close: () => new Promise((done) => server.close(done)),
  };
}

export const chromiumPath = process.env.KV410_CHROMIUM ?? '/usr/bin/chromium';

// Debian's Chromium, headless (Playwright gives it a fresh profile of its own). newContext() makes
// a context with storage of its own.
export async function launchChromium() {
  const browser = await chromium.launch({
    executablePath: chromiumPath,
    headless: true,
    args: ['--no-sandbox', '--headless', '--disable-gpu', '--disable-background-networking',
      '--disable-component-update', '--disable-sync', '--no-first-run'],
  });
  return {
    browser,
    newContext: (options = {}) => browser.newContext({
      acceptDownloads: true,
      viewport: { width: 1000, height: 760 },
      ...options,
    }),
    close: () => browser.close(),
  };
}

// The four LCD lines as the page shows them.
export async function lcdLines(page) {
  return page.$$eval('.lcd-line', (lines) => lines.map((line) => line.textContent));
}

// Waits until LCD line n (1..4) reads `text` exactly.
export async function waitForLcd(page, n, text, timeout = 20000) {
  await page.waitForFunction(([id, want]) => document.getElementById(id)?.textContent === want,
    [`Lbl${n}`, text], { timeout });
}

// Waits until the unit has started and painted its LCD.
export async function waitForStart(page) {
  await page.waitForFunction(() => document.getElementById('Lbl1')?.textContent.length === 20);
}
