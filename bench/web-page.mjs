// The web page's start and size, from a local server in headless Chromium (Debian's):
//   - first LCD frame: from the start of the navigation to the first frame that shows the LCD's
//     text in its font (the page's performance mark "kv410-first-lcd-frame"), each run in a fresh
//     browser context (a first visit: nothing cached, a new renderer), then once more by a reload
//     in that context (the server forbids caching, so every file is fetched again); target
//     <= 300 ms for the first visit; beside it, for scale, the first frame of a page that holds
//     only the front's picture, in the same browser;
//   - bytes transferred: every file the page loads, compressed with gzip as a static host would;
//     target <= 200 KB (the service worker's copies of the site included).
// Usage: node bench/web-page.mjs [runs]   (the site of scripts/build-web.sh, or KV410_SITE)
// Needs playwright-core: npm ci --prefix tests/web
import { gzipSync } from 'node:zlib';
import { copyFile, mkdtemp, readFile, rm, writeFile } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { launchChromium, serveSite, siteDir } from '../tests/web/harness.mjs';

const runs = Number(process.argv[2] ?? 15);
const site = await serveSite();
// The floor: a page with only the picture, marking its first frame the same way.
const floorDir = await mkdtemp(join(tmpdir(), 'kv410-floor-'));
await copyFile(join(siteDir, 'art', 'Image1.png'), join(floorDir, 'Image1.png'));
await writeFile(join(floorDir, 'index.html'), '<!doctype html><title>floor</title>' +
  '<img src="Image1.png" width="800" height="600" alt="">' +
  '<script>requestAnimationFrame(() => performance.mark("kv410-first-lcd-frame"))</script>');
const floorSite = await serveSite(floorDir);
const floor = [];
const chromium = await launchChromium();
const times = [];
const reloads = [];
const steps = [];
const firstFrame = async (page) => (await page.waitForFunction(() => {
  const [entry] = performance.getEntriesByName('kv410-first-lcd-frame');
  return entry ? entry.startTime : false;
}, null, { timeout: 10000 })).jsonValue();
let loaded = [];
try {
  for (let run = 0; run < runs; ++run) {
    const context = await chromium.newContext();
    const page = await context.newPage();
    site.requests.length = 0;
    await page.goto(site.url);
    times.push(await firstFrame(page));
    steps.push(await page.evaluate(() => {
      const at = (name) => performance.getEntriesByName(name)[0]?.startTime ?? NaN;
      const resource = (path) => performance.getEntriesByName(new URL(path, location.href).href)[0];
      const wasm = resource('kv410.wasm');
      const nav = performance.getEntriesByType('navigation')[0];
      return {
        html: nav.responseEnd,
        wasm: wasm ? wasm.responseEnd : NaN,
        module: at('kv410-module-ready'),
        text: at('kv410-first-lcd-text'),
      };
    }));
    // The knob's first frame and the font are fetched after the start; let them arrive.
    await page.waitForLoadState('networkidle');
    loaded = [...site.requests];
    await page.reload();
    reloads.push(await firstFrame(page));
    await context.close();
    const floorContext = await chromium.newContext();
    const floorPage = await floorContext.newPage();
    await floorPage.goto(floorSite.url);
    floor.push(await firstFrame(floorPage));
    await floorContext.close();
  }
} finally {
  await chromium.close();
  await site.close();
  await floorSite.close();
  await rm(floorDir, { recursive: true, force: true });
}

times.sort((a, b) => a - b);
reloads.sort((a, b) => a - b);
floor.sort((a, b) => a - b);
const median = times[Math.floor(times.length / 2)];
console.log(`first LCD frame after navigation, ${runs} runs: median ${median.toFixed(0)} ms, ` +
  `fastest ${times[0].toFixed(0)} ms, slowest ${times[times.length - 1].toFixed(0)} ms ` +
  `(target <= 300 ms) ${median <= 300 ? 'ok' : 'OVER TARGET'}`);
console.log(`  after a reload: median ${reloads[Math.floor(reloads.length / 2)].toFixed(0)} ms, ` +
  `fastest ${reloads[0].toFixed(0)} ms`);
console.log(`  a page with only the picture, for scale: median ${floor[Math.floor(floor.length / 2)]
  .toFixed(0)} ms, fastest ${floor[0].toFixed(0)} ms`);

const middle = (key) => {
  const values = steps.map((step) => step[key]).sort((a, b) => a - b);
  return values[Math.floor(values.length / 2)].toFixed(0);
};
console.log(`  medians: HTML received ${middle('html')} ms, kv410.wasm received ${middle('wasm')} ms, ` +
  `module ready ${middle('module')} ms, LCD text set ${middle('text')} ms`);

let raw = 0;
let gzipped = 0;
const rows = [];
for (const path of new Set(loaded)) {
  const body = await readFile(join(siteDir, path.endsWith('/') ? `${path}index.html` : path));
  const compressed = gzipSync(body, { level: 6 }).length;
  raw += body.length;
  gzipped += Math.min(compressed, body.length);
  rows.push(`  ${path.padEnd(34)} ${String(body.length).padStart(9)} ${String(compressed).padStart(9)}`);
}
console.log(`files the page loads: ${'bytes'.padStart(37)} ${'gzip -6'.padStart(9)}`);
console.log(rows.join('\n'));
console.log(`bytes transferred: ${raw} raw, ${gzipped} compressed with gzip ` +
  `(target <= 204800) ${gzipped <= 204800 ? 'ok' : 'OVER TARGET'}`);
