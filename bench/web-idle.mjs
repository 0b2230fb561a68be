// The web page's idle cost: the unit switched on and left alone on the main display, the share
// of a core its tab's main thread spends (the renderer's task time, from the DevTools protocol's
// Performance.getMetrics) over a measured span; target <= 1 % of a core. Then the same with the
// page hidden (the page told it is hidden, as a tab in the background is), which should do no work at all.
// Beside the task time (wall-clock: on a loaded machine it counts the time the thread waited for a
// core) it gives the CPU time of the renderer's main thread from a Chromium trace (the tasks'
// thread time), which a loaded machine inflates far less.
// Usage: node bench/web-idle.mjs [seconds]   (the site of scripts/build-web.sh, or KV410_SITE)
// Needs playwright-core: npm ci --prefix tests/web
import { launchChromium, serveSite, waitForLcd, waitForStart } from '../tests/web/harness.mjs';

const seconds = Number(process.argv[2] ?? 30);

// The CPU time the renderers' main threads spent in tasks over `seconds`, from a trace.
async function cpuTime(label, context, page) {
  const cdp = await context.newCDPSession(page);
  const events = [];
  cdp.on('Tracing.dataCollected', (data) => events.push(...data.value));
  const complete = new Promise((done) => cdp.once('Tracing.tracingComplete', done));
  await cdp.send('Tracing.start', { categories: 'toplevel', transferMode: 'ReportEvents' });
  const start = Date.now();
  await new Promise((done) => setTimeout(done, seconds * 1000));
  await cdp.send('Tracing.end');
  const wall = (Date.now() - start) / 1000;
  await complete;
  const mains = new Set(events.filter((e) => e.name === 'thread_name' &&
    e.args.name === 'CrRendererMain').map((e) => `${e.pid}/${e.tid}`));
  const busy = events.filter((e) => e.ph === 'X' && e.name === 'ThreadControllerImpl::RunTask' &&
    mains.has(`${e.pid}/${e.tid}`)).reduce((sum, e) => sum + (e.tdur ?? 0), 0) / 1e6;
  console.log(`${label}, CPU time (trace): ${(100 * busy / wall).toFixed(2)} % of a core ` +
    `(${(busy * 1000).toFixed(0)} ms over ${wall.toFixed(1)} s)`);
  await cdp.detach();
}
const site = await serveSite();
const chromium = await launchChromium();
try {
  const context = await chromium.newContext();
  const page = await context.newPage();
  await page.goto(site.url);
  await waitForStart(page);
  await page.click('#Shape6');
  await waitForLcd(page, 4, 'Varme   Info    Meny');
  await page.waitForTimeout(3000);
  const cdp = await context.newCDPSession(page);
  await cdp.send('Performance.enable');
  const taskSeconds = async () => (await cdp.send('Performance.getMetrics')).metrics
    .find((metric) => metric.name === 'TaskDuration').value;
  const measure = async (label) => {
    const startTask = await taskSeconds();
    const startTicks = await page.evaluate(() => window.kv410.unit._kv_unitTicks());
    const start = Date.now();
    await new Promise((done) => setTimeout(done, seconds * 1000));
    const busy = (await taskSeconds()) - startTask;
    const wall = (Date.now() - start) / 1000;
    const ticks = (await page.evaluate(() => window.kv410.unit._kv_unitTicks())) - startTicks;
    console.log(`${label}: ${(100 * busy / wall).toFixed(2)} % of a core over ${wall.toFixed(1)} s ` +
      `(main-thread tasks ${(busy * 1000).toFixed(0)} ms, ${ticks} ticks run)`);
  };
  await measure('idle, shown');
  await cpuTime('idle, shown', context, page);
  await page.evaluate(() => {
    Object.defineProperty(document, 'visibilityState', { configurable: true, get: () => 'hidden' });
    document.dispatchEvent(new Event('visibilitychange'));
  });
  await measure('idle, hidden');
  await context.close();

  // For scale: a page that only wakes 20 times a second and changes one text once a second.
  const floorContext = await chromium.newContext();
  const floor = await floorContext.newPage();
  await floor.setContent('<p id="x">0</p><script>let n = 0; function wake() { if (++n % 20 === 0) ' +
    '{ document.getElementById("x").textContent = String(n); } setTimeout(wake, 50); } wake();</script>');
  const floorCdp = await floorContext.newCDPSession(floor);
  await floorCdp.send('Performance.enable');
  const floorTask = async () => (await floorCdp.send('Performance.getMetrics')).metrics
    .find((metric) => metric.name === 'TaskDuration').value;
  const floorStart = await floorTask();
  await new Promise((done) => setTimeout(done, seconds * 1000));
  console.log(`floor, a bare 20 Hz timer: ${(100 * ((await floorTask()) - floorStart) / seconds)
    .toFixed(2)} % of a core`);
  await cpuTime('floor, a bare 20 Hz timer', floorContext, floor);
  await floorContext.close();
} finally {
  await chromium.close();
  await site.close();
}
